#pragma once
// What may be erased and walked through on Windows, decided from what the system tells
// of a name or an open handle. Portable, so that both builds test the decisions; the
// engine and the wizard both act on them, so a link is the same thing to either.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "win_error.h"

namespace pathguard {

using ErrorCode = win_error::Code;

// The system's FILE_ATTRIBUTE_* bits this code decides on (the Windows side checks them
// against <windows.h>).
namespace attribute {
inline constexpr std::uint32_t kReadOnly = 0x1, kHidden = 0x2, kSystem = 0x4, kDirectory = 0x10, kArchive = 0x20,
                               kNormal = 0x80, kSparseFile = 0x200, kReparsePoint = 0x400, kCompressed = 0x800,
                               kOffline = 0x1000, kEncrypted = 0x4000, kIntegrityStream = 0x8000,
                               kRecallOnOpen = 0x40000, kRecallOnDataAccess = 0x400000;
}  // namespace attribute

// What the system tells of an open handle.
struct EntryFacts {
  bool readable = false;  // its type, attributes and reparse tag could all be read
  bool onDisk = false;    // a file on a file system, not a device, pipe or console
  std::uint32_t attributes = 0;
  std::uint32_t reparseTag = 0;  // read when the attributes carry a reparse point
  std::uint32_t links = 0;
};

// A name standing for another entry: a reparse point whose tag is a name surrogate
// (symbolic link, junction, mount point) or whose tag could not be read. Other reparse
// points (deduplicated, cloud, compressed by the system) are the entry itself.
bool IsLink(std::uint32_t attributes, std::uint32_t reparseTag);

// 0 for a plain file with a single name, whose every byte is overwritten where it lies.
// win_error::kAccessDenied for anything that would carry the erase to other data (a link,
// a second name, a folder, a device); win_error::kNotSupported for a file whose old
// contents an overwrite would leave on the disk or elsewhere: stored compressed,
// encrypted or sparse, with an integrity stream (copied on write), behind any other
// reparse point (the system's compression, deduplication, cloud files), or offline.
ErrorCode CheckFile(const EntryFacts& facts);
// 0 for a folder that is really a folder here, not a name standing for another.
ErrorCode CheckFolder(const EntryFacts& facts);

// Before any system call: win_error::kAccessDenied for a device namespace or a
// reserved device name, win_error::kInvalidName for what is no path of a file.
ErrorCode CheckName(std::u16string_view name);

// An extended-length full path: its volume root ("\\?\C:\" or "\\?\UNC\server\share\")
// and the names below it, the file's last; none for the root itself.
struct PathParts {
  std::u16string_view root;
  std::vector<std::u16string_view> names;
};
ErrorCode SplitFullPath(std::u16string_view path, PathParts& parts);

// The name of a named data stream as the system lists a file's streams
// (":Zone.Identifier:$DATA"); none for the main stream ("::$DATA") or a stream of another type.
std::optional<std::u16string_view> NamedDataStream(std::u16string_view listed);

}  // namespace pathguard
