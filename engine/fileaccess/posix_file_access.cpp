// POSIX file access. Windows' exclusive open is modelled with a write lease,
// which the kernel grants only while no other descriptor of the file is open.
// The path is walked one folder at a time without following a link, and the
// file is renamed and deleted within the folder held open, so that a folder
// swapped for a link meanwhile leads nowhere.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "errno_codes.h"
#include "folder_open.h"
#include "platform_file_access.h"
#include "utf.h"

namespace dornix {
namespace {

ErrorCode ErrorFor(int error) { return win_error::FromErrno(error); }

using pathguard::UniqueFd;

class PosixOpenFile final : public OpenFile {
 public:
  PosixOpenFile(int fd, const struct stat& info, int folder, std::string name)
      : fd_(fd),
        length_(static_cast<std::uint64_t>(info.st_size)),
        device_(info.st_dev),
        inode_(info.st_ino),
        folder_(folder),
        name_(std::move(name)) {}

  std::uint64_t Length() override { return length_; }
  ErrorCode SetFixedTimes() override {
    // 2000-01-01 01:01:01.001 UTC; POSIX has no settable creation time.
    const timespec fixed{946688461, 1000000};
    const timespec times[2] = {fixed, fixed};
    if (futimens(fd_.get(), times) != 0) return ErrorFor(errno);
    stamped_ = true;
    changed_ = false;
    return 0;
  }
  // The position is kept here and every write names it: no seek costs a call.
  void Rewind() override { position_ = 0; }
  std::uint64_t Position() override { return position_; }
  ErrorCode Write(const std::uint8_t* bytes, std::uint32_t count) override {
    // Finish short writes.
    while (count > 0) {
      const ssize_t written = ::pwrite(fd_.get(), bytes, count, static_cast<off_t>(position_));
      if (written < 0 && errno == EINTR) continue;
      if (written < 0) return ErrorFor(errno);
      if (written == 0) return win_error::kWriteFault;
      changed_ = unflushed_ = true;
      bytes += written;
      position_ += static_cast<std::uint64_t>(written);
      count -= static_cast<std::uint32_t>(written);
    }
    return 0;
  }
  // A second flush with nothing written since has nothing to carry to the disk. A failed
  // one is not tried again: the system may have dropped the pages it could not write.
  ErrorCode Flush() override {
    if (unflushed_ && fsync(fd_.get()) != 0) return ErrorFor(errno);
    unflushed_ = false;
    return 0;
  }
  ErrorCode ReadUncached(std::uint64_t offset, std::uint8_t* bytes, std::uint32_t count) override {
    if (!cacheDropped_) {
      // On the disk first, then out of the page cache: the reads below come from the device.
      if (fdatasync(fd_.get()) != 0) return ErrorFor(errno);
      posix_fadvise(fd_.get(), 0, 0, POSIX_FADV_DONTNEED);
      cacheDropped_ = true;
    }
    while (count > 0) {
      const ssize_t read = ::pread(fd_.get(), bytes, count, static_cast<off_t>(offset));
      if (read < 0 && errno == EINTR) continue;
      if (read < 0) return ErrorFor(errno);
      if (read == 0) return win_error::kDataError;  // shorter than what was written
      bytes += read;
      offset += static_cast<std::uint64_t>(read);
      count -= static_cast<std::uint32_t>(read);
    }
    return 0;
  }
  ErrorCode TruncateHere() override {
    if (ftruncate(fd_.get(), static_cast<off_t>(position_)) != 0) return ErrorFor(errno);
    changed_ = true;
    return 0;
  }
  ErrorCode RenameAwayAndDelete(const char* prefix) override {
    Restamp();
    // Windows' form: prefix, four hex digits, ".tmp"; an existing name is never replaced.
    static const auto pid = static_cast<unsigned>(getpid());
    const unsigned start = pid ^ static_cast<unsigned>(std::time(nullptr));
    for (unsigned i = 0; i < 0x10000; ++i) {
      char temp[16];
      std::snprintf(temp, sizeof temp, "%s%04X.tmp", prefix, (start + i) & 0xFFFF);
      // Renamed elsewhere meanwhile: emptied, but no longer where its name could be given up.
      if (!IsThisFile(name_.c_str())) return win_error::kFileNotFound;
      if (renameat2(folder_.get(), name_.c_str(), folder_.get(), temp, RENAME_NOREPLACE) != 0) {
        if (errno == EEXIST) continue;
        if (errno != EINVAL && errno != ENOSYS) return ErrorFor(errno);
        // No RENAME_NOREPLACE on this file system: link refuses an existing name too.
        if (linkat(folder_.get(), name_.c_str(), folder_.get(), temp, 0) != 0) {
          if (errno == EEXIST) continue;
          return ErrorFor(errno);
        }
        if (unlinkat(folder_.get(), name_.c_str(), 0) != 0) {
          const int error = errno;
          unlinkat(folder_.get(), temp, 0);
          return ErrorFor(error);
        }
      }
      if (!IsThisFile(temp)) return win_error::kFileNotFound;
      if (unlinkat(folder_.get(), temp, 0) == 0) return 0;
      const int error = errno;
      // Back under its own name, where whoever looks for what was left will find it.
      renameat2(folder_.get(), temp, folder_.get(), name_.c_str(), RENAME_NOREPLACE);
      return ErrorFor(error);
    }
    return win_error::kFileExists;
  }
  void Close() override {
    Restamp();
    fd_.reset();
    folder_.reset();
  }

