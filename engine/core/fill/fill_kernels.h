#pragma once
// Block kernels behind the random fills. Each writes as many whole blocks as fit
// at the front of `out`, returns the bytes written and moves `state` past exactly
// the draws those bytes took; the caller finishes the rest one draw at a time.
// Every lane of a kernel starts at the state of its own draw within the first
// block and jumps a whole block of draws per step.
#include <cstddef>
#include <cstdint>

#include "pass_fill.h"

#if defined(__x86_64__) || defined(__i386__)
#define DORNIX_FILL_X86 1
#endif

namespace dornix::kernels {

using Kernel = std::size_t (*)(std::uint8_t* out, std::size_t size, std::uint32_t& state);

// states[i] is the state that makes draw i (0-based) after `state`.
inline void DrawStates(std::uint32_t state, std::uint32_t* states, std::size_t count) {
  for (std::size_t i = 0; i < count; ++i) states[i] = state = generator::Step(state);
}

// The letter kernels split each state into a high and a low half, state = high * 2^16
// + low. The low halves run through all 65,536 values in one fixed cycle. A jump of
// K draws takes the high half h of a draw to multiplier_K * h + carry, where the carry
// depends only on that draw's low half: lanes holding consecutive draws load their
// carries from consecutive entries of a table kept in cycle order.
inline constexpr std::size_t kLowCycle = std::size_t{1} << 16;
// multiplier_64 = 1 (mod 2^8): the byte that picks a letter only adds its carry.
inline constexpr std::size_t kLetterJump = 64;
static_assert(generator::JumpOf(kLetterJump).multiplier % 256 == 1);

// Where `low` stands in the cycle of low halves that starts at 0.
std::uint32_t CyclePosition(std::uint16_t low);
// The low bytes of a letter jump's carries at each cycle position, then the first
// kLetterJump entries once more: kLowCycle + kLetterJump entries.
const std::uint8_t* LetterCarries();

std::size_t PortablePairs(std::uint8_t* out, std::size_t size, std::uint32_t& state);
std::size_t PortableLetters(std::uint8_t* out, std::size_t size, std::uint32_t& state);

#ifdef DORNIX_FILL_X86
std::size_t Avx2Pairs(std::uint8_t* out, std::size_t size, std::uint32_t& state);
std::size_t Avx2Letters(std::uint8_t* out, std::size_t size, std::uint32_t& state);
std::size_t Avx512Pairs(std::uint8_t* out, std::size_t size, std::uint32_t& state);
std::size_t Avx512BwLetters(std::uint8_t* out, std::size_t size, std::uint32_t& state);
std::size_t Avx512VbmiLetters(std::uint8_t* out, std::size_t size, std::uint32_t& state);
#endif

}  // namespace dornix::kernels
