#pragma once
// The only way the erase engine reaches the file system. One implementation per
// platform (engine/fileaccess); tests substitute a recording fake.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace dornix {

// Platform error codes as the Windows API reports them; 0 means success.
using ErrorCode = std::int32_t;

// A file opened for writing with no sharing. Only the writes' results are used:
// a file not wholly overwritten must not be emptied and deleted.
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
  virtual void Close() = 0;
};

class FileAccess {
 public:
  virtual ~FileAccess() = default;
  // The caller's UTF-16 name as the narrow path the other calls take.
  virtual std::string NarrowPath(std::u16string_view name) = 0;
  // Characters that end the folder part of a path.
  virtual std::string_view Separators() const = 0;
  // Makes the file plainly writable (read-only, hidden, system bits cleared).
  virtual ErrorCode ClearAttributes(const std::string& path) = 0;
  // Opens an existing file for writing so that no other process holds it meanwhile.
  virtual ErrorCode OpenExclusive(const std::string& path, std::unique_ptr<OpenFile>& file) = 0;
  // Creates an empty file with a unique name in `folder` starting with `prefix`
  // and returns its path; empty when no name could be had.
  virtual std::string CreateTempName(const std::string& folder, const char* prefix) = 0;
  virtual void Delete(const std::string& path) = 0;
  // Never replaces an existing file.
  virtual void Rename(const std::string& from, const std::string& to) = 0;
};

// Windows error codes the engine and its callers rely on.
namespace win_error {
inline constexpr ErrorCode kFileNotFound = 2;
inline constexpr ErrorCode kPathNotFound = 3;
inline constexpr ErrorCode kAccessDenied = 5;
inline constexpr ErrorCode kNotEnoughMemory = 8;
inline constexpr ErrorCode kWriteProtect = 19;
inline constexpr ErrorCode kWriteFault = 29;
inline constexpr ErrorCode kGenFailure = 31;
inline constexpr ErrorCode kSharingViolation = 32;
inline constexpr ErrorCode kDiskFull = 112;
inline constexpr ErrorCode kBusy = 170;
inline constexpr ErrorCode kFilenameTooLong = 206;
inline constexpr ErrorCode kCancelled = 1223;
// E_INVALIDARG as a signed value: the cycle count is below 1.
inline constexpr ErrorCode kInvalidArgument = static_cast<ErrorCode>(0x80070057u);
}  // namespace win_error

}  // namespace dornix
