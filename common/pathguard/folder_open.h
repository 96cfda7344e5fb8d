#pragma once
// The POSIX half of the link rule: a path's folders are reached through folders only.
// The engine opens the files it erases below such a folder and the wizard walks,
// clears and removes through one, always by name within the folder held open.
#include <string>
#include <utility>

namespace pathguard {

// An open descriptor, closed once.
class UniqueFd {
 public:
  explicit UniqueFd(int fd = -1) : fd_(fd) {}
  ~UniqueFd() { reset(); }
  UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  UniqueFd& operator=(UniqueFd&& other) noexcept {
    std::swap(fd_, other.fd_);
    return *this;
  }
  UniqueFd(const UniqueFd&) = delete;
  UniqueFd& operator=(const UniqueFd&) = delete;
  int get() const { return fd_; }
  int release() { return std::exchange(fd_, -1); }
  void reset(int fd = -1);

 private:
  int fd_;
};

// The folder `folderPath` ("" for the current one) opened for reference only, with no
// symbolic link anywhere on the way; -1 and errno otherwise, ELOOP for a link on the way.
UniqueFd OpenFolderWithoutLinks(const std::string& folderPath);

}  // namespace pathguard
