// Windows file access: the ANSI calls with exactly the arguments the engine has
// always used, so paths cross to the system in the ANSI code page.
#include <windows.h>

#include <vector>

#include "handles.h"
#include "platform_file_access.h"

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
              win_error::kInvalidArgument == static_cast<win_error::Code>(E_INVALIDARG));

class Win32OpenFile final : public OpenFile {
 public:
  explicit Win32OpenFile(HANDLE handle) : handle_(handle) {}

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
  void Close() override { handle_.reset(); }

 private:
  winkit::UniqueFile handle_;
};

class Win32FileAccess final : public FileAccess {
 public:
  std::string NarrowPath(std::u16string_view name) override {
    if (name.empty()) return {};
    const std::wstring wide(name.begin(), name.end());
    std::vector<char> narrow(2 * wide.size() + 2, '\0');
    // A failed conversion (a code page needing more than two bytes a character) may
    // leave a cut-off path that names another file: then there is no name at all.
    if (!WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, narrow.data(), static_cast<int>(narrow.size()), nullptr,
                             nullptr))
      return {};
    return narrow.data();
  }
  // '/' cannot occur in a Windows name, and the system takes it for '\'.
  std::string_view Separators() const override { return "\\/"; }

  ErrorCode ClearAttributes(const std::string& path) override {
    if (!SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL)) return static_cast<ErrorCode>(GetLastError());
    return 0;
  }

  ErrorCode OpenExclusive(const std::string& path, std::unique_ptr<OpenFile>& file) override {
    const HANDLE handle =
        CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return static_cast<ErrorCode>(GetLastError());
    file = std::make_unique<Win32OpenFile>(handle);
    return 0;
  }

  std::string CreateTempName(const std::string& folder, const char* prefix) override {
    char name[MAX_PATH] = {};
    GetTempFileNameA(folder.c_str(), prefix, 0, name);
    return name;
  }

  void Delete(const std::string& path) override { DeleteFileA(path.c_str()); }
  void Rename(const std::string& from, const std::string& to) override { MoveFileA(from.c_str(), to.c_str()); }
};

}  // namespace

std::unique_ptr<FileAccess> MakePlatformFileAccess() { return std::make_unique<Win32FileAccess>(); }

}  // namespace dornix
