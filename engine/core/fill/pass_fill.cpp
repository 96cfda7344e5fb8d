#include "pass_fill.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <new>

#include "fill_kernels.h"

namespace dornix {

PassBuffer::PassBuffer() : bytes_(new (kAlignment, std::nothrow) std::uint8_t[kPassBufferSize]) {}

void TilePattern(std::span<std::uint8_t> buffer, std::span<const std::uint8_t> pattern) {
  const std::size_t size = buffer.size();
  if (pattern.size() == 1) {
    // Only writes, where the doubling copies also read: about twice as fast.
    std::memset(buffer.data(), pattern[0], size);
    return;
  }
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

namespace {

// One draw at a time from `state`, which is left after the last draw.
void PairsFrom(std::span<std::uint8_t> buffer, std::uint32_t& state) {
  for (std::size_t i = 0; i < buffer.size(); i += 2) {
    state = generator::Step(state);
    const std::uint32_t draw = generator::Output(state);
    buffer[i] = static_cast<std::uint8_t>(draw);
    if (i + 1 < buffer.size()) buffer[i + 1] = static_cast<std::uint8_t>(draw >> 8);
  }
}

void LettersFrom(std::span<std::uint8_t> buffer, std::uint32_t& state) {
  for (auto& byte : buffer) {
    state = generator::Step(state);
    byte = kLetters[generator::Output(state) & 0xFF];
  }
}

using Tail = void (*)(std::span<std::uint8_t>, std::uint32_t&);

void FillWith(std::span<std::uint8_t> buffer, kernels::Kernel kernel, Tail tail) {
  std::uint32_t state = generator::State();
  const std::size_t done = kernel ? kernel(buffer.data(), buffer.size(), state) : 0;
  tail(buffer.subspan(done), state);
  generator::State() = state;
}

struct PathKernels {
  FillPath path;
  const char* name;
  kernels::Kernel pairs;
  kernels::Kernel letters;
};

constexpr PathKernels kPaths[] = {
    {FillPath::Portable, "portable", kernels::PortablePairs, kernels::PortableLetters},
#ifdef DORNIX_FILL_X86
    {FillPath::Avx2, "avx2", kernels::Avx2Pairs, kernels::Avx2Letters},
    {FillPath::Avx512Bw, "avx512bw", kernels::Avx512Pairs, kernels::Avx512BwLetters},
    {FillPath::Avx512Vbmi, "avx512vbmi", kernels::Avx512Pairs, kernels::Avx512VbmiLetters},
#endif
};

bool ProcessorHas(FillPath path) {
#ifdef DORNIX_FILL_X86
  // Also checks that the system saves the wide registers (XGETBV), not only the CPUID bits.
  __builtin_cpu_init();
  switch (path) {
    case FillPath::Portable:
      return true;
    case FillPath::Avx2:
      return __builtin_cpu_supports("avx2");
    case FillPath::Avx512Bw:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw");
    case FillPath::Avx512Vbmi:
      return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
             __builtin_cpu_supports("avx512vbmi");
  }
  return false;
#else
  return path == FillPath::Portable;
#endif
}

struct Supported {
  FillPath paths[std::size(kPaths)];
  std::size_t count = 0;
};

const Supported& SupportedPaths() {
  static const Supported supported = [] {
    Supported s{};
    for (const auto& entry : kPaths)
      if (ProcessorHas(entry.path)) s.paths[s.count++] = entry.path;
    return s;
  }();
  return supported;
}

const PathKernels* EntryFor(FillPath path) {
  for (const auto& entry : kPaths)
    if (entry.path == path) return &entry;
  return nullptr;
}

const PathKernels*& Active() {
  static const PathKernels* active = EntryFor(SupportedPaths().paths[SupportedPaths().count - 1]);
  return active;
}

}  // namespace

namespace kernels {

// Eight lanes in plain integers: independent multiplies the compiler can overlap.
constexpr std::size_t kPortableLanes = 8;

// Byte by byte, in an order that compilers merge into one store on little-endian machines.
inline void StoreLittleEndian(std::uint8_t* out, std::uint64_t value) {
#pragma GCC unroll 8
  for (int i = 0; i < 8; ++i) out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::size_t PortablePairs(std::uint8_t* out, std::size_t size, std::uint32_t& state) {
  constexpr std::size_t kBlock = 2 * kPortableLanes;
  const std::size_t blocks = size / kBlock;
  std::uint32_t lanes[kPortableLanes];
  DrawStates(state, lanes, kPortableLanes);
  constexpr generator::Jump kStep = generator::JumpOf(kPortableLanes);
  for (std::size_t block = 0; block < blocks; ++block, out += kBlock) {
    std::uint64_t words[kPortableLanes / 4] = {};
#pragma GCC unroll 8
    for (std::size_t lane = 0; lane < kPortableLanes; ++lane) {
      words[lane / 4] |= std::uint64_t{generator::Output(lanes[lane])} << (16 * (lane % 4));
      lanes[lane] = kStep(lanes[lane]);
    }
    for (std::size_t i = 0; i < kPortableLanes / 4; ++i) StoreLittleEndian(out + 8 * i, words[i]);
  }
  state = generator::JumpOf(blocks * kPortableLanes)(state);
  return blocks * kBlock;
}

std::size_t PortableLetters(std::uint8_t* out, std::size_t size, std::uint32_t& state) {
  const std::size_t blocks = size / kPortableLanes;
  std::uint32_t lanes[kPortableLanes];
  DrawStates(state, lanes, kPortableLanes);
  constexpr generator::Jump kStep = generator::JumpOf(kPortableLanes);
  for (std::size_t block = 0; block < blocks; ++block, out += kPortableLanes) {
    std::uint8_t bytes[kPortableLanes];
#pragma GCC unroll 8
    for (std::size_t lane = 0; lane < kPortableLanes; ++lane) {
      bytes[lane] = kLetters[(lanes[lane] >> 16) & 0xFF];
      lanes[lane] = kStep(lanes[lane]);
    }
    std::memcpy(out, bytes, kPortableLanes);
  }
  state = generator::JumpOf(blocks * kPortableLanes)(state);
  return blocks * kPortableLanes;
}

}  // namespace kernels

void FillRandomPairs(std::span<std::uint8_t> buffer) { FillWith(buffer, Active()->pairs, PairsFrom); }
void FillRandomLetters(std::span<std::uint8_t> buffer) { FillWith(buffer, Active()->letters, LettersFrom); }

void reference::FillRandomPairs(std::span<std::uint8_t> buffer) { FillWith(buffer, nullptr, PairsFrom); }
void reference::FillRandomLetters(std::span<std::uint8_t> buffer) { FillWith(buffer, nullptr, LettersFrom); }

const char* NameOf(FillPath path) {
  const PathKernels* entry = EntryFor(path);
  return entry ? entry->name : "unknown";
}

std::span<const FillPath> SupportedFillPaths() { return {SupportedPaths().paths, SupportedPaths().count}; }

FillPath CurrentFillPath() { return Active()->path; }

bool SetFillPath(FillPath path) {
  const auto supported = SupportedFillPaths();
  if (std::find(supported.begin(), supported.end(), path) == supported.end()) return false;
  Active() = EntryFor(path);
  return true;
}

}  // namespace dornix
