#include "posix_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <string_view>
#include <utility>

#include "folder_open.h"
#include "items_list.h"
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

using FileDescriptor = pathguard::UniqueFd;

LocalTime ToLocal(const struct timespec& moment) {
  struct tm local {};
  const time_t seconds = moment.tv_sec;
  localtime_r(&seconds, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec};
}

struct timespec ToTimespec(const struct statx_timestamp& stamp) {
  return {static_cast<time_t>(stamp.tv_sec), static_cast<long>(stamp.tv_nsec)};
}

bool IsDot(std::string_view name) { return name == "." || name == ".."; }

// The folder holding a path's last component, reached through folders only, and that
// component's name. A link, "." or ".." on the way would lead the path somewhere else.
struct Located {
  FileDescriptor parent;
  std::string name;
};

std::optional<Located> Locate(const std::string& path) {
  std::string_view rest = path;
  while (rest.size() > 1 && rest.back() == '/') rest.remove_suffix(1);
  if (rest.empty()) return std::nullopt;
  if (rest == "/") return Located{FileDescriptor(open("/", O_PATH | O_DIRECTORY | O_CLOEXEC)), "."};
  const std::size_t lastSlash = rest.rfind('/');
  const std::string name(rest.substr(lastSlash == std::string_view::npos ? 0 : lastSlash + 1));
  rest = lastSlash == std::string_view::npos ? std::string_view() : rest.substr(0, lastSlash);
  if (IsDot(name)) return std::nullopt;
  const std::string folderPath = rest.empty() ? (lastSlash == 0 ? "/" : ".") : std::string(rest);
  // "." and ".." are refused: the path must name its entry as it stands.
  for (std::size_t begin = 0; begin <= rest.size();) {
    const std::size_t slash = std::min(rest.find('/', begin), rest.size());
    if (IsDot(rest.substr(begin, slash - begin))) return std::nullopt;
    begin = slash + 1;
  }
  FileDescriptor folder = pathguard::OpenFolderWithoutLinks(folderPath);
  if (folder.get() < 0) return std::nullopt;
  return Located{std::move(folder), name};
}

