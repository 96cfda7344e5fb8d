#pragma once
// The only way the erase engine reaches the file system. One implementation per
// platform (engine/fileaccess); tests substitute a recording fake.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "win_error.h"

namespace dornix {

// Platform error codes as the Windows API reports them (win_error); 0 means success.
using ErrorCode = win_error::Code;

// A file opened for writing with no sharing, or one of its named data streams. Every
// failure is answered: a file not wholly overwritten, flushed and emptied must not be
// deleted. Everything acts on the open file itself, never again on its name, which may
// meanwhile lead elsewhere.
class OpenFile {
 public:
  virtual ~OpenFile() = default;
  virtual std::uint64_t Length() = 0;
  // Creation, last-access and last-write time all become 2000-01-01 01:01:01.001 UTC.
  virtual ErrorCode SetFixedTimes() = 0;
  virtual void Rewind() = 0;
  virtual std::uint64_t Position() = 0;
  // 0 when all `count` bytes were written, else the platform's code for why not.
  virtual ErrorCode Write(const std::uint8_t* bytes, std::uint32_t count) = 0;
  // 0 once what was written is on the disk.
  virtual ErrorCode Flush() = 0;
  // Cuts the file at the current position.
  virtual ErrorCode TruncateHere() = 0;
  // The names of the file's named data streams, each with clusters of its own that
  // deleting the file would free unwritten. None where the file system has no streams.
  virtual ErrorCode NamedStreams(std::vector<std::u16string>& names) {
    names.clear();
    return 0;
  }
  // Opens one of them as this file's own, for writing with no sharing.
  virtual ErrorCode OpenStream(std::u16string_view name, std::unique_ptr<OpenFile>& stream) {
    (void)name;
    (void)stream;
    return win_error::kNotSupported;
  }
  // Reads `count` bytes at `offset` from the disk itself, past the system's cache, once
  // what was written is flushed. kNotSupported where the platform cannot.
  virtual ErrorCode ReadUncached(std::uint64_t offset, std::uint8_t* bytes, std::uint32_t count) {
    (void)offset;
    (void)bytes;
    (void)count;
    return win_error::kNotSupported;
  }
  // Renames the file to a new unique name starting with `prefix` in its own folder,
  // then deletes it. 0 once it is gone; else the error, the file left under its own
  // name where it still can be.
  virtual ErrorCode RenameAwayAndDelete(const char* prefix) = 0;
  virtual void Close() = 0;
};

class FileAccess {
 public:
  virtual ~FileAccess() = default;
  // Opens an existing file, named as the caller gave it (UTF-16), for writing so that
  // no other process holds it meanwhile, and makes it plainly writable (read-only,
  // hidden, system bits cleared). Only a plain file with one name, reached through no
  // link, is opened; anything else is left untouched with win_error::kAccessDenied,
  // win_error::kNotSupported for a file whose data an overwrite would not reach where it
  // lies, or win_error::kInvalidName for a name that is no path at all.
  virtual ErrorCode OpenExclusive(std::u16string_view name, std::unique_ptr<OpenFile>& file) = 0;
};

}  // namespace dornix
