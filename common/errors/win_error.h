#pragma once
// Windows error codes as the erase engine answers them and its callers read them.
// Portable: no <windows.h>, so the native build shares the same names.
#include <cstdint>

namespace win_error {

// 0 means success; a signed 32-bit value, as erase results cross COM as `int`.
using Code = std::int32_t;

inline constexpr Code kSuccess = 0;
inline constexpr Code kFileNotFound = 2;
inline constexpr Code kPathNotFound = 3;
inline constexpr Code kTooManyOpenFiles = 4;
inline constexpr Code kAccessDenied = 5;
inline constexpr Code kNotEnoughMemory = 8;
inline constexpr Code kWriteProtect = 19;
inline constexpr Code kWriteFault = 29;
inline constexpr Code kGenFailure = 31;
// Another program holds the file open: the wizard hands it on to the next start.
inline constexpr Code kSharingViolation = 32;
// The file keeps its data where an overwrite cannot reach it (stored compressed, encrypted,
// sparse, copy-on-write or elsewhere): it is left untouched under its name.
inline constexpr Code kNotSupported = 50;
// ERROR_CRC: what was read back from the disk differs from what the last pass wrote.
inline constexpr Code kDataError = 23;
// Every temporary name an erased file could leave under was taken.
inline constexpr Code kFileExists = 80;
inline constexpr Code kDiskFull = 112;
inline constexpr Code kBusy = 170;
inline constexpr Code kInvalidName = 123;
inline constexpr Code kFilenameTooLong = 206;
// The erase was cancelled: the file is left in place, not emptied.
inline constexpr Code kCancelled = 1223;
// E_INVALIDARG as a signed value: a request that cannot be carried out (cycle count below 1).
inline constexpr Code kInvalidArgument = static_cast<Code>(0x80070057u);

}  // namespace win_error