std::optional<struct stat> StatAt(int folder, const std::string& name) {
  struct stat info {};
  if (fstatat(folder, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) return std::nullopt;
  return info;
}

std::uint64_t LengthOf(const struct stat& info) {
  return S_ISREG(info.st_mode) ? static_cast<std::uint64_t>(info.st_size) : 0;
}

std::optional<FileAttributes> AttributesOf(int folder, const std::string& name,
                                           const std::optional<struct stat>& info) {
  if (!info) return std::nullopt;
  FileAttributes attributes;
  attributes.link = S_ISLNK(info->st_mode);
  if (attributes.link) {
    // A link to a folder is listed as a folder, as Windows lists a junction.
    struct stat target {};
    attributes.directory = fstatat(folder, name.c_str(), &target, 0) == 0 && S_ISDIR(target.st_mode);
  } else {
    attributes.directory = S_ISDIR(info->st_mode);
    attributes.readOnly = (info->st_mode & S_IWUSR) == 0;
  }
  attributes.hidden = name.front() == '.' && name != ".";
  return attributes;
}

std::optional<FileAttributes> AttributesAt(int folder, const std::string& name) {
  return AttributesOf(folder, name, StatAt(folder, name));
}

std::optional<EntryTimes> TimesOf(const std::string& path) {
  const auto located = Locate(path);
  struct statx info {};
  if (!located || statx(located->parent.get(), located->name.c_str(), AT_SYMLINK_NOFOLLOW,
                        STATX_BASIC_STATS | STATX_BTIME, &info) != 0)
    return std::nullopt;
  // Not every file system keeps a creation time; the last change stands in for it.
  const auto created = (info.stx_mask & STATX_BTIME) ? info.stx_btime : info.stx_mtime;
  return EntryTimes{ToLocal(ToTimespec(created)), ToLocal(ToTimespec(info.stx_atime)),
                    ToLocal(ToTimespec(info.stx_mtime))};
}

// An open folder cannot be held against a rename here; the descriptor at least keeps
// what was opened from being taken for something else.
class PosixFolderHold final : public FolderHold {
 public:
  explicit PosixFolderHold(int fd) : folder_(fd) {}

 private:
  FileDescriptor folder_;
};

class PosixFileSystem final : public FileSystem {
 public:
  char Separator() const override { return '/'; }

  std::optional<FileAttributes> Attributes(const std::string& path) override {
    const auto located = Locate(path);
    if (!located) return std::nullopt;
    return AttributesAt(located->parent.get(), located->name);
  }

  // One call, where Attributes takes three. Resolving the path as it stands finds the
  // entry whenever Attributes would; only when the answer is not a plain "no such
  // entry" does it ask Attributes after all.
  bool Exists(const std::string& path) override {
    struct stat info {};
    if (path.empty() || path.back() == '/') return Attributes(path).has_value();
    if (fstatat(AT_FDCWD, path.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) return true;
    return errno != ENOENT && errno != ENOTDIR && Attributes(path).has_value();
  }

  std::optional<std::uint64_t> FileLength(const std::string& path) override {
    const auto located = Locate(path);
    const auto info = located ? StatAt(located->parent.get(), located->name) : std::nullopt;
    if (!info) return std::nullopt;
    return LengthOf(*info);
  }

  std::vector<FolderEntry> ListFolder(const std::string& folder) override {
    std::vector<FolderEntry> entries;
    const auto located = Locate(folder);
    if (!located) return entries;
    const int fd =
        openat(located->parent.get(), located->name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return entries;
    const DirHandle dir(fdopendir(fd));
    if (!dir.get()) {
      close(fd);
      return entries;
    }
    while (const dirent* entry = readdir(dir.get())) {
      if (IsDot(entry->d_name)) continue;
      const std::string name = entry->d_name;
      const auto info = StatAt(dirfd(dir.get()), name);
      entries.push_back(
          {name, AttributesOf(dirfd(dir.get()), name, info), info ? std::optional(LengthOf(*info)) : std::nullopt});
    }
    // NTFS lists a folder in name order; doing the same keeps runs reproducible.
    std::sort(entries.begin(), entries.end(),
              [](const FolderEntry& a, const FolderEntry& b) { return a.name < b.name; });
    return entries;
  }

  std::optional<EntryTimes> FileTimes(const std::string& path) override { return TimesOf(path); }
  std::optional<EntryTimes> FolderTimes(const std::string& path) override { return TimesOf(path); }

  bool ClearAttributes(const std::string& path) override {
    const auto located = Locate(path);
    const auto info = located ? StatAt(located->parent.get(), located->name) : std::nullopt;
    // chmod follows links: a link's target is not ours to change. The engine refuses a
    // file with other names; it stays exactly as it was.
    if (!info || S_ISLNK(info->st_mode) || (S_ISREG(info->st_mode) && info->st_nlink != 1)) return false;
    const mode_t wanted = (info->st_mode & 0777) | S_IRUSR | S_IWUSR | (S_ISDIR(info->st_mode) ? S_IXUSR : 0);
    return wanted == (info->st_mode & 0777) || fchmodat(located->parent.get(), located->name.c_str(), wanted, 0) == 0;
  }

  bool Delete(const std::string& path) override {
    const auto located = Locate(path);
    const auto info = located ? StatAt(located->parent.get(), located->name) : std::nullopt;
    if (!info || S_ISDIR(info->st_mode)) return false;
    return unlinkat(located->parent.get(), located->name.c_str(), 0) == 0;
  }

  bool RemoveFolder(const std::string& path) override {
    const auto located = Locate(path);
    const auto info = located ? StatAt(located->parent.get(), located->name) : std::nullopt;
    if (!info) return false;
    if (S_ISLNK(info->st_mode)) return unlinkat(located->parent.get(), located->name.c_str(), 0) == 0;
    return S_ISDIR(info->st_mode) && unlinkat(located->parent.get(), located->name.c_str(), AT_REMOVEDIR) == 0;
  }

  std::optional<std::string> ReadRegularFile(const std::string& path, std::uint64_t limit) override {
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
      if (count > 0 && content.size() + static_cast<std::size_t>(count) > limit) return std::nullopt;
      if (count > 0) content.append(buffer, static_cast<std::size_t>(count));
    }
  }

  std::string TemporaryFolder() override {
    std::string folder;
    return listfile::TempFolder(folder) ? folder : std::string();
  }

  std::string FoldCase(const std::string& text) override { return LowerAscii(text); }

  std::unique_ptr<FolderHold> HoldFolder(const std::string& path) override {
    const auto located = Locate(path);
    if (!located) return nullptr;
    const int fd =
        openat(located->parent.get(), located->name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return nullptr;
    return std::make_unique<PosixFolderHold>(fd);
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakePosixFileSystem() { return std::make_unique<PosixFileSystem>(); }

}  // namespace qelwipe
