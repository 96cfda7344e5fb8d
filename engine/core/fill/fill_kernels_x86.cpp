// Vector kernels of the random fills. Each region is compiled for its own
// instruction set and only called after the processor was found to have it.
#include "fill_kernels.h"

#ifdef DORNIX_FILL_X86
#include <immintrin.h>

namespace dornix::kernels {
namespace {

// Every `stride`-th state, as the lanes of one vector.
template <std::size_t Lanes>
struct Strided {
  std::uint32_t lanes[Lanes];
  Strided(const std::uint32_t* states, std::size_t stride) {
    for (std::size_t j = 0; j < Lanes; ++j) lanes[j] = states[stride * j];
  }
};

// Pairs: a group is two vectors, the even draws and the odd ones; a word blend puts
// each draw's output (the state's high half) in place, a mask clears bit 15.
constexpr std::uint32_t kPairMask = 0x7FFF7FFF;

}  // namespace

#pragma GCC push_options
#pragma GCC target("avx2")

namespace {
namespace avx2 {
using Vec = __m256i;
constexpr std::size_t kLanes = 8;
inline Vec Load(const std::uint32_t* states, std::size_t stride) {
  const Strided<kLanes> s(states, stride);
  return _mm256_loadu_si256(reinterpret_cast<const Vec*>(s.lanes));
}
inline Vec Broadcast(std::uint32_t value) { return _mm256_set1_epi32(static_cast<int>(value)); }
inline Vec Advance(Vec lanes, Vec multiplier, Vec increment) {
  return _mm256_add_epi32(_mm256_mullo_epi32(lanes, multiplier), increment);
}
inline void Store(std::uint8_t* out, Vec bytes) { _mm256_storeu_si256(reinterpret_cast<Vec*>(out), bytes); }
inline Vec LoadBytes(const std::uint8_t* from) { return _mm256_loadu_si256(reinterpret_cast<const Vec*>(from)); }
inline Vec AddBytes(Vec a, Vec b) { return _mm256_add_epi8(a, b); }
#include "fill_kernels_lanes.inc"

struct Pairs {
  Vec operator()(const Vec (&lanes)[2]) const {
    return _mm256_and_si256(_mm256_blend_epi16(_mm256_srli_epi32(lanes[0], 16), lanes[1], 0xAA), Broadcast(kPairMask));
  }
};

struct Letters {
  Vec operator()(Vec index) const {
    // Entry i of the table is letter i mod 52 (208 = 4 * 52: the last 48 start again).
    Vec x = _mm256_min_epu8(index, _mm256_sub_epi8(index, _mm256_set1_epi8(static_cast<char>(208))));
    x = _mm256_min_epu8(x, _mm256_sub_epi8(x, _mm256_set1_epi8(104)));
    x = _mm256_min_epu8(x, _mm256_sub_epi8(x, _mm256_set1_epi8(52)));
    const Vec upper = _mm256_cmpgt_epi8(x, _mm256_set1_epi8(25));
    return _mm256_sub_epi8(_mm256_add_epi8(x, _mm256_set1_epi8('a')),
                           _mm256_and_si256(upper, _mm256_set1_epi8('a' - 'A' + 26)));
  }
};
}  // namespace avx2
}  // namespace

std::size_t Avx2Pairs(std::uint8_t* out, std::size_t size, std::uint32_t& state) {
  return avx2::RunLanes<2>(out, size, state, avx2::Pairs());
}
std::size_t Avx2Letters(std::uint8_t* out, std::size_t size, std::uint32_t& state) {
  return avx2::RunLetters(out, size, state, avx2::Letters());
}

#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw")
// GCC 12's own AVX-512 intrinsics pass a deliberately undefined operand and warn about it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace {
namespace avx512 {
using Vec = __m512i;
constexpr std::size_t kLanes = 16;
inline Vec Load(const std::uint32_t* states, std::size_t stride) {
  const Strided<kLanes> s(states, stride);
  return _mm512_loadu_si512(s.lanes);
}
inline Vec Broadcast(std::uint32_t value) { return _mm512_set1_epi32(static_cast<int>(value)); }
inline Vec Advance(Vec lanes, Vec multiplier, Vec increment) {
  return _mm512_add_epi32(_mm512_mullo_epi32(lanes, multiplier), increment);
}
inline void Store(std::uint8_t* out, Vec bytes) { _mm512_storeu_si512(out, bytes); }
inline Vec LoadBytes(const std::uint8_t* from) { return _mm512_loadu_si512(from); }
inline Vec AddBytes(Vec a, Vec b) { return _mm512_add_epi8(a, b); }
#include "fill_kernels_lanes.inc"

constexpr __mmask32 kHighWords = 0xAAAAAAAAu;

struct Pairs {
  Vec operator()(const Vec (&lanes)[2]) const {
    return _mm512_and_si512(_mm512_mask_blend_epi16(kHighWords, _mm512_srli_epi32(lanes[0], 16), lanes[1]),
                            Broadcast(kPairMask));
  }
};

struct Letters {
  Vec operator()(Vec index) const {
    Vec x = _mm512_min_epu8(index, _mm512_sub_epi8(index, _mm512_set1_epi8(static_cast<char>(208))));
    x = _mm512_min_epu8(x, _mm512_sub_epi8(x, _mm512_set1_epi8(104)));
    x = _mm512_min_epu8(x, _mm512_sub_epi8(x, _mm512_set1_epi8(52)));
    const __mmask64 upper = _mm512_cmpgt_epi8_mask(x, _mm512_set1_epi8(25));
    const Vec lower = _mm512_add_epi8(x, _mm512_set1_epi8('a'));
    return _mm512_mask_sub_epi8(lower, upper, lower, _mm512_set1_epi8('a' - 'A' + 26));
  }
};
}  // namespace avx512
}  // namespace

std::size_t Avx512Pairs(std::uint8_t* out, std::size_t size, std::uint32_t& state) {
  return avx512::RunLanes<2>(out, size, state, avx512::Pairs());
}
std::size_t Avx512BwLetters(std::uint8_t* out, std::size_t size, std::uint32_t& state) {
  return avx512::RunLetters(out, size, state, avx512::Letters());
}

#pragma GCC pop_options

#pragma GCC push_options
#pragma GCC target("avx512f,avx512bw,avx512vbmi")

namespace {
namespace avx512::vbmi {
// The lane loop again, compiled with VBMI so that the lookup below inlines into it.
#include "fill_kernels_lanes.inc"

// The whole 256-entry table in four registers: two 128-byte lookups, picked by bit 7.
struct Letters {
  Vec t0, t1, t2, t3;
  Letters()
      : t0(_mm512_loadu_si512(dornix::Letters().data())),
        t1(_mm512_loadu_si512(dornix::Letters().data() + 64)),
        t2(_mm512_loadu_si512(dornix::Letters().data() + 128)),
        t3(_mm512_loadu_si512(dornix::Letters().data() + 192)) {}
  Vec operator()(Vec index) const {
    const Vec low = _mm512_permutex2var_epi8(t0, index, t1);
    const Vec high = _mm512_permutex2var_epi8(t2, index, t3);
    return _mm512_mask_blend_epi8(_mm512_movepi8_mask(index), low, high);
  }
};
}  // namespace avx512::vbmi
}  // namespace

std::size_t Avx512VbmiLetters(std::uint8_t* out, std::size_t size, std::uint32_t& state) {
  return avx512::vbmi::RunLetters(out, size, state, avx512::vbmi::Letters());
}

#pragma GCC diagnostic pop
#pragma GCC pop_options

}  // namespace dornix::kernels

#endif
