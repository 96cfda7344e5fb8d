#pragma once
// The pass buffer and the ways it is filled: fixed bytes, tiled patterns and the
// engine's own pseudo-random generator.
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
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

 private:
  std::unique_ptr<std::uint8_t[]> bytes_;
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
}  // namespace generator

// Two bytes per draw: the draw's low byte, then its high byte (never above 0x7F).
// `buffer` must have an even length.
void FillRandomPairs(std::span<std::uint8_t> buffer);
// One letter per draw, chosen by the draw's low byte.
void FillRandomLetters(std::span<std::uint8_t> buffer);

}  // namespace dornix
