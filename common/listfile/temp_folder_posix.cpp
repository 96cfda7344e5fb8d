#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "list_file.h"

namespace listfile {

std::optional<std::string> AnsiToUtf8(std::string_view line) { return std::string(line); }

bool TempFolder(std::string& folder) {
  const char* tmpdir = std::getenv("TMPDIR");
  folder = tmpdir != nullptr && *tmpdir != '\0' ? tmpdir : "/tmp";
  if (folder.back() != '/') folder += '/';
  return true;
}

namespace {

bool WriteWhole(int fd, std::string_view content) {
  while (!content.empty()) {
    const ssize_t written = write(fd, content.data(), content.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    content.remove_prefix(static_cast<std::size_t>(written));
  }
  return true;
}

}  // namespace

bool CreateHandOffFile(std::string_view content, std::string& path) {
  path.clear();
  std::string folder;
  if (!TempFolder(folder)) return false;
  // As Windows does for unique number 0: the first free number of 1 to FFFF,
  // searched from a start that differs from call to call.
  const auto start = static_cast<unsigned>(std::chrono::steady_clock::now().time_since_epoch().count()) ^
                     static_cast<unsigned>(getpid());
  for (unsigned i = 0; i <= 0xFFFF; ++i) {
    const unsigned number = (start + i) & 0xFFFF;
    if (number == 0) continue;
    char name[16];
    std::snprintf(name, sizeof name, "%s%X%s", kHandOffPrefix, number, kHandOffExtension);
    const std::string candidate = folder + name;
    // Exclusive: a name that exists, even as a link, is someone else's file.
    const int fd = open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      const bool written = WriteWhole(fd, content);
      if (close(fd) != 0 || !written) {
        unlink(candidate.c_str());
        return false;
      }
      path = candidate;
      return true;
    }
    if (errno != EEXIST) return false;
  }
  return false;
}

}  // namespace listfile
