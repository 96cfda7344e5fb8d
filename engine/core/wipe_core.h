#pragma once
// WipeCore destroys one file per call: it opens the file exclusively (its attributes
// cleared) with each of its named data streams, re-dates it, overwrites every stream
// pass after pass and round after round, empties them, renames the file to a temporary
// name in its folder and deletes it.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "file_access.h"
#include "fill/chunk_source.h"
#include "wipe_methods.h"

namespace dornix {

class WipeCore {
 public:
  using ProgressCallback = std::function<void(std::int32_t round, std::int32_t pass, std::int32_t percent)>;
  // Seconds since 1970-01-01 UTC, truncated to 32 bits: the generator's seed.
  using Clock = std::function<std::uint32_t()>;
  static std::uint32_t CalendarSeconds();

  explicit WipeCore(FileAccess& files, ProgressCallback progress = {}, Clock clock = CalendarSeconds);

  std::int32_t WipeMethod() const { return method_; }
  void SetWipeMethod(std::int32_t method) { method_ = method; }
  std::int32_t WipeRounds() const { return rounds_; }
  void SetWipeRounds(std::int32_t rounds) { rounds_ = rounds; }

  // While the cancel flag is set every erase answers win_error::kCancelled; one under
  // way stops at its next chunk and leaves the file in place, neither emptied nor renamed.
  void CancelWipe() { cancel_ = true; }
  void CallWipe() { cancel_ = false; }
  bool CancelRequested() const { return cancel_; }

  // Each returns 0 when the file was opened and destroyed, win_error::kInvalidArgument
  // when the cycle count is below 1, win_error::kCancelled when cancelled, else the
  // platform's code for why it or one of its streams could not be opened, overwritten,
  // flushed, emptied or deleted; a file not destroyed is left under its name.
  ErrorCode WipeFile(std::u16string_view fileName);
  ErrorCode FastWipeFile(std::u16string_view fileName, std::uint8_t s);
  ErrorCode GovermentWipeFile(std::u16string_view fileName, std::uint8_t s1, std::uint8_t s2, std::uint8_t s3);

  std::int32_t CurrentRound() const { return currentRound_; }
  std::int32_t CurrentPass() const { return currentPass_; }

  // Long random passes fill ahead on a second thread while timing shows that it pays.
  using FillAhead = dornix::FillAhead;
  void SetFillAhead(FillAhead mode) { fillAhead_ = mode; }

  // After the last pass every stream is read back past the system's cache and compared
  // with what that pass wrote; a difference leaves the file under its name with
  // win_error::kDataError.
  void SetVerify(bool verify) { verify_ = verify; }

  // One pass over the first `length` bytes of the file. A long random pass fills its
  // next chunk on a second thread while writing the current one; the bytes and the
  // generator's state after it are as if filled here.
  void WritePass(OpenFile& file, PassBuffer& buffer, std::uint64_t length, FillKind kind);

 private:
  // The file's main stream and each named one, with the length every pass writes.
  struct Stream {
    OpenFile* file;
    std::uint64_t length;
  };
  using Streams = std::span<const Stream>;
  using RoundWriter = std::function<void(Streams, PassBuffer&)>;
  static std::uint64_t Longest(Streams streams);
  using Prepare = std::function<void(PassBuffer&, std::uint64_t longest)>;
  ErrorCode Destroy(std::u16string_view fileName, const Prepare& prepare, const RoundWriter& writeRound);
  static ErrorCode OpenNamedStreams(OpenFile& file, std::vector<std::unique_ptr<OpenFile>>& streams);
  // Every round of passes; the first write or flush that failed, else kCancelled when cancelled.
  ErrorCode WriteRounds(Streams streams, PassBuffer& buffer, const RoundWriter& writeRound);
  void RunMethodRound(Streams streams, PassBuffer& buffer);
  void WriteFixedPass(Streams streams, PassBuffer& buffer, std::int32_t pass, std::span<const std::uint8_t> pattern);
  // One pass over every stream in turn, its percentages running over all of them.
  void WritePass(Streams streams, PassBuffer& buffer, FillKind kind);
  static ErrorCode FlushAll(Streams streams);
  ErrorCode VerifyLastPass(Streams streams, PassBuffer& buffer);
  // Cancelled, or a write failed: no further pass or round is started.
  bool Stopped() const { return cancel_ || writeError_ != 0; }
  void Report(std::int32_t percent);
  std::int32_t PercentAt(std::uint64_t position) const;

  FileAccess& files_;
  ProgressCallback progress_;
  Clock clock_;

  std::int32_t method_ = 0;
  std::int32_t rounds_ = 0;
  std::int32_t currentPass_ = 0;
  std::int32_t currentRound_ = 0;
  bool cancel_ = false;
  std::uint64_t sizeForPercent_ = 0;  // of all the streams
  ErrorCode writeError_ = 0;          // the first write or flush of this erase that failed
  bool busy_ = false;                 // an erase is running; a nested one from a report is refused
  FillWorkerSlot worker_;             // ends with the erase, or with a pass called outside one
  // Kept from one erase to the next: a fresh one costs the system a mapping per file.
  std::unique_ptr<PassBuffer> buffer_;
  FillAhead fillAhead_ = FillAhead::WhenItPays;
  bool verify_ = false;
  // The last pass begun: its kind and the generator's state before it, to fill it again.
  FillKind lastKind_ = FillKind::FixedByte;
  std::uint32_t lastStart_ = 0;
  std::unique_ptr<PassBuffer> readBuffer_;  // what a verification reads back
};

}  // namespace dornix
