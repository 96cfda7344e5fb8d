#include "wipe_core.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <ctime>
#include <new>

namespace dornix {

std::uint32_t WipeCore::CalendarSeconds() { return static_cast<std::uint32_t>(std::time(nullptr)); }

WipeCore::WipeCore(FileAccess& files, ProgressCallback progress, Clock clock)
    : files_(files), progress_(std::move(progress)), clock_(std::move(clock)) {}

void WipeCore::Report(std::int32_t percent) {
  if (progress_) progress_(currentRound_, currentPass_, percent);
}

std::int32_t WipeCore::PercentAt(std::uint64_t position) const {
  // Rounded up, so any bytes written show as progress; a bogus position never reads past 100.
  const std::uint64_t percent = (std::min(position, sizeForPercent_) * 100 + sizeForPercent_ - 1) / sizeForPercent_;
  return static_cast<std::int32_t>(percent);
}

namespace {

// A pass this long may hand its random chunks to a second thread: starting the
// thread costs more than a shorter pass could gain.
constexpr std::uint64_t kChunksForWorker = 32;

// Whether a random pass fills its next chunk on the second thread while the current
// one is written. Chunk 0 finds caches cold and is not judged; from chunk 1 on, the
// pass is judged afresh in every period of kTrialPeriod chunks, since what the other
// processor is doing changes while a long pass runs (a busy one makes filling ahead
// much slower than filling here):
//  - the first kTimedChunks of a period are filled here and timed;
//  - where filling took a sixteenth of a chunk's time or more, the next kTimedChunks
//    after one of change-over are filled ahead and timed; below that (a slow disk) a
//    second processor could gain little;
//  - the rest of the period goes the faster way. The fastest chunk of each way counts,
//    not a sum: one interruption does not sway it.
// A fill handed off is waited for no longer than filling it here takes: a thread
// interrupted midway can leave it unfinished for a whole time slice.
class HandOffJudge {
 public:
  using Clock = std::chrono::steady_clock;
  HandOffJudge(WipeCore::FillAhead mode, bool mayHandOff) : mode_(mode), mayHandOff_(mayHandOff) {}

  // Whether the chunk after the one at `index` is filled ahead, asked once the chunk
  // at `index` is filled. The last chunk of a period is not: the next period begins
  // with chunks filled here.
  bool HandsOffAfter(std::uint64_t index) {
    if (!mayHandOff_ || index == 0) return false;
    const std::uint64_t at = (index - 1) % kTrialPeriod;
    if (at < kTimedChunks || at == kTrialPeriod - 1) return false;
    if (mode_ == WipeCore::FillAhead::Always) return true;
    if (at < kFirstAfterTrial) return fastestFill_ * kFillShareForWorker >= fastestAlone_;
    return fastestAhead_ < fastestAlone_;
  }

