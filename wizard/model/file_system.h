#pragma once
// The wizard's only way to the file system: walks, details and removals.
// Paths and names are UTF-8; no call follows a link.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qelwipe {

struct FileAttributes {
  bool readOnly = false;
  bool hidden = false;
  bool system = false;
  bool archive = false;
  bool directory = false;
  // A junction, symbolic link or mount point (a name standing for another entry): never
  // entered, never overwritten, removed as itself. Other reparse points are plain entries.
  bool link = false;
};

// A moment as the local clock shows it.
struct LocalTime {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
};

struct EntryTimes {
  LocalTime created, accessed, modified;
};

struct FolderEntry {
  std::string name;
  // Empty when the entry's attributes could not be read.
  std::optional<FileAttributes> attributes;
  // What FileLength would give at the time of listing, when the listing read it anyway.
  std::optional<std::uint64_t> length;
};

// Keeps a folder, and every folder above it, from being renamed, replaced or removed
// until it goes, so that a path below it names what it named when the hold was taken.
class FolderHold {
 public:
  virtual ~FolderHold() = default;
};

class FileSystem {
 public:
  virtual ~FileSystem() = default;
  // The character that joins a folder and an entry name.
  virtual char Separator() const = 0;
  // Empty when the path does not exist or cannot be read.
  virtual std::optional<FileAttributes> Attributes(const std::string& path) = 0;
  // False only when nothing stands at the path any more: the check after an erase,
  // which may say "there" of a path that has become unreadable, never "gone" of one
  // that stays. Systems where Attributes costs more than one call answer it cheaper.
  virtual bool Exists(const std::string& path) { return Attributes(path).has_value(); }
  // The length of the file itself; a link's target is not measured (0).
  virtual std::optional<std::uint64_t> FileLength(const std::string& path) = 0;
  // Every entry of the folder, files and folders of any attribute, without "." and "..".
  virtual std::vector<FolderEntry> ListFolder(const std::string& folder) = 0;
  // Times of a file opened with no access and no sharing; empty when it cannot be opened.
  virtual std::optional<EntryTimes> FileTimes(const std::string& path) = 0;
  // Times of the directory entry the path names; empty when none is found.
  virtual std::optional<EntryTimes> FolderTimes(const std::string& path) = 0;
  // Makes the entry plainly writable; links are left as they are. False when the entry
  // stays as it was: missing, refused by the link rule, or refused by the system.
  virtual bool ClearAttributes(const std::string& path) = 0;
  // Removes a file, or a link to a file, as itself. (Not DeleteFile: windows.h renames that.)
  virtual bool Delete(const std::string& path) = 0;
  // Removes an empty folder, or a link to a folder without touching its target.
  virtual bool RemoveFolder(const std::string& path) = 0;
  // The whole content of a regular file; empty for a folder, a pipe or a device, when
  // it cannot be read, or when it holds more than `limit` bytes. Never waits for a writer.
  virtual std::optional<std::string> ReadRegularFile(const std::string& path, std::uint64_t limit) = 0;
  // The user's folder for temporary files, as the system gives it.
  virtual std::string TemporaryFolder() = 0;
  // The text in lower case as the system folds names; comparing folded names ignores case.
  virtual std::string FoldCase(const std::string& text) = 0;
  // Empty when the path is not a folder reached through folders only (a link stands on
  // the way or in its place) or cannot be held.
  virtual std::unique_ptr<FolderHold> HoldFolder(const std::string& path) = 0;
};

}  // namespace qelwipe
