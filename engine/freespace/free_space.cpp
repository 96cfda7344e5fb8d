#include "free_space.h"

#include <algorithm>
#include <new>

#include "fill/fill_worker.h"
#include "fill/pass_fill.h"

namespace dornix::freespace {
namespace {

constexpr std::uint32_t kChunk = 1u << 20;           // whole sectors of any size up to 1 MiB
constexpr std::uint64_t kFillerLength = 1ull << 30;  // far below FAT32's 4 GiB limit
constexpr std::uint32_t kRecordBytes = 512;          // resident in an NTFS file record of 1 KiB
constexpr std::uint64_t kMostRecords = 1u << 22;     // far more than a file table has free

// Memory aligned for unbuffered writes: to a page, or to the sector where that is larger.
class AlignedChunk {
 public:
  explicit AlignedChunk(std::uint32_t sector)
      : alignment_(std::max<std::size_t>(4096, sector)),
        bytes_(static_cast<std::uint8_t*>(::operator new(kChunk, std::align_val_t(alignment_), std::nothrow))) {}
  ~AlignedChunk() { ::operator delete(bytes_, std::align_val_t(alignment_)); }
  AlignedChunk(const AlignedChunk&) = delete;
  AlignedChunk& operator=(const AlignedChunk&) = delete;
  std::uint8_t* data() const { return bytes_; }

 private:
  std::size_t alignment_;
  std::uint8_t* bytes_;
};

class Filling {
 public:
  // `expected`: the bytes that all passes together write, for the progress reports.
  Filling(Volume& volume, const RunPlan& plan, RunResult& result, std::uint32_t sector, std::uint64_t expected)
      : volume_(volume),
        plan_(plan),
        result_(result),
        sector_(std::max<std::uint32_t>(sector, 1)),
        expected_(expected),
        fillLimit_(expected / std::max<std::size_t>(plan.passes.size(), 1) * 9 / 8 + (64u << 20)),
        chunk_(sector) {}

  bool HasMemory() const { return chunk_.data() != nullptr; }

  // The first pass: fillers until the volume is full, the last bytes buffered, then small
  // files while the file table takes them.
  void FillVolume(const PassSpec& pass, bool records) {
    StartPass(pass, 1);
    std::uint64_t number = 1;
    for (;; ++number) {
      const ErrorCode error = NewFiller(kFillerPrefix, number, true, kFillerLength, sector_);
      if (error == win_error::kDiskFull) break;
      if (error) return Stop(error);
    }
    // What is left is less than a chunk, or less than a sector: written byte for byte.
    if (const ErrorCode error = NewFiller(kFillerPrefix, number + 1, false, kFillerLength, 1);
        error && error != win_error::kDiskFull)
      return Stop(error);
    result_.fillers = fillers_.size();
    for (std::uint64_t record = 1; records && record <= kMostRecords && !Stopped(); ++record)
      if (NewFiller(kRecordPrefix, record, false, kRecordBytes, kRecordBytes)) break;  // the table is full
    result_.records = fillers_.size() - result_.fillers;
    for (auto& filler : fillers_)
      if (const ErrorCode error = filler->Flush()) return Stop(error);
  }

  // Every later pass: each filler overwritten where it lies.
  void Overwrite(const PassSpec& pass, int number) {
    StartPass(pass, number);
    for (auto& filler : fillers_) {
      if (Stopped()) return;
      ErrorCode error = filler->Rewind();
      for (std::uint64_t left = filler->Length(); !error && left > 0 && !Stopped();) {
        const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(left, kChunk));
        error = WriteChunk(*filler, count);
        left -= count;
      }
      if (!error) error = filler->Flush();
      if (error) return Stop(error);
    }
  }

  // Every filler deleted, then the work folder; whether all of it is gone.
  bool RemoveAll() {
    bool gone = true;
    for (auto& filler : fillers_) gone = filler->Delete() == 0 && gone;
    fillers_.clear();
    return volume_.RemoveWorkFolder() == 0 && gone;
  }

  bool Stopped() {
    if (!result_.error && plan_.cancelled && plan_.cancelled()) result_.error = win_error::kCancelled;
    return result_.error != 0;
  }

