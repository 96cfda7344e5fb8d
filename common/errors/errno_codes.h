#pragma once
// POSIX errors in the Windows codes the engine and its callers read (POSIX builds only).
#include <cerrno>

#include "win_error.h"

namespace win_error {

inline Code FromErrno(int error) {
  struct Mapping {
    int error;
    Code code;
  };
  static constexpr Mapping kMappings[] = {
      {ENOENT, kFileNotFound},      {ENOTDIR, kPathNotFound},      {EACCES, kAccessDenied},
      {EPERM, kAccessDenied},       {ELOOP, kAccessDenied},        {EISDIR, kAccessDenied},
      {EAGAIN, kSharingViolation},  {EBUSY, kSharingViolation},    {ETXTBSY, kSharingViolation},
      {EROFS, kWriteProtect},       {ENOMEM, kNotEnoughMemory},    {ENAMETOOLONG, kFilenameTooLong},
      {ENXIO, kAccessDenied},       {ENOSPC, kDiskFull},           {EDQUOT, kDiskFull},
      {EIO, kWriteFault},           {EMFILE, kTooManyOpenFiles},   {ENFILE, kTooManyOpenFiles},
  };
  for (const auto& mapping : kMappings)
    if (mapping.error == error) return mapping.code;
  return kGenFailure;
}

}  // namespace win_error
