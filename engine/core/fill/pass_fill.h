#pragma once
// The pass buffer and the ways it is filled: fixed bytes, tiled patterns and the
// engine's own pseudo-random generator.
#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <span>

namespace dornix {

// 256,000 bytes, not 256 KiB: every chunk of a pass is written from its first byte.
inline constexpr std::size_t kPassBufferSize = 256000;

class PassBuffer {
 public:
  PassBuffer();  // check valid(): the allocation does not throw
  bool valid() const { return bytes_ != nullptr; }
  std::uint8_t* data() { return bytes_.get(); }
  const std::uint8_t* data() const { return bytes_.get(); }
  std::span<std::uint8_t> span() { return {bytes_.get(), kPassBufferSize}; }
  // The part that the chunks of a pass over `length` bytes are written from.
  std::span<std::uint8_t> UsedBy(std::uint64_t length) {
    return span().first(static_cast<std::size_t>(std::min<std::uint64_t>(length, kPassBufferSize)));
  }

  // Cache-line aligned, so wide stores of the random fills never split a line.
  static constexpr std::align_val_t kAlignment{64};

 private:
  struct AlignedDelete {
    void operator()(std::uint8_t* bytes) const { ::operator delete[](bytes, kAlignment); }
  };
  std::unique_ptr<std::uint8_t[], AlignedDelete> bytes_;
};

// Repeats pattern[0..n) over the whole buffer by doubling copies.
void TilePattern(std::span<std::uint8_t> buffer, std::span<const std::uint8_t> pattern);

// Letters for random-letter passes: "a..zA..Z" four times, then "a..zA..V".
using LetterTable = std::array<std::uint8_t, 256>;
const LetterTable& Letters();

// The linear congruential generator of the Microsoft C runtime, implemented here
// because other C libraries' rand differs. The state is per thread and starts at 1.
namespace generator {
inline constexpr std::uint32_t kMultiplier = 214013;
inline constexpr std::uint32_t kIncrement = 2531011;

std::uint32_t& State();
inline void Seed(std::uint32_t seed) { State() = seed; }
inline std::uint32_t Step(std::uint32_t state) { return state * kMultiplier + kIncrement; }
inline std::uint32_t Output(std::uint32_t state) { return (state >> 16) & 0x7FFF; }
inline std::uint32_t Draw() { return Output(State() = Step(State())); }

// k steps at once: state -> multiplier * state + increment (mod 2^32).
struct Jump {
  std::uint32_t multiplier = 1;
  std::uint32_t increment = 0;
  constexpr std::uint32_t operator()(std::uint32_t state) const { return state * multiplier + increment; }
};
// The jump of `draws` steps, by squaring: O(log draws).
constexpr Jump JumpOf(std::uint64_t draws) {
  Jump result, power{kMultiplier, kIncrement};
  for (; draws != 0; draws >>= 1) {
    if (draws & 1) result = {result.multiplier * power.multiplier, power(result.increment)};
    power = {power.multiplier * power.multiplier, power(power.increment)};
  }
  return result;
}
// Moves the thread's state past `draws` draws without making them.
inline void Skip(std::uint64_t draws) {
  if (draws != 0) State() = JumpOf(draws)(State());
}
}  // namespace generator

// Draws made by a fill of `bytes` bytes.
constexpr std::uint64_t PairDraws(std::size_t bytes) { return (bytes + 1) / 2; }
constexpr std::uint64_t LetterDraws(std::size_t bytes) { return bytes; }

// Two bytes per draw: the draw's low byte, then its high byte (never above 0x7F).
// An odd length ends with the low byte of one last draw.
void FillRandomPairs(std::span<std::uint8_t> buffer);
// One letter per draw, chosen by the draw's low byte.
void FillRandomLetters(std::span<std::uint8_t> buffer);

// The same fills one draw at a time: the definition the fast paths must match.
namespace reference {
void FillRandomPairs(std::span<std::uint8_t> buffer);
void FillRandomLetters(std::span<std::uint8_t> buffer);
}  // namespace reference

// Code paths of the random fills, slowest first. The fastest one the processor
// supports is chosen at start; tests force each in turn.
enum class FillPath : std::uint8_t { Portable, Avx2, Avx512Bw, Avx512Vbmi };
const char* NameOf(FillPath path);
std::span<const FillPath> SupportedFillPaths();
FillPath CurrentFillPath();
// False, and nothing changes, when the processor lacks the path.
bool SetFillPath(FillPath path);

}  // namespace dornix
