#include "win_system_actions.h"

#include <windows.h>

#include "handles.h"
#include "list_file.h"
#include "text.h"

extern "C" HRESULT WINAPI SHUpdateRecycleBinIcon(void);

namespace qelwipe::win {
namespace {

std::wstring Wide(std::string_view text) { return winkit::Utf8ToWide(text).value_or(std::wstring()); }

// A text of the system in a buffer it fills, given its size in characters: the
// call answers the length, or the size it needs when that is larger.
template <class Call>
std::optional<std::string> TextOfCall(Call call) {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = call(buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0) return std::nullopt;
    if (length < buffer.size()) return winkit::WideToUtf8(std::wstring_view(buffer.data(), length));
    buffer.resize(length + 1);
  }
}

// Reboot.
void EnableShutdownPrivilege() {
  winkit::UniqueKernelObject token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, token.put())) return;
  TOKEN_PRIVILEGES privileges{1, {{{0, 0}, SE_PRIVILEGE_ENABLED}}};
  if (!LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) return;
  AdjustTokenPrivileges(token.get(), FALSE, &privileges, 0, nullptr, nullptr);
}

// Not forced: a program asked to close may still save its work; only a hung one is ended.
bool RebootNow() {
  EnableShutdownPrivilege();
  return ExitWindowsEx(EWX_REBOOT | EWX_FORCEIFHUNG, SHTDN_REASON_MAJOR_APPLICATION | SHTDN_REASON_FLAG_PLANNED) != 0;
}

// RunOnce.
bool RegisterRunOnce(const std::wstring& name, const std::wstring& command) {
  winkit::UniqueKey key;
  if (RegCreateKeyExW(HKEY_CURRENT_USER, kRunOnceKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, key.put(), nullptr) !=
      ERROR_SUCCESS)
    return false;
  // The terminating NUL is stored with the text.
  const auto bytes = static_cast<DWORD>((command.size() + 1) * sizeof(wchar_t));
  return RegSetValueExW(key.get(), name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()), bytes) ==
         ERROR_SUCCESS;
}

class WinSystemActions final : public SystemActions {
 public:
  void RefreshRecycleBinIcon() override { SHUpdateRecycleBinIcon(); }

  std::string ProgramPath() override {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
      const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
      if (length == 0) return std::string();
      if (length < path.size()) return winkit::WideToUtf8(std::wstring_view(path.data(), length)).value_or("");
      path.resize(path.size() * 2);
    }
  }

  std::optional<std::string> EnvironmentVariable(const std::string& name) override {
    const std::wstring wideName = Wide(name);
    return TextOfCall(
        [&](wchar_t* buffer, DWORD size) { return GetEnvironmentVariableW(wideName.c_str(), buffer, size); });
  }

  bool EnsureFolder(const std::string& folder) override {
    const std::wstring path = Wide(folder);
    const DWORD attributes = GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) return (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    return CreateDirectoryW(path.c_str(), nullptr) != 0;
  }

  std::optional<std::string> CreateTempFile(const std::string& folder, const std::string& prefix) override {
    wchar_t name[MAX_PATH] = {};
    // Unique number 0: the system picks a free name and creates the file.
    if (GetTempFileNameW(Wide(folder).c_str(), Wide(prefix).c_str(), 0, name) == 0) return std::nullopt;
    auto path = winkit::WideToUtf8(name);
    if (!path) DeleteFileW(name);
    return path;
  }

  void RemoveOwnFile(const std::string& path) override { DeleteFileW(Wide(path).c_str()); }

  bool MoveAtNextStart(const std::string& source, const std::string& target) override {
    return MoveFileExW(Wide(source).c_str(), Wide(target).c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_DELAY_UNTIL_REBOOT) != 0;
  }

  std::optional<std::string> ShortPath(const std::string& path) override {
    const std::wstring longPath = Wide(path);
    return TextOfCall([&](wchar_t* buffer, DWORD size) { return GetShortPathNameW(longPath.c_str(), buffer, size); });
  }

  std::optional<std::string> ReadIniSection(const std::string& file, const std::string& section) override {
    constexpr DWORD kLargest = 32767;
    std::wstring buffer(kLargest, L'\0');
    const DWORD length = GetPrivateProfileSectionW(Wide(section).c_str(), buffer.data(), kLargest, Wide(file).c_str());
    // The answer for a section that does not fit: the size less 2.
    if (length >= kLargest - 2) return std::nullopt;
    return winkit::WideToUtf8(std::wstring_view(buffer.data(), length));
  }

  bool WriteIniSection(const std::string& file, const std::string& section, const std::string& text) override {
    // Entries each ended by a NUL, one more NUL after the last.
    const auto entries = winkit::Utf8ToWide(text);
    if (!entries) return false;
    const std::wstring block = *entries + L'\0';
    return WritePrivateProfileSectionW(Wide(section).c_str(), block.c_str(), Wide(file).c_str()) != 0;
  }

  std::optional<std::string> WriteListFile(const std::vector<std::string>& paths) override {
    std::string listFile;
    if (!listfile::CreateListFile(paths, listFile)) return std::nullopt;
    return listFile;
  }

  bool RegisterRunOnce(const std::string& name, const std::string& command) override {
    const auto wideCommand = winkit::Utf8ToWide(command);
    return wideCommand && win::RegisterRunOnce(Wide(name), *wideCommand);
  }

  bool RebootNow() override { return win::RebootNow(); }
};

}  // namespace

std::unique_ptr<SystemActions> MakeWinSystemActions() { return std::make_unique<WinSystemActions>(); }

}  // namespace qelwipe::win
