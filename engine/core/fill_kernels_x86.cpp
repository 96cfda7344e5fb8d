// Vector kernels of the random fills. Each region is compiled for its own
// instruction set and only called after the processor was found to have it.
#include "fill_kernels.h"

#ifdef DORNIX_FILL_X86
#include <immintrin.h>

namespace dornix::kernels {
namespace {

// Lane j of the result holds states[first + stride * j].
template <std::size_t Lanes>
struct Gathered {
  std::uint32_t lanes[Lanes];
  Gathered(const std::uint32_t* states, std::size_t first, std::size_t stride) {
    for (std::size_t j = 0; j < Lanes; ++j) lanes[j] = states[first + stride * j];
  }
};

// A pairs block: draw d's two bytes sit at 2d. The even draws of a 32-bit group come
// from one vector, the odd ones from another, so one word blend interleaves them.
// A letters block: byte k of dword j is the draw in lane j of vector k (draw 4j + k).
constexpr std::uint32_t kPairMask = 0x7FFF7FFF;

}  // namespace

#pragma GCC push_options
#pragma GCC target("avx2")

namespace {
constexpr std::size_t kAvx2Lanes = 8;

inline __m256i Load8(const std::uint32_t* states, std::size_t first, std::size_t stride) {
  const Gathered<kAvx2Lanes> g(states, first, stride);
  return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(g.lanes));
}

inline __m256i Advance8(__m256i lanes, __m256i multiplier, __m256i increment) {
  return _mm256_add_epi32(_mm256_mullo_epi32(lanes, multiplier), increment);
}

// The draws' low bytes (the states' byte 2) of four vectors: byte k of dword j from
// lane j of vector k. Word blends gather bytes 0 and 2, a byte blend merges them.
inline __m256i Indexes32(const __m256i (&lanes)[4]) {
  const __m256i even = _mm256_blend_epi16(_mm256_srli_epi32(lanes[0], 16), lanes[2], 0xAA);
  const __m256i odd = _mm256_blend_epi16(_mm256_srli_epi32(lanes[1], 8), _mm256_slli_epi32(lanes[3], 8), 0xAA);
  return _mm256_blendv_epi8(even, odd, _mm256_set1_epi32(static_cast<int>(0xFF00FF00u)));
}

// Table entry i is letter i mod 52 (208 = 4 * 52, so entries 208.. start again).
inline __m256i Letter32(__m256i index) {
  __m256i x = _mm256_min_epu8(index, _mm256_sub_epi8(index, _mm256_set1_epi8(static_cast<char>(208))));
  x = _mm256_min_epu8(x, _mm256_sub_epi8(x, _mm256_set1_epi8(104)));
  x = _mm256_min_epu8(x, _mm256_sub_epi8(x, _mm256_set1_epi8(52)));
  const __m256i upper = _mm256_cmpgt_epi8(x, _mm256_set1_epi8(25));
  return _mm256_sub_epi8(_mm256_add_epi8(x, _mm256_set1_epi8('a')),
                         _mm256_and_si256(upper, _mm256_set1_epi8('a' - 'A' + 26)));
}
}  // namespace

std::size_t Avx2Pairs(std::uint8_t* out, std::size_t size, std::uint32_t& state) {
  constexpr std::size_t kGroups = 4, kDraws = kGroups * 2 * kAvx2Lanes, kBlock = 2 * kDraws;
  const std::size_t blocks = size / kBlock;
  if (blocks == 0) return 0;
  std::uint32_t states[kDraws];
  DrawStates(state, states, kDraws);
  __m256i even[kGroups], odd[kGroups];
  for (std::size_t g = 0; g < kGroups; ++g) {
    even[g] = Load8(states, 16 * g, 2);
    odd[g] = Load8(states, 16 * g + 1, 2);
  }
  constexpr generator::Jump kStep = generator::JumpOf(kDraws);
  const __m256i multiplier = _mm256_set1_epi32(static_cast<int>(kStep.multiplier));
  const __m256i increment = _mm256_set1_epi32(static_cast<int>(kStep.increment));
  const __m256i mask = _mm256_set1_epi32(static_cast<int>(kPairMask));
  for (std::size_t block = 0; block < blocks; ++block, out += kBlock)
#pragma GCC unroll 4
    for (std::size_t g = 0; g < kGroups; ++g) {
      const __m256i words = _mm256_blend_epi16(_mm256_srli_epi32(even[g], 16), odd[g], 0xAA);
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32 * g), _mm256_and_si256(words, mask));
      even[g] = Advance8(even[g], multiplier, increment);
      odd[g] = Advance8(odd[g], multiplier, increment);
    }
  state = generator::JumpOf(blocks * kDraws)(state);
  return blocks * kBlock;
}

std::size_t Avx2Letters(std::uint8_t* out, std::size_t size, std::uint32_t& state) {
  constexpr std::size_t kGroups = 2, kDraws = kGroups * 4 * kAvx2Lanes, kBlock = kDraws;
  const std::size_t blocks = size / kBlock;
  if (blocks == 0) return 0;
  std::uint32_t states[kDraws];
  DrawStates(state, states, kDraws);
  __m256i lanes[kGroups][4];
  for (std::size_t g = 0; g < kGroups; ++g)
    for (std::size_t k = 0; k < 4; ++k) lanes[g][k] = Load8(states, 32 * g + k, 4);
  constexpr generator::Jump kStep = generator::JumpOf(kDraws);
  const __m256i multiplier = _mm256_set1_epi32(static_cast<int>(kStep.multiplier));
  const __m256i increment = _mm256_set1_epi32(static_cast<int>(kStep.increment));
  for (std::size_t block = 0; block < blocks; ++block, out += kBlock)
#pragma GCC unroll 4
    for (std::size_t g = 0; g < kGroups; ++g) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + 32 * g), Letter32(Indexes32(lanes[g])));
