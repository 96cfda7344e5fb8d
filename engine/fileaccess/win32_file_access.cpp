// Windows file access: the caller's UTF-16 name goes to the wide calls unconverted,
// in the long form. Every folder on the way is held open, checked and kept from being
// renamed while its file is erased (the wizard's own folder chain); the file itself is
// checked on its handle before anything changes, and from then on only the handle is used.
#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "folder_chain.h"
#include "handles.h"
#include "platform_file_access.h"
#include "text.h"

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
              win_error::kInvalidName == ERROR_INVALID_NAME && win_error::kNotSupported == ERROR_NOT_SUPPORTED &&
              win_error::kFileExists == ERROR_FILE_EXISTS &&
              win_error::kInvalidArgument == static_cast<win_error::Code>(E_INVALIDARG));

ErrorCode LastError() { return static_cast<ErrorCode>(GetLastError()); }

// The file's identity, for telling that a stream opened by name belongs to it.
struct FileIdentity {
  DWORD volume = 0, high = 0, low = 0;
  bool operator==(const FileIdentity&) const = default;
};

std::optional<FileIdentity> IdentityOf(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info{};
  if (!GetFileInformationByHandle(handle, &info)) return std::nullopt;
  return FileIdentity{info.dwVolumeSerialNumber, info.nFileIndexHigh, info.nFileIndexLow};
}

// Renames the open file to a bare name: in whatever folder it now is, never replacing another.
BOOL RenameTo(HANDLE handle, std::wstring_view name) {
  std::vector<std::byte> block(sizeof(FILE_RENAME_INFO) + name.size() * sizeof(wchar_t));
  auto* rename = reinterpret_cast<FILE_RENAME_INFO*>(block.data());
  rename->ReplaceIfExists = FALSE;
  rename->RootDirectory = nullptr;
  rename->FileNameLength = static_cast<DWORD>(name.size() * sizeof(wchar_t));
  name.copy(rename->FileName, name.size());
  return SetFileInformationByHandle(handle, FileRenameInfo, rename, static_cast<DWORD>(block.size()));
}

// The file, or one of its named streams (which has no name of its own to change).
class Win32OpenFile final : public OpenFile {
 public:
  Win32OpenFile(winkit::UniqueFile handle, std::unique_ptr<pathguard::FolderChain> folders, std::wstring path,
                std::wstring name)
      : handle_(std::move(handle)), folders_(std::move(folders)), path_(std::move(path)), name_(std::move(name)) {}

  std::uint64_t Length() override {
    DWORD high = 0;
    const DWORD low = GetFileSize(handle_.get(), &high);
    return (static_cast<std::uint64_t>(high) << 32) | low;
  }
  ErrorCode SetFixedTimes() override {
    // 2000-01-01 01:01:01.001, taken as UTC: year 2000 and every other field 1.
    SYSTEMTIME fixed{2000, 1, 1, 1, 1, 1, 1, 1};
    FILETIME time{};
    SystemTimeToFileTime(&fixed, &time);
    return SetFileTime(handle_.get(), &time, &time, &time) ? 0 : LastError();
  }
  void Rewind() override { SetFilePointer(handle_.get(), 0, nullptr, FILE_BEGIN); }
  std::uint64_t Position() override {
    LONG high = 0;
    const DWORD low = SetFilePointer(handle_.get(), 0, &high, FILE_CURRENT);
    return (static_cast<std::uint64_t>(static_cast<DWORD>(high)) << 32) | low;
  }
  ErrorCode Write(const std::uint8_t* bytes, std::uint32_t count) override {
    DWORD written = 0;
    if (!WriteFile(handle_.get(), bytes, count, &written, nullptr)) return LastError();
    return written == count ? 0 : win_error::kWriteFault;
  }
  ErrorCode Flush() override { return FlushFileBuffers(handle_.get()) ? 0 : LastError(); }

