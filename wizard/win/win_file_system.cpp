#include "win_file_system.h"

#include <windows.h>

#include "handles.h"
#include "list_file.h"

namespace qelwipe::win {
namespace {

FileAttributes FromFlags(DWORD flags) {
  FileAttributes attributes;
  attributes.readOnly = flags & FILE_ATTRIBUTE_READONLY;
  attributes.hidden = flags & FILE_ATTRIBUTE_HIDDEN;
  attributes.system = flags & FILE_ATTRIBUTE_SYSTEM;
  attributes.archive = flags & FILE_ATTRIBUTE_ARCHIVE;
  attributes.directory = flags & FILE_ATTRIBUTE_DIRECTORY;
  attributes.link = flags & FILE_ATTRIBUTE_REPARSE_POINT;
  return attributes;
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

bool IsDot(const char* name) { return name[0] == '.' && (name[1] == 0 || (name[1] == '.' && name[2] == 0)); }

class WinFileSystem final : public FileSystem {
 public:
  char Separator() const override { return '\\'; }

  std::optional<FileAttributes> Attributes(const std::string& path) override {
    const DWORD flags = GetFileAttributesA(path.c_str());
    if (flags == INVALID_FILE_ATTRIBUTES) return std::nullopt;
    return FromFlags(flags);
  }

  std::optional<std::uint64_t> FileLength(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
    if (data.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) return 0;
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }

  std::vector<FolderEntry> ListFolder(const std::string& folder) override {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAA found{};
    const winkit::UniqueFind search(FindFirstFileA((folder + "\\*.*").c_str(), &found));
    if (!search) return entries;
    do {
      if (IsDot(found.cFileName)) continue;
      entries.push_back({found.cFileName, FromFlags(found.dwFileAttributes)});
    } while (FindNextFileA(search.get(), &found));
    return entries;
  }

  std::optional<EntryTimes> FileTimes(const std::string& path) override {
    // No access and no sharing: a file another program holds gives no times.
    const winkit::UniqueFile file(
        CreateFileA(path.c_str(), 0, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!file) return std::nullopt;
    FILETIME created{}, accessed{}, modified{};
    if (!GetFileTime(file.get(), &created, &accessed, &modified)) return std::nullopt;
    return ToTimes(created, accessed, modified);
  }

  std::optional<EntryTimes> FolderTimes(const std::string& path) override {
    WIN32_FIND_DATAA found{};
    const winkit::UniqueFind search(FindFirstFileA(path.c_str(), &found));
    if (!search) return std::nullopt;
    return ToTimes(found.ftCreationTime, found.ftLastAccessTime, found.ftLastWriteTime);
  }

  void ClearAttributes(const std::string& path) override {
    const DWORD flags = GetFileAttributesA(path.c_str());
    if (flags == INVALID_FILE_ATTRIBUTES || (flags & FILE_ATTRIBUTE_REPARSE_POINT)) return;
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
  }

  bool Delete(const std::string& path) override { return DeleteFileA(path.c_str()) != 0; }

  // A junction or folder link goes as itself; its target is not entered.
  bool RemoveFolder(const std::string& path) override { return RemoveDirectoryA(path.c_str()) != 0; }

  std::optional<std::string> ReadRegularFile(const std::string& path) override {
    // A folder does not open without backup semantics; a pipe or a device is no file.
    const winkit::UniqueFile file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file || GetFileType(file.get()) != FILE_TYPE_DISK) return std::nullopt;
    std::string content;
    char buffer[4096];
    DWORD read = 0;
    do {
      if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return std::nullopt;
      content.append(buffer, read);
    } while (read != 0);
    return content;
  }

  std::string TemporaryFolder() override {
    std::string folder;
    return listfile::TempFolder(folder) ? folder : std::string();
  }
};

class WinFileTypeRegistry final : public FileTypeRegistry {
 public:
  std::optional<std::string> ClassesRootDefault(const std::string& key) override {
    winkit::UniqueKey opened;
    if (RegOpenKeyA(HKEY_CLASSES_ROOT, key.c_str(), opened.put()) != ERROR_SUCCESS) return std::nullopt;
    char value[260] = {};
    DWORD size = sizeof value - 1;
    DWORD type = 0;
    if (RegQueryValueExA(opened.get(), nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &size) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
      return std::nullopt;
    return std::string(value);
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeWinFileSystem() { return std::make_unique<WinFileSystem>(); }
std::unique_ptr<FileTypeRegistry> MakeWinFileTypeRegistry() { return std::make_unique<WinFileTypeRegistry>(); }

}  // namespace qelwipe::win
