#pragma once
// The erase methods as the user chooses them. A row's position is the method
// index the engine receives.
#include <array>
#include <cstdint>

namespace qelwipe {

enum class EngineOperation : std::uint8_t { WipeFile, FastWipeFile, GovermentWipeFile };

struct MethodEntry {
  const char* listText;
  const char* description;
  int hexFieldsShown;  // 0, 1 or 3
  EngineOperation operation;
};

inline constexpr int kMethodCount = 11;
extern const std::array<MethodEntry, kMethodCount> kMethods;

inline constexpr int kDefaultMethod = 1;
inline constexpr char kDefaultCycles[] = "3";
inline constexpr int kMaxCycles = 100;
inline constexpr std::size_t kHexFieldLength = 2;

}  // namespace qelwipe