  // How long a chunk filled ahead is waited for before it is filled here instead: as
  // long as filling it here took; not at all where every chunk is handed off, so that
  // every way a fill can end is taken.
  Clock::duration Patience() const {
    return mode_ == WipeCore::FillAhead::Always ? Clock::duration::zero() : fastestFill_;
  }

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
  const WipeCore::FillAhead mode_;
  const bool mayHandOff_;
  Clock::duration fastestAlone_ = Clock::duration::max(), fastestFill_ = fastestAlone_, fastestAhead_ = fastestAlone_;
};

bool IsRandom(FillKind kind) { return kind == FillKind::RandomPairs || kind == FillKind::RandomLetters; }

// Every chunk moves the generator past a whole buffer's draws: a short chunk makes
// only the bytes it writes and skips the rest, so that it ends where regenerating
// all of the buffer would leave it.
std::uint64_t DrawsPerChunk(FillKind kind) {
  if (kind == FillKind::RandomPairs) return PairDraws(kPassBufferSize);
  if (kind == FillKind::RandomLetters) return LetterDraws(kPassBufferSize);
  return 0;
}

}  // namespace

FillWorker* WipeCore::Worker() {
  if (!worker_ && !workerFailed_) {
    worker_ = FillWorker::Start();
    workerFailed_ = !worker_;
  }
  return worker_.get();
}

void WipeCore::StopWorker() {
  worker_.reset();
  workerFailed_ = false;
}

void WipeCore::WritePass(OpenFile& file, PassBuffer& buffer, std::uint64_t length, FillKind kind) {
  if (Stopped()) return;
  const bool mayHandOff =
      IsRandom(kind) && length >= kChunksForWorker * kPassBufferSize && fillAhead_ != FillAhead::Never;
  bool filledAhead = false;  // the current chunk was handed to the worker
  // No fill may go on into a buffer after the pass; called outside an erase, the pass
  // ends its own worker.
  struct Finish {
    WipeCore& core;
    ~Finish() {
      if (core.worker_) core.worker_->Settle();
      if (!core.busy_) core.StopWorker();
    }
  } finish{*this};
  const generator::Jump perChunk = generator::JumpOf(DrawsPerChunk(kind));
  PassBuffer* current = &buffer;
  // The chunks go in turn in the pass's buffer and in the worker's.
  auto other = [&](const PassBuffer* used) { return used == &buffer ? &worker_->Buffer() : &buffer; };
  using Clock = HandOffJudge::Clock;
  HandOffJudge judge(fillAhead_, mayHandOff);
  FillWorker* worker = nullptr;  // once the pass hands off
  Report(0);
  for (std::uint64_t remaining = length, index = 0; remaining != 0; ++index) {
    Report(PercentAt(file.Position()));
    if (cancel_) break;  // a report may have cancelled
    const auto began = Clock::now();
    auto filled = began;
    const auto chunk = static_cast<std::uint32_t>(std::min<std::uint64_t>(remaining, kPassBufferSize));
    PassBuffer* next = current;
    if (IsRandom(kind)) {
      const std::uint32_t start = generator::State();
      if (!filledAhead || !worker->Collect(judge.Patience())) {
        // Where the worker still fills the chunk's buffer, the chunk goes in the one the
        // last chunk was written from.
        if (filledAhead && !worker->Idle()) next = current = other(current);
        FillRandom(current->span().first(chunk), kind);
      }
      filledAhead = false;
      filled = Clock::now();
      generator::State() = perChunk(start);
      if (remaining > chunk && judge.HandsOffAfter(index) && (worker || (worker = Worker())) && worker->Idle()) {
        next = other(current);
        const auto nextChunk = static_cast<std::size_t>(std::min<std::uint64_t>(remaining - chunk, kPassBufferSize));
        worker->Fill(next->span().first(nextChunk), kind, generator::State());
        filledAhead = true;
      }
    }
    if (const ErrorCode error = file.Write(current->data(), chunk)) {
      writeError_ = error;
      return;
    }
    judge.Took(index, Clock::now() - began, filled - began);
    remaining -= chunk;
    current = next;
  }
  Report(100);
  file.Flush();
}

void WipeCore::RunMethodRound(OpenFile& file, PassBuffer& buffer, std::uint64_t length) {
  const MethodSpec& method = MethodFor(method_);
  for (std::size_t i = 0; i < method.passes.size() && !Stopped(); ++i) {
    const PassSpec& pass = method.passes[i];
    currentPass_ = static_cast<std::int32_t>(i + 1);
    if (method.seedBeforePass == currentPass_) generator::Seed(clock_());
    file.Rewind();
    // Only the bytes a pass writes are filled: a small file need not touch the whole buffer.
    if (!pass.random()) TilePattern(buffer.UsedBy(length), pass.bytes());
    WritePass(file, buffer, length, pass.kind);
  }
}

void WipeCore::WriteFixedPass(OpenFile& file, PassBuffer& buffer, std::uint64_t length, std::int32_t pass,
                              std::span<const std::uint8_t> pattern) {
  currentPass_ = pass;
  file.Rewind();
  if (!pattern.empty()) TilePattern(buffer.UsedBy(length), pattern);
  WritePass(file, buffer, length, FillKind::FixedByte);
}

ErrorCode WipeCore::Destroy(std::u16string_view fileName,
                            const std::function<void(PassBuffer&, std::uint64_t length)>& prepare,
                            const RoundWriter& writeRound) {
  if (cancel_) return win_error::kCancelled;
  if (rounds_ < 1) return win_error::kInvalidArgument;
  if (busy_) return win_error::kBusy;
  busy_ = true;
  // The fill worker, if a pass started one, ends with the erase.
  struct BusyReset {
    WipeCore& core;
    ~BusyReset() {
      core.busy_ = false;
      core.StopWorker();
    }
  } busyReset{*this};

  std::unique_ptr<OpenFile> file;
  if (const ErrorCode error = files_.OpenExclusive(fileName, file)) return error;

  const std::uint64_t length = file->Length();
  sizeForPercent_ = length;
  file->SetFixedTimes();

  if (!buffer_ || !buffer_->valid()) buffer_.reset(new (std::nothrow) PassBuffer);
  if (!buffer_ || !buffer_->valid()) {
    // Deleting the file now would leave its contents on the disk: leave it whole.
    file->Close();
    return win_error::kNotEnoughMemory;
  }
  PassBuffer& buffer = *buffer_;
  prepare(buffer, length);

  writeError_ = 0;
  const std::int32_t rounds = rounds_;
  for (std::int64_t round = 1; round <= rounds && !Stopped(); ++round) {
    currentRound_ = static_cast<std::int32_t>(round);
    writeRound(*file, buffer, length);
  }
  if (writeError_ || cancel_) {
    // Bytes not overwritten would stay readable on the disk once the file is deleted.
    file->Close();
    return writeError_ ? writeError_ : win_error::kCancelled;
  }

  file->Flush();
  file->Rewind();
  file->TruncateHere();
  // The emptied file leaves under a temporary name, so its own name is never seen deleted.
  file->RenameAwayAndDelete("bla");
  file->Close();
  return 0;
}

ErrorCode WipeCore::WipeFile(std::u16string_view fileName) {
  return Destroy(
      fileName, [](PassBuffer&, std::uint64_t) {},
      [this](OpenFile& file, PassBuffer& buffer, std::uint64_t length) {
        file.Rewind();
        RunMethodRound(file, buffer, length);
      });
}

ErrorCode WipeCore::FastWipeFile(std::u16string_view fileName, std::uint8_t s) {
  const std::array<std::uint8_t, 1> fill{s};
  return Destroy(
      fileName, [&](PassBuffer& buffer, std::uint64_t length) { TilePattern(buffer.UsedBy(length), fill); },
      [this](OpenFile& file, PassBuffer& buffer, std::uint64_t length) {
        WriteFixedPass(file, buffer, length, 1, {});  // filled once for all rounds
      });
}

ErrorCode WipeCore::GovermentWipeFile(std::u16string_view fileName, std::uint8_t s1, std::uint8_t s2, std::uint8_t s3) {
  const std::array<std::uint8_t, 3> fills{s1, s2, s3};
  return Destroy(
      fileName, [](PassBuffer&, std::uint64_t) {},
      [&, this](OpenFile& file, PassBuffer& buffer, std::uint64_t length) {
        for (std::int32_t pass = 1; pass <= 3 && !Stopped(); ++pass)
          WriteFixedPass(file, buffer, length, pass, std::span(fills).subspan(pass - 1, 1));
      });
}

}  // namespace dornix
