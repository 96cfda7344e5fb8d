#include "win_file_system.h"

#include <windows.h>

#include <vector>

#include "folder_chain.h"
#include "handles.h"
#include "items_list.h"
#include "list_file.h"
#include "text.h"

namespace qelwipe::win {
namespace {

// The path as the wide calls take it: whole, long paths and trailing dots or blanks kept.
std::optional<std::wstring> SystemPath(const std::string& path) {
  const auto wide = winkit::Utf8ToWide(path);
  if (!wide) return std::nullopt;
  return winkit::ExtendedLengthPath(*wide);
}

FileAttributes FromFlags(DWORD flags, DWORD tag) {
  FileAttributes attributes;
  attributes.readOnly = flags & FILE_ATTRIBUTE_READONLY;
  attributes.hidden = flags & FILE_ATTRIBUTE_HIDDEN;
  attributes.system = flags & FILE_ATTRIBUTE_SYSTEM;
  attributes.archive = flags & FILE_ATTRIBUTE_ARCHIVE;
  attributes.directory = flags & FILE_ATTRIBUTE_DIRECTORY;
  attributes.link = pathguard::IsLink(flags, tag);
  return attributes;
}

using pathguard::OpenEntry;

std::optional<FILE_ATTRIBUTE_TAG_INFO> TagInfo(HANDLE file) {
  FILE_ATTRIBUTE_TAG_INFO info{};
  if (GetFileType(file) != FILE_TYPE_DISK ||
      !GetFileInformationByHandleEx(file, FileAttributeTagInfo, &info, sizeof info))
    return std::nullopt;
  return info;
}

DWORD ReparseTag(const std::wstring& path) {
  const winkit::UniqueFile entry =
      OpenEntry(path, FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  const auto info = entry ? TagInfo(entry.get()) : std::nullopt;
  return info ? info->ReparseTag : 0;
}

LocalTime ToLocal(const FILETIME& stored) {
  FILETIME local{};
  SYSTEMTIME time{};
  if (!FileTimeToLocalFileTime(&stored, &local) || !FileTimeToSystemTime(&local, &time)) return {};
  return {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond};
}

EntryTimes ToTimes(const FILETIME& created, const FILETIME& accessed, const FILETIME& modified) {
  return {ToLocal(created), ToLocal(accessed), ToLocal(modified)};
}

bool IsDot(std::wstring_view name) { return name == L"." || name == L".."; }

// The folders above a path, held by the rule the engine opens its files by.
class HeldFolders final : public FolderHold {
 public:
  explicit HeldFolders(std::unique_ptr<pathguard::FolderChain> chain) : chain_(std::move(chain)) {}

 private:
  std::unique_ptr<pathguard::FolderChain> chain_;
};

std::unique_ptr<pathguard::FolderChain> Hold(const std::wstring& path, bool withLast) {
  std::unique_ptr<pathguard::FolderChain> chain;
  pathguard::FolderChain::Hold(path, withLast, chain);
  return chain;
}

// Deletes the entry the path names by its handle, once the handle shows what `wanted`
// accepts, with every folder above it held.
template <class Accept>
bool DeleteVerified(const std::string& path, Accept wanted) {
  const auto system = SystemPath(path);
  const auto chain = system ? Hold(*system, false) : nullptr;
  if (!chain) return false;
  const winkit::UniqueFile entry =
      OpenEntry(*system, DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
  const auto info = entry ? TagInfo(entry.get()) : std::nullopt;
  if (!info || !wanted(*info) || !chain->Opened(entry.get())) return false;
  FILE_DISPOSITION_INFO disposition{TRUE};
  return SetFileInformationByHandle(entry.get(), FileDispositionInfo, &disposition, sizeof disposition) != 0;
}

class WinFileSystem final : public FileSystem {
 public:
  char Separator() const override { return '\\'; }

  std::optional<FileAttributes> Attributes(const std::string& path) override {
    const auto system = SystemPath(path);
    if (!system) return std::nullopt;
    const DWORD flags = GetFileAttributesW(system->c_str());
    if (flags == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return FromFlags(flags, flags & FILE_ATTRIBUTE_REPARSE_POINT ? ReparseTag(*system) : 0);
  }

  std::optional<std::uint64_t> FileLength(const std::string& path) override {
    const auto system = SystemPath(path);
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!system || !GetFileAttributesExW(system->c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ||
        pathguard::IsLink(data.dwFileAttributes,
                  data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT ? ReparseTag(*system) : 0))
      return 0;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }

  std::vector<FolderEntry> ListFolder(const std::string& folder) override {
    std::vector<FolderEntry> entries;
    const auto system = SystemPath(folder);
    if (!system) return entries;
    WIN32_FIND_DATAW found{};
    const std::wstring pattern = *system + (system->ends_with(L'\\') ? L"*" : L"\\*");
    const winkit::UniqueFind search(
        FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &found, FindExSearchNameMatch, nullptr, 0));
    if (!search) return entries;
    do {
      if (IsDot(found.cFileName)) continue;
      // A name with no UTF-8 form (a lone surrogate) is kept empty: it stays, reported.
      // No length: a folder's entry may lag behind a file being written; FileLength asks the file.
      entries.push_back({winkit::WideToUtf8(found.cFileName).value_or(std::string()),
                         FromFlags(found.dwFileAttributes, found.dwReserved0), std::nullopt});
    } while (FindNextFileW(search.get(), &found));
    return entries;
  }

  std::optional<EntryTimes> FileTimes(const std::string& path) override {
    const auto system = SystemPath(path);
    if (!system) return std::nullopt;
    // No access and no sharing: a file another program holds gives no times.
    const winkit::UniqueFile file(
        CreateFileW(system->c_str(), 0, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return std::nullopt;
    FILETIME created{}, accessed{}, modified{};
    if (!GetFileTime(file.get(), &created, &accessed, &modified)) return std::nullopt;
    return ToTimes(created, accessed, modified);
  }

  std::optional<EntryTimes> FolderTimes(const std::string& path) override {
    const auto system = SystemPath(path);
    WIN32_FIND_DATAW found{};
    if (!system) return std::nullopt;
    const winkit::UniqueFind search(FindFirstFileW(system->c_str(), &found));
    if (!search) return std::nullopt;
    return ToTimes(found.ftCreationTime, found.ftLastAccessTime, found.ftLastWriteTime);
  }

  bool ClearAttributes(const std::string& path) override {
    const auto system = SystemPath(path);
    if (!system) return false;
    const winkit::UniqueFile entry = OpenEntry(*system, FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (!entry) return false;
    // What the engine refuses (a link, a file with another name, one it cannot overwrite in
    // place) stays exactly as it was.
    const pathguard::EntryFacts facts = pathguard::FactsOf(entry.get());
    if ((facts.attributes & FILE_ATTRIBUTE_DIRECTORY) ? pathguard::CheckFolder(facts) : pathguard::CheckFile(facts))
      return false;
    FILE_BASIC_INFO basic{};  // times of 0 stay as they are
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    return SetFileInformationByHandle(entry.get(), FileBasicInfo, &basic, sizeof basic) != 0;
  }

  bool Delete(const std::string& path) override {
    return DeleteVerified(path, [](const FILE_ATTRIBUTE_TAG_INFO& info) {
      return !(info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) || pathguard::IsLink(info.FileAttributes, info.ReparseTag);
    });
  }

  // A junction or folder link goes as itself; its target is not entered.
  bool RemoveFolder(const std::string& path) override {
    return DeleteVerified(path, [](const FILE_ATTRIBUTE_TAG_INFO& info) {
      return (info.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    });
  }

  std::optional<std::string> ReadRegularFile(const std::string& path, std::uint64_t limit) override {
    return ReadWholeFile(path, limit);
  }

  std::string TemporaryFolder() override {
    std::string folder;
    return listfile::TempFolder(folder) ? folder : std::string();
  }

  std::string FoldCase(const std::string& text) override {
    const auto wide = winkit::Utf8ToWide(text);
    if (!wide || wide->empty()) return LowerAscii(text);
    const int size = static_cast<int>(wide->size());
    std::wstring lower(wide->size(), L'\0');
    if (LCMapStringEx(LOCALE_NAME_INVARIANT, LCMAP_LOWERCASE, wide->data(), size, lower.data(), size, nullptr, nullptr,
                      0) != size)
      return LowerAscii(text);
    return winkit::WideToUtf8(lower).value_or(LowerAscii(text));
  }

  std::unique_ptr<FolderHold> HoldFolder(const std::string& path) override {
    const auto system = SystemPath(path);
    auto chain = system ? Hold(*system, true) : nullptr;
    if (!chain) return nullptr;
    return std::make_unique<HeldFolders>(std::move(chain));
  }
};

class WinFileTypeRegistry final : public FileTypeRegistry {
 public:
  std::optional<std::string> ClassesRootDefault(const std::string& key) override {
    const auto wideKey = winkit::Utf8ToWide(key);
    winkit::UniqueKey opened;
    if (!wideKey || RegOpenKeyW(HKEY_CLASSES_ROOT, wideKey->c_str(), opened.put()) != ERROR_SUCCESS)
      return std::nullopt;
    wchar_t value[260] = {};
    DWORD size = sizeof value - sizeof value[0];
    DWORD type = 0;
    if (RegQueryValueExW(opened.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
      return std::nullopt;
    return winkit::WideToUtf8(value);
  }
};

}  // namespace

std::optional<std::string> ReadWholeFile(const std::string& path, std::uint64_t limit) {
  const auto system = SystemPath(path);
  if (!system) return std::nullopt;
  // A folder does not open without backup semantics; a pipe or a device is no file.
  const winkit::UniqueFile file(CreateFileW(system->c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || GetFileType(file.get()) != FILE_TYPE_DISK) return std::nullopt;
  std::string content;
  char buffer[4096];
  DWORD read = 0;
  do {
    if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return std::nullopt;
    if (content.size() + read > limit) return std::nullopt;
    content.append(buffer, read);
  } while (read != 0);
  return content;
}

std::unique_ptr<FileSystem> MakeWinFileSystem() { return std::make_unique<WinFileSystem>(); }
std::unique_ptr<FileTypeRegistry> MakeWinFileTypeRegistry() { return std::make_unique<WinFileTypeRegistry>(); }

}  // namespace qelwipe::win
