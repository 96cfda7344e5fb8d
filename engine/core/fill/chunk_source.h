#pragma once
// The chunks of one pass over one stream, in order, each ready to be written from its
// first byte. Whether a random chunk was filled here or ahead on the fill worker is
// not seen: the bytes and the generator's state after every chunk are as if each were
// filled here, a whole buffer's draws per chunk.
#include <cstddef>
#include <cstdint>
#include <span>

#include "wipe_methods.h"
#include "fill_ahead.h"
#include "fill_worker.h"
#include "pass_fill.h"

namespace dornix {

class ChunkSource {
 public:
  // A fixed or pattern pass hands out `buffer` as it was prepared. Without a worker, or
  // with FillAhead::Never, every chunk is filled here.
  ChunkSource(PassBuffer& buffer, FillKind kind, std::uint64_t length, FillAhead mode = FillAhead::Never,
              FillWorkerSlot* worker = nullptr);
  // No fill goes on into a buffer after the pass.
  ~ChunkSource();
  ChunkSource(const ChunkSource&) = delete;
  ChunkSource& operator=(const ChunkSource&) = delete;

  bool Done() const { return remaining_ == 0; }
  // Where the next chunk starts in the stream.
  std::uint64_t Offset() const { return length_ - remaining_; }
  // The next chunk, filled; the generator moves past it. Called once per chunk, then
  // Written() once its write is done.
  std::span<const std::uint8_t> Next();
  void Written();

 private:
  using Clock = FillAheadJudge::Clock;
  PassBuffer* Other(const PassBuffer* used);
  void FillCurrent();
  void HandOffFollowing();

  PassBuffer& buffer_;
  const FillKind kind_;
  const std::uint64_t length_;
  std::uint64_t remaining_;
  const bool random_;
  const generator::Jump perChunk_;
  const bool mayHandOff_;  // long enough and allowed to: only then is anything timed
  FillAheadJudge judge_;
  FillWorkerSlot* const slot_;
  FillWorker* worker_ = nullptr;  // once the pass hands off
  std::uint64_t index_ = 0;
  std::size_t size_ = 0;  // of the chunk handed out last
  // The chunks go in turn in the pass's buffer and in the worker's.
  PassBuffer* current_;
  PassBuffer* following_;
  bool filledAhead_ = false;  // the next chunk was handed to the worker
  Clock::time_point began_, filled_;
};

}  // namespace dornix
