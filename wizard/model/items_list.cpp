#include "items_list.h"

#include <algorithm>

#include "display_text.h"
#include "texts.h"

namespace qelwipe {
namespace {

constexpr int kNameNarrowerThanList = 1600;
constexpr int kDirectoryWidth = 900;

void PutTimes(ItemRow& row, const std::optional<EntryTimes>& times) {
  if (!times) return;
  row[kTimeCreated] = TimeText(times->created);
  row[kTimeAccessed] = TimeText(times->accessed);
  row[kTimeModified] = TimeText(times->modified);
}

char LowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

}  // namespace

int ColumnWidthTwips(int column, int listWidthTwips) {
  if (column == kName) return listWidthTwips - kNameNarrowerThanList;
  if (column == kDirectory) return kDirectoryWidth;
  return kColumns.at(static_cast<std::size_t>(column)).widthTwips;
}

SplitName SplitPath(const std::string& path, char separator) {
  const std::size_t last = path.rfind(separator);
  if (last == std::string::npos) return {path, ""};
  return {path.substr(last + 1), path.substr(0, last + 1)};
}

std::string FileTypeText(const std::string& path, FileTypeRegistry& registry) {
  const std::size_t period = path.rfind('.');
  const std::string extension = period == std::string::npos ? path : path.substr(period);
  const auto className = registry.ClassesRootDefault(extension);
  if (!className) return texts::kUnknownType;
  return registry.ClassesRootDefault(*className).value_or(texts::kUnknownType);
}

std::string LowerAscii(std::string_view text) {
  std::string lower(text);
  std::transform(lower.begin(), lower.end(), lower.begin(), LowerChar);
  return lower;
}

void ItemsList::AddItem(const std::string& path) { AddItem(path, false); }

void ItemsList::AddItem(const std::string& given, bool lowerCaseTexts) {
  // The item is a link itself, never what the system would resolve through a trailing separator.
  const std::string path = WithoutTrailingSeparators(given, files_.Separator());
  const SplitName split = SplitPath(lowerCaseTexts ? files_.FoldCase(path) : path, files_.Separator());
  // Windows paths name the same item whatever their letter case.
  if (IsListed(path)) {
    view_.ShowMessage({std::string(texts::kDuplicateBefore) + split.name + texts::kDuplicateAfter, texts::kAppTitle,
                       MessageButtons::Ok, MessageIcon::Information, false});
    return;
  }
  const auto attributes = files_.Attributes(path);
  if (!attributes) return;  // vanished or unreadable: nothing to list

  ItemRow row;
  row[kName] = split.name;
  row[kDirectory] = split.directory;
  row[kAttributes] = AttributeText(*attributes);
  if (attributes->directory) {
    row[kSize] = SizeText(walk_.Measure(path).bytes);
    row[kType] = texts::kFolderType;
    PutTimes(row, files_.FolderTimes(path));
  } else {
    row[kSize] = SizeText(files_.FileLength(path).value_or(0));
    row[kType] = FileTypeText(path, registry_);
    PutTimes(row, files_.FileTimes(path));
  }
  // Measuring a folder pumps messages: the list may have changed meanwhile.
  if (IsListed(path)) return;
  Append({std::move(row), path, files_.FoldCase(path)});
}

void ItemsList::AddPaths(const std::vector<std::string>& paths) {
  for (const auto& path : paths) AddItem(path, true);
}

void ItemsList::AddPicked(const std::string& folder, const std::vector<std::string>& names) {
  for (const auto& name : names) AddItem(JoinPath(folder, files_.Separator(), name), true);
}

bool ItemsList::Lists(const std::string& path) const {
  return IsListed(WithoutTrailingSeparators(path, files_.Separator()));
}

void ItemsList::RemoveItem(int index) {
  if (index < 1 || index > Count()) return;
  const auto item = items_.begin() + (index - 1);
  keys_.erase(keys_.find(item->key));
  items_.erase(item);
  ++revision_;
}

void ItemsList::Clear() {
  items_.clear();
  keys_.clear();
  ++revision_;
}

void ItemsList::SortByColumn(int column) {
  if (column < 0 || column >= kColumnCount) return;
  if (sorted_ && sortKey_ == column) descending_ = !descending_;
  sortKey_ = column;
  sorted_ = true;
  Sort();
  ++revision_;
}

bool ItemsList::IsListed(const std::string& path) const { return keys_.count(files_.FoldCase(path)) != 0; }

void ItemsList::Append(Item item) {
  keys_.insert(item.key);
  // After the rows it equals, where sorting the longer list again would put it.
  const auto place = sorted_ ? std::upper_bound(items_.begin(), items_.end(), item,
                                                [this](const Item& a, const Item& b) { return Before(a, b); })
                             : items_.end();
  items_.insert(place, std::move(item));
  ++revision_;
}

bool ItemsList::Before(const Item& a, const Item& b) const {
  const auto key = static_cast<std::size_t>(sortKey_);
  const auto less = [&](const std::string& x, const std::string& y) { return files_.FoldCase(x) < files_.FoldCase(y); };
  return descending_ ? less(b.row[key], a.row[key]) : less(a.row[key], b.row[key]);
}

void ItemsList::Sort() {
  std::stable_sort(items_.begin(), items_.end(), [this](const Item& a, const Item& b) { return Before(a, b); });
}

}  // namespace qelwipe
