// When a long random pass fills ahead, judged from how long each way took.
#include "fill/fill_ahead.h"

#include <gtest/gtest.h>

#include <string>

namespace dornix {
namespace {

using std::chrono::microseconds;

// The chunks of a pass as the judge lays them out, 'a' for filled ahead, '.' for here,
// where a chunk filled here takes `alone` of which `fill` is its fill, one filled ahead `ahead`.
std::string Schedule(microseconds alone, microseconds fill, microseconds ahead, std::uint64_t chunks) {
  FillAheadJudge judge(FillAhead::WhenItPays, true);
  std::string schedule;
  bool filledAhead = false;
  for (std::uint64_t index = 0; index < chunks; ++index) {
    schedule += filledAhead ? 'a' : '.';
    const bool next = judge.HandsOffAfter(index);
    judge.Took(index, filledAhead ? ahead : alone, filledAhead ? microseconds(0) : fill);
    filledAhead = next;
  }
  return schedule;
}

TEST(FillAheadJudgeTest, TriesBothWaysEveryPeriodAndKeepsTheFasterUnlessFillingCostsLittle) {
  const microseconds chunk(1600), sixteenth = chunk / 16;
  // Chunk 0 untimed, 1-3 timed here, 4 changing over, 5-8 timed ahead; each period of 128
  // chunks starts again with chunks filled here.
  EXPECT_EQ(Schedule(chunk, sixteenth, chunk / 2, 134), "....." + std::string(124, 'a') + "....a");
  EXPECT_EQ(Schedule(chunk, sixteenth, chunk * 2, 20), ".....aaaa...........");
  EXPECT_EQ(Schedule(chunk, sixteenth - microseconds(1), chunk / 2, 20), std::string(20, '.'));

  FillAheadJudge judge(FillAhead::WhenItPays, true);
  for (std::uint64_t index = 1; index <= 3; ++index) judge.Took(index, chunk, chunk / (4 - index));
  EXPECT_EQ(judge.Patience(), chunk / 3) << "waited for as long as the fastest fill here took";
  EXPECT_EQ(FillAheadJudge(FillAhead::Always, true).Patience(), FillAheadJudge::Clock::duration::zero());
  EXPECT_FALSE(FillAheadJudge(FillAhead::Always, false).HandsOffAfter(10));
}

}  // namespace
}  // namespace dornix