 private:
  // Here every write moves the modification time on: stamp the emptied file
  // again so that it leaves with the fixed date, as it does on Windows.
  void Restamp() {
    if (stamped_ && changed_ && fd_.get() >= 0) (void)SetFixedTimes();  // as on the first stamp
  }
  // The name in the folder held open still stands for the file this erased
  // (the open descriptor's identity cannot change).
  bool IsThisFile(const char* name) const {
    struct stat named {};
    return fstatat(folder_.get(), name, &named, AT_SYMLINK_NOFOLLOW) == 0 && named.st_dev == device_ &&
           named.st_ino == inode_;
  }

  UniqueFd fd_;
  std::uint64_t length_;  // as the open found it
  dev_t device_;
  ino_t inode_;
  std::uint64_t position_ = 0;
  UniqueFd folder_;
  std::string name_;
  bool stamped_ = false;
  bool changed_ = false;    // written or cut since the last stamp
  bool unflushed_ = false;  // written since the last flush
  bool cacheDropped_ = false;
};

// The folder part of a path ("" for the current folder), opened with no link on the way.
ErrorCode OpenFolder(const std::string& folderPath, UniqueFd& folder) {
  folder = pathguard::OpenFolderWithoutLinks(folderPath);
  if (folder.get() >= 0) return 0;
  if (errno == ELOOP) return win_error::kAccessDenied;
  return errno == ENOENT || errno == ENOTDIR ? win_error::kPathNotFound : ErrorFor(errno);
}

class PosixFileAccess final : public FileAccess {
 public:
  ErrorCode OpenExclusive(std::u16string_view name, std::unique_ptr<OpenFile>& file) override {
    // A lone surrogate has no UTF-8 form: refused, rather than a name for another file.
    const auto converted = basekit::Utf16ToUtf8(name);
    if (!converted || converted->empty() || converted->find('\0') != std::string::npos) return win_error::kInvalidName;
    const std::string& path = *converted;

    // Each folder on the way, held open and never a link.
    const std::size_t lastSlash = path.rfind('/');
    const std::size_t begin = lastSlash == std::string::npos ? 0 : lastSlash + 1;
    UniqueFd folder;
    if (const ErrorCode error = OpenFolder(path.substr(0, begin), folder)) return error;
    const std::string leaf = path.substr(begin);
    // A name ending in a separator, "." or ".." is a folder.
    if (leaf.empty() || leaf == "." || leaf == "..") return win_error::kAccessDenied;

    struct stat before {};
    if (fstatat(folder.get(), leaf.c_str(), &before, AT_SYMLINK_NOFOLLOW) != 0) return ErrorFor(errno);
    // Only plain files with one name are erased: a link leads elsewhere, another name
    // would keep the contents, and opening a device or a pipe does things of its own.
    if (!S_ISREG(before.st_mode) || before.st_nlink != 1) return win_error::kAccessDenied;
    const mode_t writable =
        (before.st_mode & 07777 & ~static_cast<mode_t>(S_ISUID | S_ISGID | S_ISVTX)) | S_IRUSR | S_IWUSR;
    // Never through a link: the name may have become one since.
    if (writable != (before.st_mode & 07777) &&
        fchmodat(folder.get(), leaf.c_str(), writable, AT_SYMLINK_NOFOLLOW) != 0)
      return errno == EOPNOTSUPP ? win_error::kAccessDenied : ErrorFor(errno);

    // Non-blocking: a pipe put in the file's place meanwhile fails instead of waiting
    // for a reader, and a lease held by another process refuses at once.
    // Read and write: a verification reads back what the last pass wrote.
    UniqueFd fd(openat(folder.get(), leaf.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) return ErrorFor(errno);
    struct stat info {};
    if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode) || info.st_nlink != 1 || info.st_dev != before.st_dev ||
        info.st_ino != before.st_ino)
      return win_error::kAccessDenied;
    if (fcntl(fd.get(), F_SETLEASE, F_WRLCK) != 0) {
      // Another descriptor of the file is open: it is in use elsewhere.
      if (errno == EAGAIN || errno == EBUSY) return win_error::kSharingViolation;
      // Leases are unsupported here (some network file systems): go on unguarded.
    } else {
      // Taking the lease made this process the owner that a lease break signals;
      // SIGIO would end it. Another opener still waits until the file is closed.
      fcntl(fd.get(), F_SETOWN, 0);
    }
    file = std::make_unique<PosixOpenFile>(fd.release(), info, folder.release(), leaf);
    return 0;
  }
};

}  // namespace

std::unique_ptr<FileAccess> MakePlatformFileAccess() { return std::make_unique<PosixFileAccess>(); }

}  // namespace dornix
