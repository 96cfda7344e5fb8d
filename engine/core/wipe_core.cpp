#include "wipe_core.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>
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

std::uint64_t WipeCore::Longest(Streams streams) {
  std::uint64_t longest = 0;
  for (const auto& stream : streams) longest = std::max(longest, stream.length);
  return longest;
}

void WipeCore::WritePass(OpenFile& file, PassBuffer& buffer, std::uint64_t length, FillKind kind) {
  const Stream stream{&file, length};
  sizeForPercent_ = length;
  WritePass(Streams(&stream, 1), buffer, kind);
}

void WipeCore::WritePass(Streams streams, PassBuffer& buffer, FillKind kind) {
  if (Stopped()) return;
  lastKind_ = kind;
  lastStart_ = generator::State();
  Report(0);
  std::uint64_t before = 0;
  for (const Stream& stream : streams) {
    WriteStream(stream, buffer, kind, before);
    if (writeError_) return;
    if (cancel_) break;  // a report may have cancelled
    before += stream.length;
  }
  Report(100);
  for (const Stream& stream : streams)
    if (const ErrorCode error = stream.file->Flush()) {
      writeError_ = error;
      return;
    }
}

void WipeCore::WriteStream(const Stream& stream, PassBuffer& buffer, FillKind kind, std::uint64_t before) {
  OpenFile& file = *stream.file;
  file.Rewind();
  const bool mayHandOff =
      IsRandom(kind) && stream.length >= kChunksForWorker * kPassBufferSize && fillAhead_ != FillAhead::Never;
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
  for (std::uint64_t remaining = stream.length, index = 0; remaining != 0; ++index) {
    Report(PercentAt(before + file.Position()));
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
}

void WipeCore::RunMethodRound(Streams streams, PassBuffer& buffer) {
  const MethodSpec& method = MethodFor(method_);
  for (std::size_t i = 0; i < method.passes.size() && !Stopped(); ++i) {
    const PassSpec& pass = method.passes[i];
    currentPass_ = static_cast<std::int32_t>(i + 1);
    if (method.seedBeforePass == currentPass_) generator::Seed(clock_());
    // Only the bytes a pass writes are filled: a small file need not touch the whole buffer.
    if (!pass.random()) TilePattern(buffer.UsedBy(Longest(streams)), pass.bytes());
    WritePass(streams, buffer, pass.kind);
  }
}

void WipeCore::WriteFixedPass(Streams streams, PassBuffer& buffer, std::int32_t pass,
                              std::span<const std::uint8_t> pattern) {
  currentPass_ = pass;
  if (!pattern.empty()) TilePattern(buffer.UsedBy(Longest(streams)), pattern);
  WritePass(streams, buffer, FillKind::FixedByte);
}

ErrorCode WipeCore::VerifyLastPass(Streams streams, PassBuffer& buffer) {
  if (!readBuffer_ || !readBuffer_->valid()) readBuffer_.reset(new (std::nothrow) PassBuffer);
  if (!readBuffer_ || !readBuffer_->valid()) return win_error::kNotEnoughMemory;
  // A random pass is filled again chunk by chunk from where it began; the generator goes
  // on afterwards as if no check had been made. A fixed pass's bytes are still in the buffer.
  const std::uint32_t after = generator::State();
  generator::State() = lastStart_;
  const generator::Jump perChunk = generator::JumpOf(DrawsPerChunk(lastKind_));
  ErrorCode result = 0;
  for (const Stream& stream : streams) {
    for (std::uint64_t offset = 0; offset < stream.length && !result; offset += kPassBufferSize) {
      const auto chunk = static_cast<std::uint32_t>(std::min<std::uint64_t>(stream.length - offset, kPassBufferSize));
      if (IsRandom(lastKind_)) {
        const std::uint32_t start = generator::State();
        FillRandom(buffer.span().first(chunk), lastKind_);
        generator::State() = perChunk(start);
      }
      result = stream.file->ReadUncached(offset, readBuffer_->data(), chunk);
      if (!result && std::memcmp(readBuffer_->data(), buffer.data(), chunk) != 0) result = win_error::kDataError;
    }
  }
  generator::State() = after;
  return result;
}

ErrorCode WipeCore::OpenNamedStreams(OpenFile& file, std::vector<std::unique_ptr<OpenFile>>& streams) {
  std::vector<std::u16string> names;
  if (const ErrorCode error = file.NamedStreams(names)) return error;
  for (const auto& name : names) {
    std::unique_ptr<OpenFile> stream;
    if (const ErrorCode error = file.OpenStream(name, stream)) return error;
    streams.push_back(std::move(stream));
  }
  return 0;
}

ErrorCode WipeCore::Destroy(std::u16string_view fileName,
                            const std::function<void(PassBuffer&, std::uint64_t longest)>& prepare,
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
  // Deleting the file frees its named streams' clusters as they are: each is overwritten
  // as the file is, and one that cannot be leaves the whole file as it is.
  std::vector<std::unique_ptr<OpenFile>> named;
  const auto leave = [&](ErrorCode error) {
    for (auto& stream : named) stream->Close();
    file->Close();
    return error;
  };
  if (const ErrorCode error = OpenNamedStreams(*file, named)) return leave(error);
  std::vector<Stream> streams{{file.get(), file->Length()}};
  for (auto& stream : named) streams.push_back({stream.get(), stream->Length()});
  sizeForPercent_ = 0;
  for (const Stream& stream : streams) sizeForPercent_ += stream.length;
  file->SetFixedTimes();

  if (!buffer_ || !buffer_->valid()) buffer_.reset(new (std::nothrow) PassBuffer);
  // Deleting the file now would leave its contents on the disk: leave it whole.
  if (!buffer_ || !buffer_->valid()) return leave(win_error::kNotEnoughMemory);
  PassBuffer& buffer = *buffer_;
  prepare(buffer, Longest(streams));

  writeError_ = 0;
  const std::int32_t rounds = rounds_;
  for (std::int64_t round = 1; round <= rounds && !Stopped(); ++round) {
    currentRound_ = static_cast<std::int32_t>(round);
    writeRound(streams, buffer);
  }
  // Bytes not overwritten would stay readable on the disk once the file is deleted.
  if (writeError_ || cancel_) return leave(writeError_ ? writeError_ : win_error::kCancelled);
  if (verify_)
    if (const ErrorCode error = VerifyLastPass(streams, buffer)) return leave(error);

  // The streams are emptied and let go first: the file goes once, after all of them.
  const auto empty = [](OpenFile& stream) {
    if (const ErrorCode error = stream.Flush()) return error;
    stream.Rewind();
    return stream.TruncateHere();
  };
  while (!named.empty()) {
    if (const ErrorCode error = empty(*named.back())) return leave(error);
    named.back()->Close();
    named.pop_back();
  }
  if (const ErrorCode error = empty(*file)) return leave(error);
  // The emptied file leaves under a temporary name, so its own name is never seen deleted.
  return leave(file->RenameAwayAndDelete("bla"));
}

ErrorCode WipeCore::WipeFile(std::u16string_view fileName) {
  return Destroy(
      fileName, [](PassBuffer&, std::uint64_t) {},
      [this](Streams streams, PassBuffer& buffer) { RunMethodRound(streams, buffer); });
}

ErrorCode WipeCore::FastWipeFile(std::u16string_view fileName, std::uint8_t s) {
  const std::array<std::uint8_t, 1> fill{s};
  return Destroy(
      fileName, [&](PassBuffer& buffer, std::uint64_t longest) { TilePattern(buffer.UsedBy(longest), fill); },
      [this](Streams streams, PassBuffer& buffer) {
        WriteFixedPass(streams, buffer, 1, {});  // filled once for all rounds
      });
}

ErrorCode WipeCore::GovermentWipeFile(std::u16string_view fileName, std::uint8_t s1, std::uint8_t s2, std::uint8_t s3) {
  const std::array<std::uint8_t, 3> fills{s1, s2, s3};
  return Destroy(
      fileName, [](PassBuffer&, std::uint64_t) {},
      [&, this](Streams streams, PassBuffer& buffer) {
        for (std::int32_t pass = 1; pass <= 3 && !Stopped(); ++pass)
          WriteFixedPass(streams, buffer, pass, std::span(fills).subspan(pass - 1, 1));
      });
}

}  // namespace dornix
