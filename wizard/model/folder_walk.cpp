#include "folder_walk.h"

#include <vector>

namespace qelwipe {

std::string JoinPath(const std::string& folder, char separator, const std::string& name) {
  return folder + separator + name;
}

bool LeavesItsFolder(const std::string& name, char separator) {
  return name.empty() || name == "." || name == ".." || name.find(separator) != std::string::npos ||
         name.find('/') != std::string::npos;
}

bool IsFolder(const std::optional<FileAttributes>& attributes) { return !attributes || attributes->directory; }
bool IsLink(const std::optional<FileAttributes>& attributes) { return attributes && attributes->link; }

std::uint64_t FolderWalk::FolderSize(const std::string& path) {
  std::uint64_t total = 0;
  // Entering a link would measure, and later erase, whatever it points to.
  if (!IsLink(files_.Attributes(path))) {
    std::vector<std::string> subFolders;
    for (const auto& entry : files_.ListFolder(path)) {
      if (LeavesItsFolder(entry.name, files_.Separator())) continue;
      const std::string full = JoinPath(path, files_.Separator(), entry.name);
      if (IsFolder(entry.attributes)) {
        ++WalkFolders;
        subFolders.push_back(full);
      } else {
        total += entry.length ? *entry.length : files_.FileLength(full).value_or(0);
        ++WalkFiles;
      }
    }
    for (const auto& subFolder : subFolders) {
      if (stopped_ && stopped_()) break;
      total += FolderSize(subFolder);
    }
    if (pump_) pump_();
  }
  WalkBytes = total;
  return total;
}

}  // namespace qelwipe