  ErrorCode ReadUncached(std::uint64_t offset, std::uint8_t* bytes, std::uint32_t count) override {
    if (!uncached_)
      if (const ErrorCode error = ReopenUncached()) return error;
    // Unbuffered reads start and end on sector boundaries into sector-aligned memory: the
    // sectors around the bytes asked for are read into a page-aligned window of its own.
    const std::uint64_t first = offset / sector_ * sector_;
    const std::uint64_t end = (offset + count + sector_ - 1) / sector_ * sector_;
    const auto size = static_cast<std::size_t>(end - first);
    if (windowSize_ < size) {
      window_.reset(VirtualAlloc(nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
      windowSize_ = window_ ? size : 0;
      if (!window_) return win_error::kNotEnoughMemory;
    }
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(first);
    at.OffsetHigh = static_cast<DWORD>(first >> 32);
    DWORD read = 0;
    if (!ReadFile(handle_.get(), window_.get(), static_cast<DWORD>(size), &read, &at)) return LastError();
    // The file ends before what was written does.
    if (read < offset + count - first) return win_error::kDataError;
    std::memcpy(bytes, static_cast<const std::uint8_t*>(window_.get()) + (offset - first), count);
    return 0;
  }
  ErrorCode TruncateHere() override { return SetEndOfFile(handle_.get()) ? 0 : LastError(); }

  ErrorCode NamedStreams(std::vector<std::u16string>& names) override {
    names.clear();
    DWORD flags = 0;
    if (!GetVolumeInformationByHandleW(handle_.get(), nullptr, 0, nullptr, nullptr, &flags, nullptr, 0))
      return LastError();
    // FAT keeps no streams; nor does Wine, which reports none.
    if (!(flags & FILE_NAMED_STREAMS)) return 0;
    std::vector<LONGLONG> block(512);  // FILE_STREAM_INFO entries are 8-byte aligned
    while (!GetFileInformationByHandleEx(handle_.get(), FileStreamInfo, block.data(),
                                         static_cast<DWORD>(block.size() * sizeof(LONGLONG)))) {
      const DWORD error = GetLastError();
      if (error == ERROR_HANDLE_EOF) return 0;  // no data stream at all
      if (error != ERROR_MORE_DATA || block.size() >= kLongestStreamList) return static_cast<ErrorCode>(error);
      block.resize(block.size() * 2);
    }
    for (auto* entry = reinterpret_cast<const FILE_STREAM_INFO*>(block.data());;
         entry = reinterpret_cast<const FILE_STREAM_INFO*>(reinterpret_cast<const std::byte*>(entry) +
                                                           entry->NextEntryOffset)) {
      const std::u16string_view listed(reinterpret_cast<const char16_t*>(entry->StreamName),
                                       entry->StreamNameLength / sizeof(wchar_t));
      if (const auto name = pathguard::NamedDataStream(listed)) names.emplace_back(*name);
      if (!entry->NextEntryOffset) break;
    }
    return 0;
  }

  ErrorCode OpenStream(std::u16string_view name, std::unique_ptr<OpenFile>& stream) override {
    // By the file's path, which its held folders keep leading to it; the identity check
    // proves that the stream opened is this file's.
    const std::wstring path = path_ + L":" + std::wstring(name.begin(), name.end()) + L":$DATA";
    winkit::UniqueFile opened(CreateFileW(path.c_str(), GENERIC_WRITE | FILE_READ_ATTRIBUTES, 0, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!opened) return LastError();
    const auto mine = IdentityOf(handle_.get()), its = IdentityOf(opened.get());
    if (!mine || !its || *mine != *its) return win_error::kAccessDenied;
    stream = std::make_unique<Win32OpenFile>(std::move(opened), nullptr, std::wstring(), std::wstring());
    return 0;
  }

  ErrorCode RenameAwayAndDelete(const char* prefix) override {
    // Windows' own temporary names: prefix, four hex digits, ".tmp"; an existing one is never replaced.
    const unsigned start = GetTickCount() ^ GetCurrentProcessId();
    DWORD error = ERROR_FILE_EXISTS;  // until a free name is found
    for (unsigned i = 0; i < 0x10000 && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS); ++i) {
      char name[16];
      std::snprintf(name, sizeof name, "%s%04X.tmp", prefix, (start + i) & 0xFFFF);
      if (!RenameTo(handle_.get(), std::wstring(name, name + std::char_traits<char>::length(name)))) {
        error = GetLastError();
        continue;
      }
      FILE_DISPOSITION_INFO disposition{TRUE};
      if (SetFileInformationByHandle(handle_.get(), FileDispositionInfo, &disposition, sizeof disposition)) return 0;
      error = GetLastError();
      // Back under its own name, where whoever looks for what was left will find it.
      RenameTo(handle_.get(), name_);
      break;
    }
    return static_cast<ErrorCode>(error);
  }
  void Close() override {
    handle_.reset();
    folders_.reset();
  }

 private:
  // A reader past the cache beside the writer would need the writer to share reading with
  // anyone. Instead the file, overwritten and flushed, is opened again uncached by its handle
  // alone, exclusive as before: an attribute-only handle, which no sharing forbids, holds it
  // in between. Another program that opens it in that instant leaves it in use, and in place.
  ErrorCode ReopenUncached() {
    if (const ErrorCode error = Flush()) return error;
    const winkit::UniqueFile anchor(ReOpenFile(handle_.get(), FILE_READ_ATTRIBUTES | SYNCHRONIZE,
                                               FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, 0));
    if (!anchor) return LastError();
    handle_.reset();
    handle_.reset(ReOpenFile(anchor.get(), GENERIC_READ | GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES, 0,
                             FILE_FLAG_NO_BUFFERING));
    if (!handle_) return LastError();
    uncached_ = true;
    FILE_STORAGE_INFO storage{};
    if (GetFileInformationByHandleEx(handle_.get(), FileStorageInfo, &storage, sizeof storage) &&
        storage.LogicalBytesPerSector > sector_ && (storage.LogicalBytesPerSector & (storage.LogicalBytesPerSector - 1)) == 0)
      sector_ = storage.LogicalBytesPerSector;
    return 0;
  }

  // FILE_STREAM_INFO entries in 8-byte units: far more streams than any file has.
  static constexpr std::size_t kLongestStreamList = 1 << 20;

  winkit::UniqueFile handle_;
  bool uncached_ = false;                // reopened for reading past the cache
  std::uint64_t sector_ = 4096;          // what unbuffered reads align to: at least a page
  winkit::UniqueVirtualBlock window_;    // page-aligned, for the sectors read
  std::size_t windowSize_ = 0;
  std::unique_ptr<pathguard::FolderChain> folders_;  // from the volume root down to the file's own
  std::wstring path_;                                // the extended-length path it was opened by
  std::wstring name_;                                // its own name in its folder
};

class Win32FileAccess final : public FileAccess {
 public:
  ErrorCode OpenExclusive(std::u16string_view name, std::unique_ptr<OpenFile>& file) override {
    if (const ErrorCode error = pathguard::CheckName(name)) return error;
    std::wstring full(name.begin(), name.end());
    if (!name.starts_with(u"\\\\?\\")) {
      // The system's own reading of a relative or short path: current folder, "." and "..".
      const DWORD size = GetFullPathNameW(full.c_str(), 0, nullptr, nullptr);
      if (!size) return LastError();
      std::wstring absolute(size, L'\0');
      const DWORD length = GetFullPathNameW(full.c_str(), size, absolute.data(), nullptr);
      if (!length || length >= size) return win_error::kInvalidName;
      absolute.resize(length);
      full = winkit::ExtendedLengthPath(absolute);
    }
    // No folder on the way may be a link, and none can be renamed or replaced while held.
    std::unique_ptr<pathguard::FolderChain> folders;
    if (const ErrorCode error = pathguard::FolderChain::Hold(full, false, folders)) return error;

    // Opened for its attributes only, which no other opener's sharing forbids: a file
    // held open elsewhere is refused by the exclusive open below, once it is plainly writable.
    winkit::UniqueFile checked(CreateFileW(full.c_str(), FILE_READ_ATTRIBUTES | FILE_WRITE_ATTRIBUTES | SYNCHRONIZE,
                                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                           OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!checked) return LastError();
    // Refused before anything changes: a link, a second name, a device, or a file whose
    // data an overwrite would not reach where it lies.
    if (const ErrorCode error = pathguard::CheckFile(pathguard::FactsOf(checked.get()))) return error;
    // A link the system followed without showing it (Wine shows none to a file) ends elsewhere.
    if (!folders->Opened(checked.get())) return win_error::kAccessDenied;
    FILE_BASIC_INFO basic{};  // times 0: left as they are
    basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
    if (!SetFileInformationByHandle(checked.get(), FileBasicInfo, &basic, sizeof basic)) return LastError();
    // The same file again, not its name: nothing can have taken its place.
    winkit::UniqueFile handle(ReOpenFile(checked.get(), GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES, 0, 0));
    if (!handle) return LastError();
    const std::size_t leaf = full.rfind(L'\\') + 1;
    file = std::make_unique<Win32OpenFile>(std::move(handle), std::move(folders), full, full.substr(leaf));
    return 0;
  }
};

}  // namespace

std::unique_ptr<FileAccess> MakePlatformFileAccess() { return std::make_unique<Win32FileAccess>(); }

}  // namespace dornix
