#pragma once
// The recursive measurement of a folder, shared by the items list and the erase run.
#include <cstdint>
#include <functional>
#include <string>

#include "file_system.h"
#include "message_pump.h"

namespace qelwipe {

// What lies below a folder.
struct FolderTotals {
  std::uint64_t files = 0, folders = 0, bytes = 0;
  FolderTotals& operator+=(const FolderTotals& other) {
    files += other.files;
    folders += other.folders;
    bytes += other.bytes;
    return *this;
  }
};

class FolderWalk {
 public:
  // `stopped` ends a walk early: the program is closing.
  FolderWalk(FileSystem& files, MessagePump pump, std::function<bool()> stopped = {})
      : files_(files), pump_(std::move(pump)), stopped_(std::move(stopped)) {}

  // The files, sub-folders and bytes found below `path`. A link is counted where it
  // stands but never entered. Each walk has totals of its own: a walk started by a
  // message pumped during another leaves that one's totals alone.
  FolderTotals Measure(const std::string& path);

 private:
  FileSystem& files_;
  MessagePump pump_;
  std::function<bool()> stopped_;
};

// The entry's full path: folder, separator, name.
std::string JoinPath(const std::string& folder, char separator, const std::string& name);

// Without the separators it ends in, but for a root's own ("C:\", "/"): through a trailing
// separator the system resolves a link to its target, and "C:" alone names the drive's
// current folder, not its root.
std::string WithoutTrailingSeparators(std::string path, char separator);

// A listed name that would not name an entry of its folder once joined to it:
// empty (a listed name with no UTF-8 form), "." or "..", or holding a separator.
bool LeavesItsFolder(const std::string& name, char separator);

// A path whose attributes cannot be read is taken for a folder.
bool IsFolder(const std::optional<FileAttributes>& attributes);
bool IsLink(const std::optional<FileAttributes>& attributes);

}  // namespace qelwipe
