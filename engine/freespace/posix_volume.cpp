// A mounted file system as the free-space erase reaches it. Fillers are made with
// O_TMPFILE where the file system has it, else created and unlinked at once: either way
// no one else can open them by a name, and the system frees them when the program ends.
#include <dirent.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>

#include "errno_codes.h"
#include "folder_open.h"
#include "platform_volume.h"

namespace dornix::freespace {
namespace {

using pathguard::UniqueFd;

ErrorCode LastError() { return win_error::FromErrno(errno); }

// File systems whose blocks lie on another machine.
constexpr long kNetworkTypes[] = {0x6969 /* NFS */,      0x517B /* SMB */,     static_cast<long>(0xFF534D42) /* CIFS */,
                                  static_cast<long>(0xFE534D42) /* SMB2 */, 0x01021997 /* 9P */, 0x00C36400 /* Ceph */,
                                  0x5346414F /* AFS */,  0x73757245 /* Coda */};
// Copy-on-write file systems keep snapshots and write changed blocks elsewhere.
constexpr long kSnapshotTypes[] = {static_cast<long>(0x9123683E) /* Btrfs */, 0x2FC12FC1 /* ZFS */};

template <std::size_t N>
bool OneOf(long type, const long (&types)[N]) {
  return std::find(std::begin(types), std::end(types), type) != std::end(types);
}

// The block device holding `device` turns no disk: the drive remaps what is written.
bool OnSolidState(dev_t device) {
  if (major(device) == 0) return false;  // tmpfs and other memory file systems
  const std::string block = "/sys/dev/block/" + std::to_string(major(device)) + ":" + std::to_string(minor(device));
  // A partition's queue is its disk's.
  for (const char* queue : {"/queue/rotational", "/../queue/rotational"}) {
    std::ifstream rotational(block + queue);
    int value = 1;
    if (rotational >> value) return value == 0;
  }
  return false;
}

class PosixFiller final : public FillerFile {
 public:
  PosixFiller(UniqueFd fd, bool direct, std::uint32_t sector) : fd_(std::move(fd)), direct_(direct), sector_(sector) {}

  ErrorCode Write(const std::uint8_t* bytes, std::uint32_t count) override {
    while (count > 0) {
      const ssize_t written = ::pwrite(fd_.get(), bytes, count, static_cast<off_t>(position_));
      if (written < 0 && errno == EINTR) continue;
      if (written < 0 && errno == EINVAL && direct_) {
        // The file system takes no unbuffered writes after all: buffered ones, flushed.
        direct_ = false;
        fcntl(fd_.get(), F_SETFL, fcntl(fd_.get(), F_GETFL) & ~O_DIRECT);
        continue;
      }
      if (written <= 0) return Stopped(written < 0 ? LastError() : win_error::kDiskFull);
      bytes += written;
      count -= static_cast<std::uint32_t>(written);
      position_ += static_cast<std::uint64_t>(written);
      length_ = std::max(length_, position_);
    }
    return 0;
  }
  ErrorCode Rewind() override {
    position_ = 0;
    return 0;
  }
  ErrorCode Flush() override { return fdatasync(fd_.get()) == 0 ? 0 : LastError(); }
  std::uint64_t Length() override { return length_; }
  // It has no name: closing it frees its blocks.
  ErrorCode Delete() override {
    fd_.reset();
    return 0;
  }

 private:
  // An unbuffered file cut short keeps whole sectors, so that later passes can write it again unbuffered.
  ErrorCode Stopped(ErrorCode error) {
    if (direct_ && length_ % sector_ != 0) {
      length_ -= length_ % sector_;
      position_ = std::min(position_, length_);
      if (ftruncate(fd_.get(), static_cast<off_t>(length_)) != 0) return LastError();
    }
    return error;
  }

  UniqueFd fd_;
  bool direct_;
  const std::uint32_t sector_;
  std::uint64_t position_ = 0, length_ = 0;
};

// What an ordinary user may write. An administrator's run also fills the blocks kept for
// administrators; what the file system holds back for itself (ext4: up to 16 MiB) no one can.
std::uint64_t Available(const struct statvfs& space) { return space.f_bavail * space.f_frsize; }

class PosixVolume final : public Volume {
 public:
  explicit PosixVolume(UniqueFd root) : root_(std::move(root)) {
    // One descriptor a filler: as many as the system allows this process.
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
      limit.rlim_cur = limit.rlim_max;
      setrlimit(RLIMIT_NOFILE, &limit);
    }
  }

  ErrorCode Facts(VolumeFacts& facts) override {
    struct statvfs space {};
    struct statfs system {};
    struct stat info {};
    if (fstatvfs(root_.get(), &space) != 0 || fstatfs(root_.get(), &system) != 0 || fstat(root_.get(), &info) != 0)
      return LastError();
    if (space.f_blocks == 0) return win_error::kNotSupported;  // no free space to tell of
    facts.freeBytes = Available(space);
    facts.totalBytes = space.f_blocks * space.f_frsize;
    if (geteuid() != 0)
      facts.reservedBytes = space.f_bfree * space.f_frsize - std::min(space.f_bfree * space.f_frsize, facts.freeBytes);
    facts.sectorSize = 4096;
    facts.network = OneOf(static_cast<long>(system.f_type), kNetworkTypes);
    facts.snapshots = OneOf(static_cast<long>(system.f_type), kSnapshotTypes);
    facts.solidState = OnSolidState(info.st_dev);
    sector_ = facts.sectorSize;
    return 0;
  }

