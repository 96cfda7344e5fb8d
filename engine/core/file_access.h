#pragma once
// The only way the erase engine reaches the file system. One implementation per
// platform (engine/fileaccess); tests substitute a recording fake.
#include <cstdint>
#include <memory>
#include <string_view>

#include "win_error.h"

namespace dornix {

// Platform error codes as the Windows API reports them (win_error); 0 means success.
using ErrorCode = win_error::Code;

// A file opened for writing with no sharing. Only the writes' results are used:
// a file not wholly overwritten must not be emptied and deleted. Everything acts on
// the open file itself, never again on its name, which may meanwhile lead elsewhere.
class OpenFile {
 public:
  virtual ~OpenFile() = default;
  virtual std::uint64_t Length() = 0;
  // Creation, last-access and last-write time all become 2000-01-01 01:01:01.001 UTC.
  virtual void SetFixedTimes() = 0;
  virtual void Rewind() = 0;
  virtual std::uint64_t Position() = 0;
  // 0 when all `count` bytes were written, else the platform's code for why not.
  virtual ErrorCode Write(const std::uint8_t* bytes, std::uint32_t count) = 0;
  virtual void Flush() = 0;
  // Cuts the file at the current position.
  virtual void TruncateHere() = 0;
  // Renames the file to a new unique name starting with `prefix` in its own folder,
  // then deletes it. If the folder refuses, the file stays as it is.
  virtual void RenameAwayAndDelete(const char* prefix) = 0;
  virtual void Close() = 0;
};

class FileAccess {
 public:
  virtual ~FileAccess() = default;
  // Opens an existing file, named as the caller gave it (UTF-16), for writing so that
  // no other process holds it meanwhile, and makes it plainly writable (read-only,
  // hidden, system bits cleared). Only a plain file with one name, reached through no
  // link, is opened; anything else is left untouched with win_error::kAccessDenied,
  // or win_error::kInvalidName for a name that is no path at all.
  virtual ErrorCode OpenExclusive(std::u16string_view name, std::unique_ptr<OpenFile>& file) = 0;
};

}  // namespace dornix
