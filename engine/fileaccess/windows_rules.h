#pragma once
// What the Windows file access lets reach the system and what it accepts once a
// handle is open. Portable, so that the decisions are tested in both builds.
#include <cstdint>
#include <string_view>
#include <vector>

#include "file_access.h"

namespace dornix::windows_rules {

// What the system tells of an open handle.
struct HandleFacts {
  bool readable = false;  // its type, attributes and reparse tag could all be read
  bool onDisk = false;    // a file on a file system, not a device, pipe or console
  bool directory = false;
  std::uint32_t reparseTag = 0;  // 0 when it is no reparse point
  std::uint32_t links = 0;
};

// 0 for a plain file with a single name: overwriting any other would reach data
// that is not only under the name being erased.
ErrorCode CheckFile(const HandleFacts& facts);
// 0 for a folder that is really a folder here, not a name standing for another.
ErrorCode CheckFolder(const HandleFacts& facts);

// Before any system call: win_error::kAccessDenied for a device namespace or a
// reserved device name, win_error::kInvalidName for what is no path of a file.
ErrorCode CheckName(std::u16string_view name);

// An extended-length full path: its volume root ("\\?\C:\" or "\\?\UNC\server\share\")
// and the names below it, the file's last.
struct PathParts {
  std::u16string_view root;
  std::vector<std::u16string_view> names;
};
ErrorCode SplitFullPath(std::u16string_view path, PathParts& parts);

}  // namespace dornix::windows_rules
