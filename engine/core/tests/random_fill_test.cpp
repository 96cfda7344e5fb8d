// Every code path of the random fills against the one-draw-at-a-time definition:
// same bytes, same generator state afterwards, directly and through whole passes.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "fill/pass_fill.h"
#include "recording_file_access.h"
#include "wipe_core.h"

namespace dornix {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Fill = void (*)(std::span<std::uint8_t>);

constexpr std::uint32_t kSeeds[] = {0, 1, 2, 0x7FFF, 0x8000, 12345, 1700000000, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF};
constexpr std::size_t kLengths[] = {0, 1, 2, 3, 77, 129, 255999, 256000};

class RandomFillPathTest : public ::testing::TestWithParam<FillPath> {
 protected:
  void SetUp() override {
    best_ = CurrentFillPath();
    if (!SetFillPath(GetParam())) GTEST_SKIP() << NameOf(GetParam()) << " is not supported by this processor";
  }
  void TearDown() override { SetFillPath(best_); }

  // Fills `length` bytes from `seed` with `fill`; returns the bytes, then the state as four more.
  static Bytes Run(Fill fill, std::uint32_t seed, std::size_t length) {
    generator::Seed(seed);
    Bytes bytes(length + 1, 0xEE);  // one guard byte past the end
    fill(std::span(bytes).first(length));
    EXPECT_EQ(bytes.back(), 0xEE) << "wrote past " << length << " bytes";
    bytes.pop_back();
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<std::uint8_t>(generator::State() >> shift));
    return bytes;
  }

  static void ExpectSameAsReference(std::size_t length, std::uint32_t seed) {
    EXPECT_EQ(Run(FillRandomPairs, seed, length), Run(reference::FillRandomPairs, seed, length))
        << "pairs, " << length << " bytes, seed " << seed;
    EXPECT_EQ(Run(FillRandomLetters, seed, length), Run(reference::FillRandomLetters, seed, length))
        << "letters, " << length << " bytes, seed " << seed;
  }

 private:
  FillPath best_{};
};

TEST_P(RandomFillPathTest, MatchesOneDrawAtATimeForEveryLengthAndSeed) {
  ASSERT_EQ(CurrentFillPath(), GetParam());
  for (std::uint32_t seed : kSeeds)
    for (std::size_t length : kLengths) ExpectSameAsReference(length, seed);
  // Every tail length around the kernels' block sizes (up to 256 bytes), at odd offsets too.
  for (std::size_t length = 0; length <= 600; ++length) ExpectSameAsReference(length, 0x9E3779B9u + length);
}

TEST_P(RandomFillPathTest, WholePassesMatchRegeneratingTheWholeBufferBeforeEveryChunk) {
  constexpr std::uint32_t kSeed = 1700000000;
  // Method 5: letters, letters, pairs, letters, letters, letters, pairs; each pass goes on
  // from the state the previous one left, so a wrong skip after a short chunk shows later.
  for (std::size_t size : {std::size_t{1}, std::size_t{77}, std::size_t{256000}, std::size_t{256001},
                           std::size_t{3 * 256000 + 129}, std::size_t{4 * 256000 - 1}}) {
    testing::RecordingFileAccess files;
    files.AddFile("C:\\f", size);
    WipeCore core(files, {}, [] { return kSeed; });
    core.SetWipeMethod(5);
    core.SetWipeRounds(1);
    ASSERT_EQ(core.WipeFile(u"C:\\f"), 0);

    generator::Seed(kSeed);
    Bytes buffer(kPassBufferSize);
    std::size_t pass = 0;
    for (const auto& write : files.writes) {
      if (write.offset == 0) ++pass;
      const bool pairs = pass == 3 || pass == 7;
      (pairs ? reference::FillRandomPairs : reference::FillRandomLetters)(buffer);
      ASSERT_TRUE(std::equal(write.bytes.begin(), write.bytes.end(), buffer.begin()))
          << "size " << size << ", pass " << pass << ", offset " << write.offset;
    }
    EXPECT_EQ(pass, 7u);
    const std::uint32_t endState = generator::State();
    EXPECT_EQ(files.writes.size(), 7 * ((size + kPassBufferSize - 1) / kPassBufferSize));
    // The engine's own thread state ended at the same place.
    generator::Seed(kSeed);
    files.AddFile("C:\\f", size);
    ASSERT_EQ(core.WipeFile(u"C:\\f"), 0);
    EXPECT_EQ(generator::State(), endState) << "size " << size;
  }
}

std::string PathName(const ::testing::TestParamInfo<FillPath>& info) { return NameOf(info.param); }
}  // namespace
// Test listings and failures name the path, not its byte.
void PrintTo(FillPath path, std::ostream* out) { *out << NameOf(path); }
namespace {

INSTANTIATE_TEST_SUITE_P(Paths, RandomFillPathTest,
                         ::testing::Values(FillPath::Portable, FillPath::Avx2, FillPath::Avx512Bw,
                                           FillPath::Avx512Vbmi),
                         PathName);

TEST(GeneratorJumpTest, AJumpOfKDrawsLandsWhereKStepsDo) {
  for (std::uint32_t seed : kSeeds) {
    std::uint32_t stepped = seed;
    for (std::uint64_t k = 0; k <= 70000; ++k, stepped = generator::Step(stepped))
      if (k < 300 || k % 997 == 0 || k == 64000 || k == 128000 || k == 70000) {
        ASSERT_EQ(generator::JumpOf(k)(seed), stepped) << "k " << k << ", seed " << seed;
      }
  }
  // The full-period generator comes back to every state after 2^32 draws.
  EXPECT_EQ(generator::JumpOf(std::uint64_t{1} << 32)(12345u), 12345u);
  EXPECT_EQ(generator::JumpOf((std::uint64_t{1} << 32) + 1)(12345u), generator::Step(12345u));

  generator::Seed(777);
  generator::Skip(0);
  EXPECT_EQ(generator::State(), 777u);
  generator::Skip(3);
  EXPECT_EQ(generator::State(), generator::Step(generator::Step(generator::Step(777))));
}

TEST(FillPathTest, TheBestSupportedPathIsChosenAndUnsupportedOnesAreRefused) {
  const auto supported = SupportedFillPaths();
  ASSERT_FALSE(supported.empty());
  EXPECT_EQ(supported.front(), FillPath::Portable);
  EXPECT_EQ(CurrentFillPath(), supported.back());
  for (FillPath path : {FillPath::Portable, FillPath::Avx2, FillPath::Avx512Bw, FillPath::Avx512Vbmi}) {
    const bool has = std::find(supported.begin(), supported.end(), path) != supported.end();
    const FillPath before = CurrentFillPath();
    EXPECT_EQ(SetFillPath(path), has) << NameOf(path);
    EXPECT_EQ(CurrentFillPath(), has ? path : before) << NameOf(path);
  }
  SetFillPath(supported.back());
}

}  // namespace
}  // namespace dornix
