#include "folder_open.h"

#include <fcntl.h>
#include <linux/openat2.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace pathguard {

void UniqueFd::reset(int fd) {
  if (fd_ >= 0) ::close(fd_);
  fd_ = fd;
}

UniqueFd OpenFolderWithoutLinks(const std::string& folderPath) {
  // In one call where the system resolves a path refusing every link on it.
  open_how how{};
  how.flags = O_PATH | O_DIRECTORY | O_CLOEXEC;
  how.resolve = RESOLVE_NO_SYMLINKS | RESOLVE_NO_MAGICLINKS;
  const char* start = folderPath.empty() ? "." : folderPath.c_str();
  UniqueFd folder(static_cast<int>(syscall(SYS_openat2, AT_FDCWD, start, &how, sizeof how)));
  if (folder.get() >= 0 || (errno != ENOSYS && errno != EPERM && errno != ENAMETOOLONG)) return folder;

  // One folder at a time where it cannot (no such call, or a path too long for one).
  folder.reset(::open(folderPath.starts_with('/') ? "/" : ".", O_PATH | O_DIRECTORY | O_CLOEXEC));
  for (std::size_t begin = 0; folder.get() >= 0 && begin < folderPath.size();) {
    const std::size_t slash = std::min(folderPath.find('/', begin), folderPath.size());
    const std::string part = folderPath.substr(begin, slash - begin);
    begin = slash + 1;
    if (part.empty() || part == ".") continue;
    UniqueFd next(openat(folder.get(), part.c_str(), O_PATH | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (next.get() < 0) {
      int error = errno;
      struct stat info {};
      if (fstatat(folder.get(), part.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode)) error = ELOOP;
      errno = error;
      return next;
    }
    folder = std::move(next);
  }
  return folder;
}

}  // namespace pathguard