 private:
  void StartPass(const PassSpec& pass, int number) {
    pass_ = &pass;
    passNumber_ = number;
    if (!pass.random()) TilePattern({chunk_.data(), kChunk}, pass.bytes());
  }
  void Stop(ErrorCode error) {
    if (!result_.error) result_.error = error;
  }

  // A filler written up to `limit` bytes in whole `unit`s, or until the volume is full
  // (kDiskFull, the filler kept with what it holds).
  ErrorCode NewFiller(const char* prefix, std::uint64_t number, bool unbuffered, std::uint64_t limit,
                      std::uint32_t unit) {
    if (Stopped()) return result_.error;
    std::unique_ptr<FillerFile> filler;
    if (const ErrorCode error = volume_.CreateFiller(prefix, number, unbuffered, filler)) return error;
    fillers_.push_back(std::move(filler));
    FillerFile& file = *fillers_.back();
    std::uint32_t size = static_cast<std::uint32_t>(std::min<std::uint64_t>(kChunk, limit) / unit * unit);
    while (file.Length() < limit && !Stopped()) {
      // A volume that stores what is written in less room than it takes never fills up.
      if (result_.written > fillLimit_) return win_error::kNotSupported;
      const auto count = static_cast<std::uint32_t>(std::min<std::uint64_t>(size, limit - file.Length()));
      const ErrorCode error = WriteChunk(file, count);
      if (error != win_error::kDiskFull) {
        if (error) return error;
        continue;
      }
      // Full for this size: smaller writes in whole units take what is left.
      if (size <= unit) return win_error::kDiskFull;
      size = std::max(unit, size / 2 / unit * unit);
    }
    return Stopped() ? result_.error : 0;
  }

  ErrorCode WriteChunk(FillerFile& file, std::uint32_t count) {
    if (pass_->random()) FillRandom({chunk_.data(), count}, pass_->kind);
    const std::uint64_t before = file.Length();
    const ErrorCode error = file.Write(chunk_.data(), count);
    // A write cut short by a full volume still wrote what it wrote.
    result_.written += error ? file.Length() - std::min(file.Length(), before) : count;
    if (plan_.progress) plan_.progress(result_.written, expected_, passNumber_);
    return error;
  }

  Volume& volume_;
  const RunPlan& plan_;
  RunResult& result_;
  const std::uint32_t sector_;
  const std::uint64_t expected_;
  const std::uint64_t fillLimit_;  // what the first pass may write before the volume must be full
  AlignedChunk chunk_;
  const PassSpec* pass_ = nullptr;
  int passNumber_ = 1;
  std::vector<std::unique_ptr<FillerFile>> fillers_;
};

}  // namespace

bool IsWorkFolderName(std::string_view name) {
  return name.starts_with(kWorkFolderPrefix) && name.size() > std::string_view(kWorkFolderPrefix).size();
}

bool IsFillerName(std::string_view name) {
  for (const std::string_view prefix : {std::string_view(kFillerPrefix), std::string_view(kRecordPrefix)}) {
    if (!name.starts_with(prefix) || name.size() == prefix.size()) continue;
    const std::string_view digits = name.substr(prefix.size());
    if (std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) return true;
  }
  return false;
}

RunResult EraseFreeSpace(Volume& volume, const RunPlan& plan) {
  RunResult result;
  VolumeFacts facts;
  if ((result.error = volume.Facts(facts))) return result;
  result.freeBefore = facts.freeBytes;
  if (plan.passes.empty()) return result;
  if ((result.error = volume.MakeWorkFolder())) return result;
  Filling filling(volume, plan, result, facts.sectorSize, facts.freeBytes * plan.passes.size());
  generator::Seed(plan.seed);
  if (!filling.HasMemory()) {
    result.error = win_error::kNotEnoughMemory;
  } else {
    filling.FillVolume(plan.passes.front(), facts.smallFilesInFileTable);
    // Whatever stayed free was not overwritten: known before any filler goes.
    result.unfilled = volume.FreeBytes();
    for (std::size_t i = 1; i < plan.passes.size() && !filling.Stopped(); ++i)
      filling.Overwrite(plan.passes[i], static_cast<int>(i + 1));
  }
  result.cleanedUp = filling.RemoveAll();
  result.freeAfter = volume.FreeBytes();
  return result;
}

}  // namespace dornix::freespace
