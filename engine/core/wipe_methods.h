#pragma once
// The erase methods of WipeFile: each an ordered list of passes, as data.
#include <array>
#include <cstdint>
#include <span>

namespace dornix {

enum class FillKind : std::uint8_t { FixedByte, TiledPattern, RandomPairs, RandomLetters };

struct PassSpec {
  FillKind kind;
  std::uint8_t patternLength;           // FixedByte: 1; TiledPattern: 3 or 4; random: 0
  std::array<std::uint8_t, 4> pattern;  // in file order

  constexpr std::span<const std::uint8_t> bytes() const { return {pattern.data(), patternLength}; }
  constexpr bool random() const { return kind == FillKind::RandomPairs || kind == FillKind::RandomLetters; }
};

struct MethodSpec {
  int seedBeforePass;  // 1-based pass before which the generator is seeded; 0: never
  std::span<const PassSpec> passes;
};

namespace passes {
constexpr PassSpec Fixed(std::uint8_t v) { return {FillKind::FixedByte, 1, {v, 0, 0, 0}}; }
constexpr PassSpec Pattern(std::uint8_t a, std::uint8_t b, std::uint8_t c) {
  return {FillKind::TiledPattern, 3, {a, b, c, 0}};
}
constexpr PassSpec Pattern(std::uint8_t a, std::uint8_t b, std::uint8_t c, std::uint8_t d) {
  return {FillKind::TiledPattern, 4, {a, b, c, d}};
}
inline constexpr PassSpec kPairs{FillKind::RandomPairs, 0, {}};
inline constexpr PassSpec kLetters{FillKind::RandomLetters, 0, {}};

inline constexpr std::array kZero{Fixed(0x00)};
inline constexpr std::array kQuickRandom{kPairs};
inline constexpr std::array kStopSoftwareRecovery{kLetters, Fixed(0x00)};
inline constexpr std::array kNavsoRll{kPairs, Pattern(0xFF, 0xFF, 0xFF, 0xE4), kPairs};
inline constexpr std::array kNavsoMfm{Fixed(0xFF), Pattern(0xFF, 0xFF, 0xFF, 0xFD), kPairs};
inline constexpr std::array kDod{kLetters, kLetters, kPairs, kLetters, kLetters, kLetters, kPairs};
inline constexpr std::array kSchneier{kPairs, Fixed(0x00), kPairs, kPairs, kPairs, kPairs, kPairs};
// The longer pass lists are laid out as the passes run.
// clang-format off
inline constexpr std::array kBeyondDod{kLetters, kLetters, kLetters, kLetters, kLetters, kPairs, kLetters,
                                       kLetters, kLetters, kPairs, kLetters, kLetters, kLetters};
inline constexpr std::array kGutmann{
    Pattern(0x92, 0x49, 0x24), kPairs, kPairs, kPairs,
    Fixed(0x55), Fixed(0xAA),
    Pattern(0x92, 0x49, 0x24), Pattern(0x49, 0x24, 0x92), Pattern(0x24, 0x92, 0x49),
    Fixed(0x00), Fixed(0x11), Fixed(0x22), Fixed(0x33), Fixed(0x44), Fixed(0x55), Fixed(0x66), Fixed(0x77),
    Fixed(0x88), Fixed(0x99), Fixed(0xAA), Fixed(0xBB), Fixed(0xCC), Fixed(0xDD), Fixed(0xEE), Fixed(0xFF),
    Pattern(0x92, 0x49, 0x24), Pattern(0x49, 0x24, 0x92), Pattern(0x24, 0x92, 0x49),
    Pattern(0x6D, 0xB6, 0xDB), Pattern(0xB6, 0xDB, 0x6D), Pattern(0xDB, 0x6D, 0xB6),
    kPairs, kPairs, kPairs, kPairs};
// clang-format on
}  // namespace passes

// Indexed by WipeMethod 0 to 8.
inline constexpr std::array<MethodSpec, 9> kMethodCatalogue{{
    {0, passes::kZero},
    {1, passes::kQuickRandom},
    {1, passes::kStopSoftwareRecovery},
    {1, passes::kNavsoRll},
    {0, passes::kNavsoMfm},  // never seeds: continues the thread's generator
    {1, passes::kDod},
    {1, passes::kSchneier},
    {1, passes::kBeyondDod},
    {2, passes::kGutmann},
}};

// Any value outside 0 to 8 runs the single zero pass of method 0.
constexpr const MethodSpec& MethodFor(std::int32_t wipeMethod) {
  return wipeMethod >= 0 && wipeMethod < static_cast<std::int32_t>(kMethodCatalogue.size())
             ? kMethodCatalogue[static_cast<std::size_t>(wipeMethod)]
             : kMethodCatalogue[0];
}

static_assert(passes::kGutmann.size() == 35);

}  // namespace dornix
