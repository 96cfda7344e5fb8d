#include "posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>

#include "list_file.h"

namespace qelwipe {
namespace {

class DirHandle {
 public:
  explicit DirHandle(DIR* dir) : dir_(dir) {}
  ~DirHandle() {
    if (dir_) closedir(dir_);
  }
  DirHandle(const DirHandle&) = delete;
  DirHandle& operator=(const DirHandle&) = delete;
  DIR* get() const { return dir_; }

 private:
  DIR* dir_;
};

class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

LocalTime ToLocal(const struct timespec& moment) {
  struct tm local {};
  const time_t seconds = moment.tv_sec;
  localtime_r(&seconds, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

struct timespec ToTimespec(const struct statx_timestamp& stamp) {
  return {static_cast<time_t>(stamp.tv_sec), static_cast<long>(stamp.tv_nsec)};
}

std::optional<EntryTimes> TimesOf(const std::string& path) {
  struct statx info {};
  if (statx(AT_FDCWD, path.c_str(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
    return std::nullopt;
  // Not every file system keeps a creation time; the last change stands in for it.
  const auto created = (info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime;
  return EntryTimes{ToLocal(ToTimespec(created)), ToLocal(ToTimespec(info.stx_atime)),
                    ToLocal(ToTimespec(info.stx_mtime))};
}

bool IsDot(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

class PosixFileSystem final : public FileSystem {
 public:
  char Separator() const override { return '/'; }

  std::optional<FileAttributes> Attributes(const std::string& path) override {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return std::nullopt;
    FileAttributes attributes;
    attributes.link = S_ISLNK(info.st_mode);
    if (attributes.link) {
      // A link to a folder is listed as a folder, as Windows lists a junction.
      struct stat target {};
      attributes.directory = stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode);
    } else {
      attributes.directory = S_ISDIR(info.st_mode);
      attributes.readOnly = (info.st_mode & S_IWUSR) == 0;
    }
    const std::size_t slash = path.find_last_of('/');
    attributes.hidden = path.compare(slash == std::string::npos ? 0 : slash + 1, 1, ".") == 0;
    return attributes;
  }

  std::optional<std::uint64_t> FileLength(const std::string& path) override {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return std::nullopt;
    return S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
  }

  std::vector<FolderEntry> ListFolder(const std::string& folder) override {
    std::vector<FolderEntry> entries;
    struct stat info {};
    if (lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) return entries;
    const DirHandle dir(opendir(folder.c_str()));
    if (!dir.get()) return entries;
    while (const dirent* entry = readdir(dir.get())) {
      if (IsDot(entry->d_name)) continue;
      entries.push_back({entry->d_name, Attributes(folder + '/' + entry->d_name)});
    }
    // NTFS lists a folder in name order; doing the same keeps runs reproducible.
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
  }

  std::optional<EntryTimes> FileTimes(const std::string& path) override { return TimesOf(path); }
  std::optional<EntryTimes> FolderTimes(const std::string& path) override { return TimesOf(path); }

  void ClearAttributes(const std::string& path) override {
    struct stat info {};
    // chmod follows links: a link's target is not ours to change.
    if (lstat(path.c_str(), &info) != 0 || S_ISLNK(info.st_mode)) return;
    const mode_t wanted = (info.st_mode & 0777) | S_IRUSR | S_IWUSR | (S_ISDIR(info.st_mode) ? S_IXUSR : 0);
    if (wanted != (info.st_mode & 0777)) chmod(path.c_str(), wanted);
  }

  bool Delete(const std::string& path) override {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0 || S_ISDIR(info.st_mode)) return false;
    return unlink(path.c_str()) == 0;
  }

  bool RemoveFolder(const std::string& path) override {
    struct stat info {};
    if (lstat(path.c_str(), &info) != 0) return false;
    if (S_ISLNK(info.st_mode)) return unlink(path.c_str()) == 0;
    return S_ISDIR(info.st_mode) && rmdir(path.c_str()) == 0;
  }

  std::optional<std::string> ReadRegularFile(const std::string& path) override {
    // Not blocking: a pipe with no writer would otherwise hold the open for ever.
    const FileDescriptor file(open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (file.get() < 0 || fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) return std::nullopt;
    std::string content;
    char buffer[4096];
    for (;;) {
      const ssize_t count = read(file.get(), buffer, sizeof buffer);
      if (count == 0) return content;
      if (count < 0 && errno != EINTR) return std::nullopt;
      if (count > 0) content.append(buffer, static_cast<std::size_t>(count));
    }
  }

  std::string TemporaryFolder() override {
    std::string folder;
    return listfile::TempFolder(folder) ? folder : std::string();
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakePosixFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace qelwipe
