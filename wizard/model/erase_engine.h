#pragma once
// The erase engine as the wizard drives it: one file per call, progress raised
// back on the caller's thread from inside each call.
#include <cstdint>
#include <string>

#include "win_error.h"

namespace qelwipe {

// kErased: erased; kSharingViolation: another program holds the file open; kCancelled: cancelled,
// the file left in place; any other value: not erased.
using EraseResult = win_error::Code;
inline constexpr EraseResult kErased = win_error::kSuccess;
using win_error::kCancelled;
using win_error::kInvalidArgument;
using win_error::kSharingViolation;

class EngineEvents {
 public:
  virtual ~EngineEvents() = default;
  virtual void OnProgress(std::int32_t round, std::int32_t pass, std::int32_t percent) = 0;
};

class EraseEngine {
 public:
  virtual ~EraseEngine() = default;
  // Where progress goes from now on; nullptr stops it.
  virtual void Advise(EngineEvents* events) = 0;
  virtual std::int32_t WipeMethod() = 0;
  virtual void SetWipeMethod(std::int32_t method) = 0;
  virtual void SetWipeRounds(std::int32_t rounds) = 0;
  virtual EraseResult WipeFile(const std::string& path) = 0;
  virtual EraseResult FastWipeFile(const std::string& path, std::uint8_t fill) = 0;
  virtual EraseResult GovermentWipeFile(const std::string& path, std::uint8_t fill1, std::uint8_t fill2,
                                        std::uint8_t fill3) = 0;
  virtual void CancelWipe() = 0;
};

}  // namespace qelwipe
