// Windows file access: the caller's UTF-16 name goes to the wide calls unconverted,
// in the long form. Every folder on the way is held open, checked and kept from being
// renamed while its file is erased; the file itself is checked on its handle before
// anything changes, and from then on only the handle is used.
#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

#include "handles.h"
#include "platform_file_access.h"
#include "text.h"
#include "windows_rules.h"

namespace dornix {
namespace {

// The portable names are the system's own codes.
static_assert(win_error::kSuccess == ERROR_SUCCESS && win_error::kFileNotFound == ERROR_FILE_NOT_FOUND &&
              win_error::kPathNotFound == ERROR_PATH_NOT_FOUND && win_error::kAccessDenied == ERROR_ACCESS_DENIED &&
              win_error::kNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY &&
              win_error::kWriteProtect == ERROR_WRITE_PROTECT && win_error::kWriteFault == ERROR_WRITE_FAULT &&
              win_error::kGenFailure == ERROR_GEN_FAILURE && win_error::kSharingViolation == ERROR_SHARING_VIOLATION &&
              win_error::kDiskFull == ERROR_DISK_FULL && win_error::kBusy == ERROR_BUSY &&
              win_error::kFilenameTooLong == ERROR_FILENAME_EXCED_RANGE && win_error::kCancelled == ERROR_CANCELLED &&
              win_error::kInvalidName == ERROR_INVALID_NAME &&
              win_error::kInvalidArgument == static_cast<win_error::Code>(E_INVALIDARG));

const wchar_t* Wide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

ErrorCode LastError() { return static_cast<ErrorCode>(GetLastError()); }

windows_rules::HandleFacts FactsOf(HANDLE handle) {
  windows_rules::HandleFacts facts;
  BY_HANDLE_FILE_INFORMATION info{};
  FILE_ATTRIBUTE_TAG_INFO tag{};
  facts.readable = GetFileInformationByHandle(handle, &info) &&
                   GetFileInformationByHandleEx(handle, FileAttributeTagInfo, &tag, sizeof tag);
  facts.onDisk = GetFileType(handle) == FILE_TYPE_DISK;
  facts.directory = info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) facts.reparseTag = tag.ReparseTag;
  facts.links = info.nNumberOfLinks;
  return facts;
}

class Win32OpenFile final : public OpenFile {
 public:
  Win32OpenFile(winkit::UniqueFile handle, std::vector<winkit::UniqueFile> folders)
      : handle_(std::move(handle)), folders_(std::move(folders)) {}

  std::uint64_t Length() override {
    DWORD high = 0;
    const DWORD low = GetFileSize(handle_.get(), &high);
    return (static_cast<std::uint64_t>(high) << 32) | low;
  }
  void SetFixedTimes() override {
    // 2000-01-01 01:01:01.001, taken as UTC: year 2000 and every other field 1.
    SYSTEMTIME fixed{2000, 1, 1, 1, 1, 1, 1, 1};
    FILETIME time{};
    SystemTimeToFileTime(&fixed, &time);
    SetFileTime(handle_.get(), &time, &time, &time);
  }
  void Rewind() override { SetFilePointer(handle_.get(), 0, nullptr, FILE_BEGIN); }
  std::uint64_t Position() override {
    LONG high = 0;
    const DWORD low = SetFilePointer(handle_.get(), 0, &high, FILE_CURRENT);
    return (static_cast<std::uint64_t>(static_cast<DWORD>(high)) << 32) | low;
  }
  ErrorCode Write(const std::uint8_t* bytes, std::uint32_t count) override {
    DWORD written = 0;
    if (!WriteFile(handle_.get(), bytes, count, &written, nullptr)) return static_cast<ErrorCode>(GetLastError());
    return written == count ? 0 : win_error::kWriteFault;
  }
  void Flush() override { FlushFileBuffers(handle_.get()); }
  void TruncateHere() override { SetEndOfFile(handle_.get()); }
  void RenameAwayAndDelete(const char* prefix) override {
    // Windows' own temporary names: prefix, four hex digits, ".tmp"; an existing one is never replaced.
    const unsigned start = GetTickCount() ^ GetCurrentProcessId();
    for (unsigned i = 0; i < 0x10000; ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "%s%04X.tmp", prefix, (start + i) & 0xFFFF);
      const std::wstring wideName(name, name + std::char_traits<char>::length(name));
      std::vector<std::byte> block(sizeof(FILE_RENAME_INFO) + wideName.size() * sizeof(wchar_t));
      auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
      rename->ReplaceIfExists = FALSE;
      rename->RootDirectory = nullptr;  // a bare name: renamed where it is, whatever the folder's path now
      rename->FileNameLength = static_cast<DWORD>(wideName.size() * sizeof(wchar_t));
      wideName.copy(rename->FileName, wideName.size());
      if (SetFileInformationByHandle(handle_.get(), FileRenameInfo, rename, static_cast<DWORD>(block.size()))) {
        FILE_DISPOSITION_INFO disposition{TRUE};
        SetFileInformationByHandle(handle_.get(), FileDispositionInfo, &disposition, sizeof disposition);
        return;
      }
      const DWORD error = GetLastError();
      if (error != ERROR_ALREADY_EXISTS && error != ERROR_FILE_EXISTS) return;
    }
  }
  void Close() override {
    handle_.reset();
    folders_.clear();
  }

