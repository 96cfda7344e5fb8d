// POSIX file access. Windows' exclusive open is modelled with a write lease,
// which the kernel grants only while no other descriptor of the file is open;
// symbolic links are never followed.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform_file_access.h"

namespace dornix {
namespace {

struct ErrnoMapping {
  int error;
  ErrorCode code;
};
constexpr ErrnoMapping kErrnoToWindows[] = {
    {ENOENT, win_error::kFileNotFound},      {ENOTDIR, win_error::kPathNotFound},
    {EACCES, win_error::kAccessDenied},      {EPERM, win_error::kAccessDenied},
    {ELOOP, win_error::kAccessDenied},       {EISDIR, win_error::kAccessDenied},
    {EAGAIN, win_error::kSharingViolation},  {EBUSY, win_error::kSharingViolation},
    {ETXTBSY, win_error::kSharingViolation}, {EROFS, win_error::kWriteProtect},
    {ENOMEM, win_error::kNotEnoughMemory},   {ENAMETOOLONG, win_error::kFilenameTooLong},
    {ENXIO, win_error::kAccessDenied},       {ENOSPC, win_error::kDiskFull},
    {EDQUOT, win_error::kDiskFull},          {EIO, win_error::kWriteFault},
};

std::string ParentOf(const std::string& path) {
  const auto slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Windows tells a missing file (2) from a missing folder on the way to it (3).
ErrorCode ErrorFor(int error, const std::string& path) {
  if (error == ENOENT) {
    struct stat parent {};
    if (stat(ParentOf(path).c_str(), &parent) != 0 || !S_ISDIR(parent.st_mode)) return win_error::kPathNotFound;
  }
  for (const auto& mapping : kErrnoToWindows)
    if (mapping.error == error) return mapping.code;
  return win_error::kGenFailure;
}

class UniqueFd {
 public:
  explicit UniqueFd(int fd) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return fd_; }
  int release() {
    const int fd = fd_;
    fd_ = -1;
    return fd;
  }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

class PosixOpenFile final : public OpenFile {
 public:
  PosixOpenFile(int fd, std::uint64_t length) : fd_(fd), length_(length) {}

  std::uint64_t Length() override { return length_; }
  void SetFixedTimes() override {
    // 2000-01-01 01:01:01.001 UTC; POSIX has no settable creation time.
    const timespec fixed{946688461, 1000000};
    const timespec times[2] = {fixed, fixed};
    futimens(fd_.get(), times);
    stamped_ = true;
  }
  void Rewind() override { lseek(fd_.get(), 0, SEEK_SET); }
  std::uint64_t Position() override {
    const off_t position = lseek(fd_.get(), 0, SEEK_CUR);
    return position < 0 ? 0 : static_cast<std::uint64_t>(position);
  }
  ErrorCode Write(const std::uint8_t* bytes, std::uint32_t count) override {
    // Finish short writes.
    while (count > 0) {
      const ssize_t written = ::write(fd_.get(), bytes, count);
      if (written < 0 && errno == EINTR) continue;
      if (written < 0) return ErrorFor(errno, {});
      if (written == 0) return win_error::kWriteFault;
      bytes += written;
      count -= static_cast<std::uint32_t>(written);
    }
    return 0;
  }
  void Flush() override { fsync(fd_.get()); }
  void TruncateHere() override { ftruncate(fd_.get(), lseek(fd_.get(), 0, SEEK_CUR)); }
  void Close() override {
    // Here every write moves the modification time on: stamp the emptied file
    // again so that it leaves with the fixed date, as it does on Windows.
    if (stamped_ && fd_.get() >= 0) SetFixedTimes();
    fd_.reset();
  }

 private:
  UniqueFd fd_;
  std::uint64_t length_;  // as the open found it
  bool stamped_ = false;
};

class PosixFileAccess final : public FileAccess {
 public:
  std::string NarrowPath(std::u16string_view name) override { return ToUtf8(name); }
  std::string_view Separators() const override { return "/"; }

  ErrorCode ClearAttributes(const std::string& path) override {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return ErrorFor(errno, path);
    // Only plain files are erased: chmod would follow a link to its target, and
    // opening a device or a pipe does things of its own.
    if (!S_ISREG(info.st_mode)) return win_error::kAccessDenied;
    const mode_t writable =
        (info.st_mode & 07777 & ~static_cast<mode_t>(S_ISUID | S_ISGID | S_ISVTX)) | S_IRUSR | S_IWUSR;
    if (writable != (info.st_mode & 07777) && chmod(path.c_str(), writable) != 0) return ErrorFor(errno, path);
    return 0;
  }

  ErrorCode OpenExclusive(const std::string& path, std::unique_ptr<OpenFile>& file) override {
    // Non-blocking: a pipe put in the file's place meanwhile fails instead of waiting
    // for a reader, and a lease held by another process refuses at once.
    UniqueFd fd(::open(path.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
    if (fd.get() < 0) return ErrorFor(errno, path);
    struct stat info {};
    if (fstat(fd.get(), &info) != 0 || !S_ISREG(info.st_mode)) return win_error::kAccessDenied;
    if (fcntl(fd.get(), F_SETLEASE, F_WRLCK) != 0) {
      // Another descriptor of the file is open: it is in use elsewhere.
      if (errno == EAGAIN || errno == EBUSY) return win_error::kSharingViolation;
      // Leases are unsupported here (some network file systems): go on unguarded.
    } else {
      // Taking the lease made this process the owner that a lease break signals;
      // SIGIO would end it. Another opener still waits until the file is closed.
      fcntl(fd.get(), F_SETOWN, 0);
    }
    file = std::make_unique<PosixOpenFile>(fd.release(), static_cast<std::uint64_t>(info.st_size));
    return 0;
  }

  std::string CreateTempName(const std::string& folder, const char* prefix) override {
    // Windows' form: prefix, four hex digits, ".tmp"; created empty so the name is taken.
    const unsigned start = static_cast<unsigned>(getpid()) ^ static_cast<unsigned>(std::time(nullptr));
    for (unsigned i = 0; i < 0x10000; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "%s%04X.tmp", prefix, (start + i) & 0xFFFF);
      const std::string candidate = folder + name;
      if (mknod(candidate.c_str(), S_IFREG | 0600, 0) == 0) return candidate;
      if (errno != EEXIST) return {};
    }
    return {};
  }

  void Delete(const std::string& path) override {
    if (!path.empty()) unlink(path.c_str());
  }

  void Rename(const std::string& from, const std::string& to) override {
    if (to.empty()) return;
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
    if (errno != EINVAL && errno != ENOSYS) return;
    // No RENAME_NOREPLACE on this file system: link refuses an existing target too.
    if (link(from.c_str(), to.c_str()) == 0) unlink(from.c_str());
  }

 private:
  static std::string ToUtf8(std::u16string_view text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
      char32_t c = text[i];
      if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
        c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
      else if (c >= 0xD800 && c < 0xE000)
        c = 0xFFFD;  // a lone surrogate
      if (c < 0x80) {
        out += static_cast<char>(c);
      } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
      } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
      } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
      }
    }
    return out;
  }
};

}  // namespace

std::unique_ptr<FileAccess> MakePlatformFileAccess() { return std::make_unique<PosixFileAccess>(); }

}  // namespace dornix