#pragma GCC unroll 4
      for (auto& v : lanes[g]) v = Advance8(v, multiplier, increment);
    }
  state = generator::JumpOf(blocks * kDraws)(state);
  return blocks * kBlock;
}

#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw")
// GCC 12's own AVX-512 intrinsics pass a deliberately undefined operand and warn about it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace {
constexpr std::size_t kAvx512Lanes = 16;

inline __m512i Load16(const std::uint32_t* states, std::size_t first, std::size_t stride) {
  const Gathered<kAvx512Lanes> g(states, first, stride);
  return _mm512_loadu_si512(g.lanes);
}

inline __m512i Advance16(__m512i lanes, __m512i multiplier, __m512i increment) {
  return _mm512_add_epi32(_mm512_mullo_epi32(lanes, multiplier), increment);
}

// As Indexes32, in 512 bits.
inline __m512i Indexes64(const __m512i (&lanes)[4]) {
  constexpr __mmask32 kHighWords = 0xAAAAAAAAu;
  constexpr __mmask64 kOddBytes = 0xAAAAAAAAAAAAAAAAull;
  const __m512i even = _mm512_mask_blend_epi16(kHighWords, _mm512_srli_epi32(lanes[0], 16), lanes[2]);
  const __m512i odd =
      _mm512_mask_blend_epi16(kHighWords, _mm512_srli_epi32(lanes[1], 8), _mm512_slli_epi32(lanes[3], 8));
  return _mm512_mask_blend_epi8(kOddBytes, even, odd);
}

namespace bw {
// Table entry i is letter i mod 52, as in the 256-bit form.
struct LetterLookup {
  __m512i operator()(__m512i index) const {
    __m512i x = _mm512_min_epu8(index, _mm512_sub_epi8(index, _mm512_set1_epi8(static_cast<char>(208))));
    x = _mm512_min_epu8(x, _mm512_sub_epi8(x, _mm512_set1_epi8(104)));
    x = _mm512_min_epu8(x, _mm512_sub_epi8(x, _mm512_set1_epi8(52)));
    const __mmask64 upper = _mm512_cmpgt_epi8_mask(x, _mm512_set1_epi8(25));
    const __m512i lower = _mm512_add_epi8(x, _mm512_set1_epi8('a'));
    return _mm512_mask_sub_epi8(lower, upper, lower, _mm512_set1_epi8('a' - 'A' + 26));
  }
};
#include "fill_kernels_avx512_letters.inc"
}  // namespace bw
}  // namespace

std::size_t Avx512Pairs(std::uint8_t* out, std::size_t size, std::uint32_t& state) {
  constexpr std::size_t kGroups = 4, kDraws = kGroups * 2 * kAvx512Lanes, kBlock = 2 * kDraws;
  const std::size_t blocks = size / kBlock;
  if (blocks == 0) return 0;
  std::uint32_t states[kDraws];
  DrawStates(state, states, kDraws);
  __m512i even[kGroups], odd[kGroups];
  for (std::size_t g = 0; g < kGroups; ++g) {
    even[g] = Load16(states, 32 * g, 2);
    odd[g] = Load16(states, 32 * g + 1, 2);
  }
  constexpr generator::Jump kStep = generator::JumpOf(kDraws);
  const __m512i multiplier = _mm512_set1_epi32(static_cast<int>(kStep.multiplier));
  const __m512i increment = _mm512_set1_epi32(static_cast<int>(kStep.increment));
  const __m512i mask = _mm512_set1_epi32(static_cast<int>(kPairMask));
  for (std::size_t block = 0; block < blocks; ++block, out += kBlock)
#pragma GCC unroll 4
    for (std::size_t g = 0; g < kGroups; ++g) {
      const __m512i words = _mm512_mask_blend_epi16(0xAAAAAAAAu, _mm512_srli_epi32(even[g], 16), odd[g]);
      _mm512_storeu_si512(out + 64 * g, _mm512_and_si512(words, mask));
      even[g] = Advance16(even[g], multiplier, increment);
      odd[g] = Advance16(odd[g], multiplier, increment);
    }
  state = generator::JumpOf(blocks * kDraws)(state);
  return blocks * kBlock;
}

std::size_t Avx512BwLetters(std::uint8_t* out, std::size_t size, std::uint32_t& state) {
  return bw::FillLetters(out, size, state);
}

#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512vbmi")

namespace {
namespace vbmi {
// The whole 256-entry table in four registers: two 128-byte lookups, picked by bit 7.
struct LetterLookup {
  __m512i t0, t1, t2, t3;
  LetterLookup()
      : t0(_mm512_loadu_si512(Letters().data())),
        t1(_mm512_loadu_si512(Letters().data() + 64)),
        t2(_mm512_loadu_si512(Letters().data() + 128)),
        t3(_mm512_loadu_si512(Letters().data() + 192)) {}
  __m512i operator()(__m512i index) const {
    const __m512i low = _mm512_permutex2var_epi8(t0, index, t1);
    const __m512i high = _mm512_permutex2var_epi8(t2, index, t3);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(index), low, high);
  }
};
#include "fill_kernels_avx512_letters.inc"
}  // namespace vbmi
}  // namespace

std::size_t Avx512VbmiLetters(std::uint8_t* out, std::size_t size, std::uint32_t& state) {
  return vbmi::FillLetters(out, size, state);
}

#pragma GCC diagnostic pop
#pragma GCC pop_options

}  // namespace dornix::kernels

#endif
