#pragma once
// Erasing a volume's free space: filler files of this run's own, written with a method's
// passes until the volume is full, then deleted. What an ordinary deletion or an earlier
// save left in free clusters is overwritten that way; nothing else on the volume is touched.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "wipe_methods.h"
#include "win_error.h"

namespace dornix::freespace {

using ErrorCode = win_error::Code;

// The folder a run works in, at the volume's root: its name begins so, and one that a
// crashed run left behind is known by it.
inline constexpr char kWorkFolderPrefix[] = "QelWipe free space ";
// Filler files within it: "fill-000001", and small ones for free file records "rec-000001".
inline constexpr char kFillerPrefix[] = "fill-";
inline constexpr char kRecordPrefix[] = "rec-";
bool IsWorkFolderName(std::string_view name);
bool IsFillerName(std::string_view name);

// What the volume tells of itself before the run.
struct VolumeFacts {
  std::uint64_t freeBytes = 0;   // what this user may still write
  std::uint64_t totalBytes = 0;
  std::uint64_t reservedBytes = 0;  // free, but kept for the administrator: out of this user's reach
  std::uint32_t sectorSize = 4096;  // unbuffered writes come in whole sectors of this many bytes
  bool network = false;
  bool solidState = false;  // no seek penalty: the drive remaps what is written
  // Snapshots (shadow copies, restore points, copy-on-write snapshots) may keep old data;
  // `snapshotsUnknown` when the volume would not say.
  bool snapshots = false, snapshotsUnknown = false;
  bool smallFilesInFileTable = false;  // NTFS: small files live in free file records
};

// A filler file this run created. It has no name anyone else can open it by, or one in a
// folder of this run's own; it is written, and in the end deleted, by its handle alone, and
// the system deletes it if the program ends first.
class FillerFile {
 public:
  virtual ~FillerFile() = default;
  // Appends `count` bytes, or overwrites from where Rewind left it. An unbuffered filler
  // takes whole sectors from memory aligned to a page. kDiskFull once the volume is full.
  virtual ErrorCode Write(const std::uint8_t* bytes, std::uint32_t count) = 0;
  virtual ErrorCode Rewind() = 0;
  virtual ErrorCode Flush() = 0;
  virtual std::uint64_t Length() = 0;
  // Gone from the volume once this returns 0.
  virtual ErrorCode Delete() = 0;
};

// The volume as the free-space erase reaches it. Portable decisions, platform calls.
class Volume {
 public:
  virtual ~Volume() = default;
  virtual ErrorCode Facts(VolumeFacts& facts) = 0;
  virtual std::uint64_t FreeBytes() = 0;
  // Removes the work folders that earlier runs left at the root: their filler files and the
  // folders themselves, nothing else. How many folders are gone, or the error.
  virtual ErrorCode RemoveLeftovers(std::uint64_t& removed) = 0;
  // This run's own work folder at the root, made now.
  virtual ErrorCode MakeWorkFolder() = 0;
  // A new filler in it, named from `prefix` and `number`; unbuffered and written through,
  // or buffered for the last few bytes and for small files.
  virtual ErrorCode CreateFiller(const char* prefix, std::uint64_t number, bool unbuffered,
                                 std::unique_ptr<FillerFile>& filler) = 0;
  // The work folder is removed; an error when anything is left in it.
  virtual ErrorCode RemoveWorkFolder() = 0;
};

// The passes a method writes over free space, each once per cycle.
struct RunPlan {
  std::vector<PassSpec> passes;
  std::uint32_t seed = 1;  // for the random passes
  // Asked between chunks: true stops the run, everything created removed.
  std::function<bool()> cancelled;
  // Bytes written so far of about `expected` in all; the pass under way, from 1.
  std::function<void(std::uint64_t written, std::uint64_t expected, int pass)> progress;
};

struct RunResult {
  ErrorCode error = 0;             // why the run stopped short: kCancelled, or a write that failed
  std::uint64_t written = 0;       // bytes, all passes
  std::uint64_t fillers = 0;       // files made to fill the volume
  std::uint64_t records = 0;       // small files made for free file records
  std::uint64_t freeBefore = 0, freeAfter = 0;
  std::uint64_t unfilled = 0;      // free bytes the first pass could not reach
  bool cleanedUp = false;          // every filler and the work folder are gone again
};

// Fills the volume's free space with every pass in turn, then removes what it made. The
// volume's facts are taken before; the caller has checked them (not a network volume).
RunResult EraseFreeSpace(Volume& volume, const RunPlan& plan);

// Free space that a full volume may still show: what the file system keeps for itself.
inline constexpr std::uint64_t kFullSlack = 1u << 20;

}  // namespace dornix::freespace
