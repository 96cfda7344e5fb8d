#pragma once
// The recursive measurement of a folder, shared by the items list and the erase run.
#include <cstdint>
#include <functional>
#include <string>

#include "file_system.h"
#include "message_pump.h"

namespace qelwipe {

class FolderWalk {
 public:
  // `stopped` ends a walk early: the program is closing.
  FolderWalk(FileSystem& files, MessagePump pump, std::function<bool()> stopped = {})
      : files_(files), pump_(std::move(pump)), stopped_(std::move(stopped)) {}

  // Adds the files and sub-folders found below `path` to WalkFiles and
  // WalkFolders, sets WalkBytes to the byte total and returns it. A link is
  // counted where it stands but never entered.
  std::uint64_t FolderSize(const std::string& path);

  void ResetTotals() { WalkFiles = WalkFolders = WalkBytes = 0; }

  std::uint64_t WalkFiles = 0;
  std::uint64_t WalkFolders = 0;
  std::uint64_t WalkBytes = 0;

 private:
  FileSystem& files_;
  MessagePump pump_;
  std::function<bool()> stopped_;
};

// The entry's full path: folder, separator, name.
std::string JoinPath(const std::string& folder, char separator, const std::string& name);

// A listed name that would not name an entry of its folder once joined to it:
// empty (a listed name with no UTF-8 form), "." or "..", or holding a separator.
bool LeavesItsFolder(const std::string& name, char separator);

// A path whose attributes cannot be read is taken for a folder.
bool IsFolder(const std::optional<FileAttributes>& attributes);
bool IsLink(const std::optional<FileAttributes>& attributes);

}  // namespace qelwipe
