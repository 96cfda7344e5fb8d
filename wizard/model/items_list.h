#pragma once
// The items to erase: each row's display texts and the path it was given, which
// is what gets erased (a case-sensitive folder may hold names differing only in case).
#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "file_system.h"
#include "file_type_registry.h"
#include "folder_walk.h"
#include "wizard_view.h"

namespace qelwipe {

enum Column { kName, kDirectory, kSize, kType, kAttributes, kTimeCreated, kTimeAccessed, kTimeModified, kColumnCount };

struct ColumnSpec {
  const char* header;
  int widthTwips;  // as created; Name and Directory are set again when the list is set up
};
inline constexpr std::array<ColumnSpec, kColumnCount> kColumns{{{"Name", 1440},
                                                                {"Directory", 1440},
                                                                {"Size", 1440},
                                                                {"Type", 1440},
                                                                {"Attributes", 1440},
                                                                {"Time Created", 1440},
                                                                {"Time Accessed", 1440},
                                                                {"Time Modified", 1440}}};
// Widths after set-up: Name 1600 twips narrower than the list, Directory 900.
int ColumnWidthTwips(int column, int listWidthTwips);

using ItemRow = std::array<std::string, kColumnCount>;

struct SplitName {
  std::string name;       // after the last separator
  std::string directory;  // up to and including it
};
SplitName SplitPath(const std::string& path, char separator);

// The description the registry gives for the path's extension, else "File".
std::string FileTypeText(const std::string& path, FileTypeRegistry& registry);

// Lower case for the letters A to Z only: safe on UTF-8, whose other bytes are all above 0x7F.
std::string LowerAscii(std::string_view text);

class ItemsList {
 public:
  ItemsList(FileSystem& files, FileTypeRegistry& registry, FolderWalk& walk, WizardView& view)
      : files_(files), registry_(registry), walk_(walk), view_(view) {}

  // Adds one file or folder with its details; a path already listed (letter
  // case ignored) is refused with a message, one that cannot be read is skipped.
  void AddItem(const std::string& path);
  // Full paths as the file picker and a hand-off list give them; their rows show the
  // texts lower-cased as the system folds names.
  void AddPaths(const std::vector<std::string>& paths);
  // Names picked together in one folder, each joined to it; rows as AddPaths's.
  void AddPicked(const std::string& folder, const std::vector<std::string>& names);

  // The path is listed already: AddItem would refuse it.
  bool Lists(const std::string& path) const;

  int Count() const { return static_cast<int>(items_.size()); }
  // 1-based, as displayed.
  const ItemRow& Row(int index) const { return items_.at(static_cast<std::size_t>(index - 1)).row; }
  // The item's path as it was given.
  std::string PathAt(int index) const { return items_.at(static_cast<std::size_t>(index - 1)).path; }

  void RemoveItem(int index);
  void Clear();

  // The first click on a column sorts by it in the current direction; a
  // further click on the same column flips the direction. Texts are compared
  // without regard to letter case; rows added later take their sorted place.
  void SortByColumn(int column);
  bool SortDescending() const { return descending_; }

  // Grows with every change of the rows, so a view can tell when to redraw.
  std::uint64_t Revision() const { return revision_; }

 private:
  struct Item {
    ItemRow row;
    std::string path;
    std::string key;  // the path case-folded, as the duplicate rule compares it
  };
  void AddItem(const std::string& path, bool lowerCaseTexts);
  bool IsListed(const std::string& path) const;
  void Append(Item item);
  void Sort();
  bool Before(const Item& a, const Item& b) const;

  FileSystem& files_;
  FileTypeRegistry& registry_;
  FolderWalk& walk_;
  WizardView& view_;
  std::vector<Item> items_;
  // Every row's key, kept in step with the rows: the duplicate rule must not fold
  // the whole list on every add.
  std::unordered_multiset<std::string> keys_;
  bool sorted_ = false;
  int sortKey_ = kName;
  bool descending_ = false;
  std::uint64_t revision_ = 0;
};

}  // namespace qelwipe
