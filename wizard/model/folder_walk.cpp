#include "folder_walk.h"

#include <vector>

namespace qelwipe {

std::string JoinPath(const std::string& folder, char separator, const std::string& name) {
  return folder + separator + name;
}

std::string WithoutTrailingSeparators(std::string path, char separator) {
  while (path.size() > 1 && path.back() == separator && path[path.size() - 2] != ':') path.pop_back();
  return path;
}

bool LeavesItsFolder(const std::string& name, char separator) {
  return name.empty() || name == "." || name == ".." || name.find(separator) != std::string::npos ||
         name.find('/') != std::string::npos;
}

bool IsFolder(const std::optional<FileAttributes>& attributes) { return !attributes || attributes->directory; }
bool IsLink(const std::optional<FileAttributes>& attributes) { return attributes && attributes->link; }

FolderTotals FolderWalk::Measure(const std::string& path) {
  FolderTotals totals;
  // Entering a link would measure, and later erase, whatever it points to.
  if (IsLink(files_.Attributes(path))) return totals;
  std::vector<std::string> subFolders;
  for (const auto& entry : files_.ListFolder(path)) {
    if (LeavesItsFolder(entry.name, files_.Separator())) continue;
    const std::string full = JoinPath(path, files_.Separator(), entry.name);
    if (IsFolder(entry.attributes)) {
      ++totals.folders;
      subFolders.push_back(full);
    } else {
      totals.bytes += entry.length ? *entry.length : files_.FileLength(full).value_or(0);
      ++totals.files;
    }
  }
  for (const auto& subFolder : subFolders) {
    if (stopped_ && stopped_()) break;
    totals += Measure(subFolder);
  }
  if (pump_) pump_();
  return totals;
}

}  // namespace qelwipe