  std::uint64_t FreeBytes() override {
    struct statvfs space {};
    return fstatvfs(root_.get(), &space) == 0 ? Available(space) : 0;
  }

  ErrorCode RemoveLeftovers(std::uint64_t& removed) override {
    removed = 0;
    for (const auto& name : Entries(root_.get())) {
      if (!IsWorkFolderName(name)) continue;
      // Only a real folder of this user's, and in it only filler files.
      UniqueFd folder(openat(root_.get(), name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
      struct stat info {};
      if (folder.get() < 0 || fstat(folder.get(), &info) != 0 || info.st_uid != geteuid()) continue;
      for (const auto& entry : Entries(folder.get())) {
        struct stat file {};
        if (IsFillerName(entry) && fstatat(folder.get(), entry.c_str(), &file, AT_SYMLINK_NOFOLLOW) == 0 &&
            S_ISREG(file.st_mode))
          unlinkat(folder.get(), entry.c_str(), 0);
      }
      if (unlinkat(root_.get(), name.c_str(), AT_REMOVEDIR) == 0) ++removed;
    }
    return 0;
  }

  ErrorCode MakeWorkFolder() override {
    char name[96];
    std::snprintf(name, sizeof name, "%s%ld-%ld", kWorkFolderPrefix, static_cast<long>(getpid()),
                  static_cast<long>(std::time(nullptr)));
    if (mkdirat(root_.get(), name, 0700) != 0) return LastError();
    folderName_ = name;
    folder_ = UniqueFd(openat(root_.get(), name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    return folder_.get() >= 0 ? 0 : LastError();
  }

  ErrorCode CreateFiller(const char* prefix, std::uint64_t number, bool unbuffered,
                         std::unique_ptr<FillerFile>& filler) override {
    constexpr int kFlags = O_RDWR | O_CLOEXEC;
    int direct = unbuffered ? O_DIRECT : 0;
    int fd = openat(folder_.get(), ".", O_TMPFILE | kFlags | direct, 0600);
    if (fd < 0 && errno == EINVAL && direct) {
      fd = openat(folder_.get(), ".", O_TMPFILE | kFlags, 0600);  // no unbuffered writes here (tmpfs)
      if (fd >= 0) direct = 0;
    }
    if (fd < 0 && (errno == EINVAL || errno == EOPNOTSUPP || errno == EISDIR)) {
      // No unnamed files on this file system: named in the run's own folder, unlinked at once.
      char name[32];
      std::snprintf(name, sizeof name, "%s%06llu", prefix, static_cast<unsigned long long>(number));
      fd = openat(folder_.get(), name, O_CREAT | O_EXCL | O_NOFOLLOW | kFlags, 0600);
      if (fd >= 0 && unlinkat(folder_.get(), name, 0) != 0) {
        const ErrorCode error = LastError();
        close(fd);
        return error;
      }
      if (fd >= 0 && direct && fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_DIRECT) != 0) direct = 0;
    }
    if (fd < 0) return LastError();
    filler = std::make_unique<PosixFiller>(UniqueFd(fd), direct != 0, sector_);
    return 0;
  }

  ErrorCode RemoveWorkFolder() override {
    folder_.reset();
    if (folderName_.empty()) return 0;
    return unlinkat(root_.get(), folderName_.c_str(), AT_REMOVEDIR) == 0 ? 0 : LastError();
  }

 private:
  static std::vector<std::string> Entries(int folder) {
    std::vector<std::string> names;
    const int copy = openat(folder, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* listing = copy >= 0 ? fdopendir(copy) : nullptr;
    if (!listing) {
      if (copy >= 0) close(copy);
      return names;
    }
    while (const dirent* entry = readdir(listing))
      if (std::string_view(entry->d_name) != "." && std::string_view(entry->d_name) != "..")
        names.emplace_back(entry->d_name);
    closedir(listing);
    return names;
  }

  UniqueFd root_, folder_;
  std::string folderName_;
  std::uint32_t sector_ = 4096;
};

}  // namespace

std::unique_ptr<Volume> OpenVolume(const std::string& path, std::string& root, ErrorCode& error) {
  // The mount point the path lies on: the last folder up whose device differs from its parent's.
  struct stat info {};
  if (stat(path.c_str(), &info) != 0) {
    error = LastError();
    return nullptr;
  }
  std::string mount = path;
  while (mount.size() > 1 && mount.back() == '/') mount.pop_back();
  while (mount.size() > 1) {
    const std::size_t slash = mount.find_last_of('/', mount.size() - 1);
    const std::string parent = slash == 0 ? "/" : mount.substr(0, slash);
    struct stat above {};
    if (stat(parent.c_str(), &above) != 0 || above.st_dev != info.st_dev) break;
    mount = parent;
  }
  UniqueFd folder = pathguard::OpenFolderWithoutLinks(mount);
  if (folder.get() < 0) {
    error = LastError();
    return nullptr;
  }
  root = mount;
  error = 0;
  return std::make_unique<PosixVolume>(std::move(folder));
}

}  // namespace dornix::freespace
