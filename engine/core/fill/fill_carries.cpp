#include <array>

#include "fill_kernels.h"

namespace dornix::kernels {

std::uint32_t CyclePosition(std::uint16_t low) {
  // A jump of 2^k draws leaves the low k bits of a state as they are and flips bit k,
  // so the position is found one bit at a time.
  std::uint32_t at = 0, position = 0;
  generator::Jump jump{generator::kMultiplier, generator::kIncrement};
  for (std::uint32_t bit = 1; bit < kLowCycle; bit <<= 1) {
    if ((at ^ low) & bit) {
      at = jump(at) & (kLowCycle - 1);
      position |= bit;
    }
    jump = {jump.multiplier * jump.multiplier, jump(jump.increment)};
  }
  return position;
}

const std::uint8_t* LetterCarries() {
  struct Table {
    std::array<std::uint8_t, kLowCycle + kLetterJump> entries;
    Table() {
      constexpr generator::Jump kJump = generator::JumpOf(kLetterJump);
      std::uint32_t low = 0;  // the low half at cycle position i
      for (std::size_t i = 0; i < kLowCycle; ++i) {
        entries[i] = static_cast<std::uint8_t>((std::uint64_t{kJump.multiplier} * low + kJump.increment) >> 16);
        low = generator::Step(low) & (kLowCycle - 1);
      }
      // Once more at the end, so that no load of consecutive entries has to wrap.
      for (std::size_t i = 0; i < kLetterJump; ++i) entries[kLowCycle + i] = entries[i];
    }
  };
  static const Table table;
  return table.entries.data();
}

}  // namespace dornix::kernels
