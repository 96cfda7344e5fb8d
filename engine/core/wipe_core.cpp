#include "wipe_core.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <ctime>
#include <new>

#include "scope_exit.h"

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

std::uint64_t WipeCore::Longest(Streams streams) {
  std::uint64_t longest = 0;
  for (const auto& stream : streams) longest = std::max(longest, stream.length);
  return longest;
}

void WipeCore::WritePass(OpenFile& file, PassBuffer& buffer, std::uint64_t length, FillKind kind) {
  const Stream stream{&file, length};
  sizeForPercent_ = length;
  WritePass(Streams(&stream, 1), buffer, kind);
  // Called outside an erase, the pass ends the worker it started.
  if (!busy_) worker_.Stop();
}

void WipeCore::WritePass(Streams streams, PassBuffer& buffer, FillKind kind) {
  if (Stopped()) return;
  lastKind_ = kind;
  lastStart_ = generator::State();
  Report(0);
  std::uint64_t before = 0;
  for (const Stream& stream : streams) {
    OpenFile& file = *stream.file;
    file.Rewind();
    ChunkSource chunks(buffer, kind, stream.length, fillAhead_, &worker_);
    while (!chunks.Done()) {
      Report(PercentAt(before + file.Position()));
      if (cancel_) break;  // a report may have cancelled
      const std::span<const std::uint8_t> chunk = chunks.Next();
      if (const ErrorCode error = file.Write(chunk.data(), static_cast<std::uint32_t>(chunk.size()))) {
        writeError_ = error;
        return;
      }
      chunks.Written();
    }
    if (cancel_) break;
    before += stream.length;
  }
  Report(100);
  writeError_ = FlushAll(streams);
}

ErrorCode WipeCore::FlushAll(Streams streams) {
  for (const Stream& stream : streams)
    if (const ErrorCode error = stream.file->Flush()) return error;
  return 0;
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
  // The last pass is made again as it was written, from the generator's state before it;
  // the generator goes on afterwards as if no check had been made.
  const std::uint32_t after = generator::State();
  generator::State() = lastStart_;
  ErrorCode result = 0;
  for (const Stream& stream : streams) {
    ChunkSource chunks(buffer, lastKind_, stream.length);
    while (!result && !chunks.Done()) {
      const std::uint64_t offset = chunks.Offset();
      const std::span<const std::uint8_t> expected = chunks.Next();
      const auto size = static_cast<std::uint32_t>(expected.size());
      result = stream.file->ReadUncached(offset, readBuffer_->data(), size);
      if (!result && std::memcmp(readBuffer_->data(), expected.data(), size) != 0) result = win_error::kDataError;
      chunks.Written();
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

namespace {

// The file and its named streams while an erase holds them, all closed when it ends.
struct Held {
  std::unique_ptr<OpenFile> file;
  std::vector<std::unique_ptr<OpenFile>> named;
  ~Held() {
    for (auto& stream : named) stream->Close();
    if (file) file->Close();
  }
};

ErrorCode Empty(OpenFile& stream) {
  if (const ErrorCode error = stream.Flush()) return error;
  stream.Rewind();
  return stream.TruncateHere();
}

}  // namespace

ErrorCode WipeCore::Destroy(std::u16string_view fileName, const Prepare& prepare, const RoundWriter& writeRound) {
  if (cancel_) return win_error::kCancelled;
  if (rounds_ < 1) return win_error::kInvalidArgument;
  if (busy_) return win_error::kBusy;
  busy_ = true;
  // The fill worker, if a pass started one, ends with the erase.
  const basekit::ScopeExit idle([this] {
    busy_ = false;
    worker_.Stop();
  });

  Held held;  // however the erase ends: a file not destroyed is left under its name
  if (const ErrorCode error = files_.OpenExclusive(fileName, held.file)) return error;
  // Deleting the file frees its named streams' clusters as they are: each is overwritten
  // as the file is, and one that cannot be leaves the whole file as it is.
  if (const ErrorCode error = OpenNamedStreams(*held.file, held.named)) return error;
  std::vector<Stream> streams{{held.file.get(), held.file->Length()}};
  for (auto& stream : held.named) streams.push_back({stream.get(), stream->Length()});
  // The contents matter more than their dates: a file that keeps its times is still overwritten.
  (void)held.file->SetFixedTimes();

  if (!buffer_ || !buffer_->valid()) buffer_.reset(new (std::nothrow) PassBuffer);
  // Deleting the file now would leave its contents on the disk: leave it whole.
  if (!buffer_ || !buffer_->valid()) return win_error::kNotEnoughMemory;
  prepare(*buffer_, Longest(streams));
  // Bytes not overwritten would stay readable on the disk once the file is deleted.
  if (const ErrorCode error = WriteRounds(streams, *buffer_, writeRound)) return error;
  if (verify_)
    if (const ErrorCode error = VerifyLastPass(streams, *buffer_)) return error;

  // The streams are emptied and let go first: the file goes once, after all of them.
  while (!held.named.empty()) {
    if (const ErrorCode error = Empty(*held.named.back())) return error;
    held.named.back()->Close();
    held.named.pop_back();
  }
  if (const ErrorCode error = Empty(*held.file)) return error;
  // The emptied file leaves under a temporary name, so its own name is never seen deleted.
  return held.file->RenameAwayAndDelete("bla");
}

ErrorCode WipeCore::WriteRounds(Streams streams, PassBuffer& buffer, const RoundWriter& writeRound) {
  sizeForPercent_ = 0;
  for (const Stream& stream : streams) sizeForPercent_ += stream.length;
  writeError_ = 0;
  const std::int32_t rounds = rounds_;
  for (std::int64_t round = 1; round <= rounds && !Stopped(); ++round) {
    currentRound_ = static_cast<std::int32_t>(round);
    writeRound(streams, buffer);
  }
  if (writeError_) return writeError_;
  return cancel_ ? win_error::kCancelled : 0;
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
