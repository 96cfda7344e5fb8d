#include "chunk_source.h"

#include <algorithm>

namespace dornix {

namespace {

// A pass this long may hand its random chunks to a second thread: starting the
// thread costs more than a shorter pass could gain.
constexpr std::uint64_t kChunksForWorker = 32;

bool IsRandom(FillKind kind) { return kind == FillKind::RandomPairs || kind == FillKind::RandomLetters; }

// Every chunk moves the generator past a whole buffer's draws: a short chunk makes
// only the bytes it writes and skips the rest, so that it ends where regenerating
// all of the buffer would leave it.
std::uint64_t DrawsPerChunk(FillKind kind) {
  if (kind == FillKind::RandomPairs) return PairDraws(kPassBufferSize);
  if (kind == FillKind::RandomLetters) return LetterDraws(kPassBufferSize);
  return 0;
}

std::size_t ChunkOf(std::uint64_t remaining) {
  return static_cast<std::size_t>(std::min<std::uint64_t>(remaining, kPassBufferSize));
}

}  // namespace

ChunkSource::ChunkSource(PassBuffer& buffer, FillKind kind, std::uint64_t length, FillAhead mode,
                         FillWorkerSlot* worker)
    : buffer_(buffer),
      kind_(kind),
      length_(length),
      remaining_(length),
      random_(IsRandom(kind)),
      perChunk_(generator::JumpOf(DrawsPerChunk(kind))),
      mayHandOff_(random_ && worker && mode != FillAhead::Never && length >= kChunksForWorker * kPassBufferSize),
      judge_(mode, mayHandOff_),
      slot_(worker),
      current_(&buffer),
      following_(&buffer) {}

ChunkSource::~ChunkSource() {
  if (worker_) worker_->Settle();
}

PassBuffer* ChunkSource::Other(const PassBuffer* used) { return used == &buffer_ ? &worker_->Buffer() : &buffer_; }

std::span<const std::uint8_t> ChunkSource::Next() {
  size_ = ChunkOf(remaining_);
  following_ = current_;
  if (random_) {
    if (mayHandOff_) began_ = Clock::now();
    FillCurrent();
    if (mayHandOff_) filled_ = Clock::now();
    if (remaining_ > size_ && judge_.HandsOffAfter(index_)) HandOffFollowing();
  }
  return current_->span().first(size_);
}

void ChunkSource::Written() {
  if (mayHandOff_) judge_.Took(index_, Clock::now() - began_, filled_ - began_);
  remaining_ -= size_;
  current_ = following_;
  ++index_;
}

// Taken from the worker where it filled the chunk in time, else filled here; either
// way the generator moves on as if it had been filled here.
void ChunkSource::FillCurrent() {
  const std::uint32_t start = generator::State();
  if (!filledAhead_ || !worker_->Collect(judge_.Patience())) {
    // Where the worker still fills the chunk's buffer, the chunk goes in the one the
    // last chunk was written from.
    if (filledAhead_ && !worker_->Idle()) following_ = current_ = Other(current_);
    FillRandom(current_->span().first(size_), kind_);
  }
  filledAhead_ = false;
  generator::State() = perChunk_(start);
}

void ChunkSource::HandOffFollowing() {
  if (!worker_ && !(worker_ = slot_->Get())) return;
  if (!worker_->Idle()) return;
  following_ = Other(current_);
  worker_->Fill(following_->span().first(ChunkOf(remaining_ - size_)), kind_, generator::State());
  filledAhead_ = true;
}

}  // namespace dornix