 private:
  winkit::UniqueFile handle_;
  std::vector<winkit::UniqueFile> folders_;  // from the volume root down to the file's own
};

class Win32FileAccess final : public FileAccess {
 public:
  ErrorCode OpenExclusive(std::u16string_view name, std::unique_ptr<OpenFile>& file) override {
    if (const ErrorCode error = windows_rules::CheckName(name)) return error;
    std::u16string full(name);
    if (!name.starts_with(u"\\\\?\\")) {
      // The system's own reading of a relative or short path: current folder, "." and "..".
      const DWORD size = GetFullPathNameW(Wide(full), 0, nullptr, nullptr);
      if (!size) return LastError();
      std::u16string absolute(size, u'\0');
      const DWORD length = GetFullPathNameW(Wide(full), size, reinterpret_cast<wchar_t*>(absolute.data()), nullptr);
      if (!length || length >= size) return win_error::kInvalidName;
      absolute.resize(length);
      const std::wstring extended = winkit::ExtendedLengthPath(reinterpret_cast<const wchar_t*>(absolute.c_str()));
      full.assign(extended.begin(), extended.end());
    }
    windows_rules::PathParts parts;
    if (const ErrorCode error = windows_rules::SplitFullPath(full, parts)) return error;

    // No folder on the way may be a link, and none can be renamed or replaced while held
    // without delete sharing: the file stays the one below the folders checked.
    std::vector<winkit::UniqueFile> folders;
    std::u16string walked(parts.root);
    for (std::size_t i = 0; i < parts.names.size(); ++i) {
      winkit::UniqueFile folder(CreateFileW(Wide(walked), FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                            FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
      if (!folder) {
        const ErrorCode error = LastError();
        return error == win_error::kFileNotFound ? win_error::kPathNotFound : error;
      }
      if (const ErrorCode error = windows_rules::CheckFolder(FactsOf(folder.get()))) return error;
      folders.push_back(std::move(folder));
      walked += parts.names[i];
      if (i + 1 < parts.names.size()) walked += u'\\';
    }

    // Opened for its attributes only, which no other opener's sharing forbids: a file
    // held open elsewhere is refused by the exclusive open below, once it is plainly writable.
    winkit::UniqueFile checked(CreateFileW(Wide(walked), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!checked) return LastError();
    if (const ErrorCode error = windows_rules::CheckFile(FactsOf(checked.get()))) return error;
    FILE_BASIC_INFO basic{};  // times 0: left as they are
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    if (!SetFileInformationByHandle(checked.get(), FileBasicInfo, &basic, sizeof basic)) return LastError();
    // The same file again, not its name: nothing can have taken its place.
    winkit::UniqueFile handle(ReOpenFile(checked.get(), GENERIC_WRITE | DELETE, 0, 0));
    if (!handle) return LastError();
    file = std::make_unique<Win32OpenFile>(std::move(handle), std::move(folders));
    return 0;
  }
};

}  // namespace

std::unique_ptr<FileAccess> MakePlatformFileAccess() { return std::make_unique<Win32FileAccess>(); }

}  // namespace dornix
