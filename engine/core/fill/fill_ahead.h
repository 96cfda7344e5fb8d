#pragma once
// When a long random pass fills its next chunk on a second thread while the current
// one is written, and how long a chunk filled there is waited for.
#include <algorithm>
#include <chrono>
#include <cstdint>

namespace dornix {

// WhenItPays fills ahead while timing shows that it pays. Always skips that judgement
// and never waits for the thread, so that a fill can end every way it can (for tests,
// whose writes cost nothing); Never keeps every fill on the calling thread (to measure
// what the other buys).
enum class FillAhead : std::uint8_t { WhenItPays, Always, Never };

// Chunk 0 finds caches cold and is not judged; from chunk 1 on, the pass is judged
// afresh in every period of kTrialPeriod chunks, since what the other processor is
// doing changes while a long pass runs (a busy one makes filling ahead much slower
// than filling here):
//  - the first kTimedChunks of a period are filled here and timed;
//  - where filling took a sixteenth of a chunk's time or more, the next kTimedChunks
//    after one of change-over are filled ahead and timed; below that (a slow disk) a
//    second processor could gain little;
//  - the rest of the period goes the faster way. The fastest chunk of each way counts,
//    not a sum: one interruption does not sway it.
// A fill handed off is waited for no longer than filling it here takes: a thread
// interrupted midway can leave it unfinished for a whole time slice.
class FillAheadJudge {
 public:
  using Clock = std::chrono::steady_clock;
  FillAheadJudge(FillAhead mode, bool mayHandOff) : mode_(mode), mayHandOff_(mayHandOff) {}

  // Whether the chunk after the one at `index` is filled ahead, asked once the chunk
  // at `index` is filled. The last chunk of a period is not: the next period begins
  // with chunks filled here.
  bool HandsOffAfter(std::uint64_t index) const {
    if (!mayHandOff_ || index == 0) return false;
    const std::uint64_t at = (index - 1) % kTrialPeriod;
    if (at < kTimedChunks || at == kTrialPeriod - 1) return false;
    if (mode_ == FillAhead::Always) return true;
    if (at < kFirstAfterTrial) return fastestFill_ * kFillShareForWorker >= fastestAlone_;
    return fastestAhead_ < fastestAlone_;
  }

  // How long a chunk filled ahead is waited for before it is filled here instead: as
  // long as filling it here took; not at all where every chunk is handed off, so that
  // every way a fill can end is taken.
  Clock::duration Patience() const { return mode_ == FillAhead::Always ? Clock::duration::zero() : fastestFill_; }

  // The time the chunk at `index` took, from before its fill to after its write, and of
  // that its fill when it was filled here.
  void Took(std::uint64_t index, Clock::duration chunk, Clock::duration fill) {
    if (index == 0) return;
    const std::uint64_t at = (index - 1) % kTrialPeriod;
    if (at == 0) fastestAlone_ = fastestFill_ = fastestAhead_ = Clock::duration::max();
    if (at < kTimedChunks) {
      fastestAlone_ = std::min(fastestAlone_, chunk);
      fastestFill_ = std::min(fastestFill_, fill);
    } else if (at > kTimedChunks && at < kFirstAfterTrial) {
      fastestAhead_ = std::min(fastestAhead_, chunk);
    }
  }

 private:
  static constexpr std::uint64_t kTrialPeriod = 128, kTimedChunks = 3, kFirstAfterTrial = 2 * kTimedChunks + 1;
  static constexpr int kFillShareForWorker = 16;
  const FillAhead mode_;
  const bool mayHandOff_;
  Clock::duration fastestAlone_ = Clock::duration::max(), fastestFill_ = fastestAlone_, fastestAhead_ = fastestAlone_;
};

}  // namespace dornix
