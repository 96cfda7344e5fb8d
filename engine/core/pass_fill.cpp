#include "pass_fill.h"

#include <algorithm>
#include <cstring>
#include <new>

namespace dornix {

PassBuffer::PassBuffer() : bytes_(new (std::nothrow) std::uint8_t[kPassBufferSize]) {}

void TilePattern(std::span<std::uint8_t> buffer, std::span<const std::uint8_t> pattern) {
  const std::size_t size = buffer.size();
  std::size_t filled = std::min(pattern.size(), size);
  std::memcpy(buffer.data(), pattern.data(), filled);
  while (filled < size) {
    const std::size_t copy = std::min(filled, size - filled);
    std::memcpy(buffer.data() + filled, buffer.data(), copy);
    filled += copy;
  }
}

namespace {
constexpr LetterTable MakeLetters() {
  constexpr char kAlphabet[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ";
  LetterTable table{};
  for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<std::uint8_t>(kAlphabet[i % 52]);
  return table;
}
constexpr LetterTable kLetters = MakeLetters();
}  // namespace

const LetterTable& Letters() { return kLetters; }

std::uint32_t& generator::State() {
  thread_local std::uint32_t state = 1;
  return state;
}

void FillRandomPairs(std::span<std::uint8_t> buffer) {
  std::uint32_t state = generator::State();
  for (std::size_t i = 0; i + 1 < buffer.size(); i += 2) {
    state = generator::Step(state);
    const std::uint32_t draw = generator::Output(state);
    buffer[i] = static_cast<std::uint8_t>(draw);
    buffer[i + 1] = static_cast<std::uint8_t>(draw >> 8);
  }
  generator::State() = state;
}

void FillRandomLetters(std::span<std::uint8_t> buffer) {
  std::uint32_t state = generator::State();
  for (auto& byte : buffer) {
    state = generator::Step(state);
    byte = kLetters[generator::Output(state) & 0xFF];
  }
  generator::State() = state;
}

}  // namespace dornix
