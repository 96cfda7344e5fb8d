#include "win_system_actions.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shellapi.h>

#include <memory>
#include <utility>

#include "deferred_deletion.h"
#include "hand_off.h"
#include "handles.h"
#include "win_file_system.h"
#include "list_file.h"
#include "module_path.h"
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

// The user this process runs as: its token's SID in string form, and the SID itself.
struct User {
  std::wstring text;
  std::vector<BYTE> sid;
};

std::optional<User> CurrentUser() {
  winkit::UniqueKernelObject token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put())) return std::nullopt;
  DWORD size = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &size);
  std::vector<BYTE> block(size);
  if (!size || !GetTokenInformation(token.get(), TokenUser, block.data(), size, &size)) return std::nullopt;
  const PSID sid = reinterpret_cast<TOKEN_USER*>(block.data())->User.Sid;
  winkit::UniqueLocal<wchar_t*> text;
  if (!ConvertSidToStringSidW(sid, text.put())) return std::nullopt;
  return User{text.get(), std::vector<BYTE>(static_cast<BYTE*>(sid), static_cast<BYTE*>(sid) + GetLengthSid(sid))};
}

bool IsElevated() {
  winkit::UniqueKernelObject token;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  // Where the system cannot tell (no such information), the moves are simply tried.
  return !OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.put()) ||
         !GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) ||
         elevation.TokenIsElevated != 0;
}

SystemActions::HoldingFolderState EnsureHoldingFolder(const std::wstring& folder) {
  using State = SystemActions::HoldingFolderState;
  const auto user = CurrentUser();
  if (!user) return State::Unusable;
  // Nothing inherited from the drive root, where every signed-in user may change what is made.
  const std::wstring sddl = L"D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;FA;;;" + user->text + L")";
  winkit::UniqueLocal<PSECURITY_DESCRIPTOR> descriptor;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, descriptor.put(), nullptr))
    return State::Unusable;
  SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
  if (CreateDirectoryW(folder.c_str(), &attributes)) return State::Made;
  if (GetLastError() != ERROR_ALREADY_EXISTS) return State::Unusable;
  // One made by someone else, or a link put in its place, could hand the files to them.
  const winkit::UniqueFile existing(CreateFileW(folder.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                OPEN_EXISTING,
                                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
  BY_HANDLE_FILE_INFORMATION info{};
  if (!existing || !GetFileInformationByHandle(existing.get(), &info) ||
      !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
    return State::Unusable;
  PSID owner = nullptr;
  winkit::UniqueLocal<PSECURITY_DESCRIPTOR> ownerDescriptor;
  if (GetSecurityInfo(existing.get(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                      ownerDescriptor.put()) != ERROR_SUCCESS)
    return State::Unusable;
  const bool ours = EqualSid(owner, const_cast<BYTE*>(user->sid.data())) ||
                    IsWellKnownSid(owner, WinBuiltinAdministratorsSid);
  return ours ? State::Found : State::Unusable;
}

// The moves made by the program started again as an administrator: the count it answers.
std::size_t MoveElevated(const std::string& program, const std::vector<std::pair<std::string, std::string>>& moves) {
  std::vector<std::string> lines;
  for (const auto& [source, target] : moves) {
    lines.push_back(source);
    lines.push_back(target);
  }
  std::string list;
  if (!listfile::CreateListFile(lines, list)) return 0;
  const std::wstring parameters = Wide(kScheduleMovesSwitch) + L"\"" + Wide(list) + L"\"";
  const std::wstring file = Wide(program);
  SHELLEXECUTEINFOW run{};
  run.cbSize = sizeof run;
  run.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_NOASYNC;
  run.lpVerb = L"runas";
  run.lpFile = file.c_str();
  run.lpParameters = parameters.c_str();
  run.nShow = SW_HIDE;
  DWORD made = 0;
  // Refused (the user said no, or may not): nothing is moved.
  if (ShellExecuteExW(&run) && run.hProcess) {
    const winkit::UniqueKernelObject process(run.hProcess);
    if (WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 || !GetExitCodeProcess(process.get(), &made))
      made = 0;
  }
  DeleteFileW(Wide(list).c_str());
  return made;
}

// Every target of the renames the system makes at its next start ("\??\C:\x", "!\??\C:\y").
std::vector<std::string> PendingMoveTargets() {
  std::vector<std::string> targets;
  constexpr wchar_t kKey[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
  constexpr wchar_t kValue[] = L"PendingFileRenameOperations";
  DWORD size = 0;
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kKey, kValue, RRF_RT_REG_MULTI_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
    return targets;
  std::wstring block(size / sizeof(wchar_t) + 1, L'\0');
  if (RegGetValueW(HKEY_LOCAL_MACHINE, kKey, kValue, RRF_RT_REG_MULTI_SZ, nullptr, block.data(), &size) != ERROR_SUCCESS)
    return targets;
  bool isTarget = false;
  for (std::size_t start = 0; start < block.size();) {
    const std::size_t end = block.find(L'\0', start);
    if (end == std::wstring::npos) break;
    std::wstring_view name(block.data() + start, end - start);
    start = end + 1;
    if (isTarget && name.starts_with(L'!')) name.remove_prefix(1);
    if (isTarget && !name.empty())
      if (auto text = winkit::WideToUtf8(name)) targets.push_back(std::move(*text));
    isTarget = !isTarget;
  }
  return targets;
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
  explicit WinSystemActions(std::wstring wizardFile) : wizardFile_(std::move(wizardFile)) {}
  void RefreshRecycleBinIcon() override { SHUpdateRecycleBinIcon(); }

  std::string ProgramPath() override {
    std::wstring path = winkit::ModuleFileName();
    if (path.empty()) return std::string();
    if (!wizardFile_.empty()) path = path.substr(0, path.rfind(L'\\') + 1) + wizardFile_;
    return winkit::WideToUtf8(path).value_or("");
  }

  std::optional<std::string> EnvironmentVariable(const std::string& name) override {
    const std::wstring wideName = Wide(name);
    return TextOfCall(
        [&](wchar_t* buffer, DWORD size) { return GetEnvironmentVariableW(wideName.c_str(), buffer, size); });
  }

  HoldingFolderState EnsureHoldingFolder(const std::string& folder) override {
    return win::EnsureHoldingFolder(Wide(folder));
  }
  void RemoveOwnFolder(const std::string& folder) override { RemoveDirectoryW(Wide(folder).c_str()); }

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

  bool MayMoveAtNextStart() override { return IsElevated(); }
  std::size_t MoveAtNextStartElevated(const std::vector<std::pair<std::string, std::string>>& moves) override {
    return MoveElevated(ProgramPath(), moves);
  }
  std::vector<std::string> PendingMoveTargets() override { return win::PendingMoveTargets(); }

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

  std::optional<std::vector<std::string>> ReadListFile(const std::string& path) override {
    const auto content = ReadWholeFile(path, kLongestListFile);
    if (!content) return std::nullopt;
    return listfile::ReadPaths(*content);
  }

  bool RegisterRunOnce(const std::string& name, const std::string& command) override {
    const auto wideCommand = winkit::Utf8ToWide(command);
    return wideCommand && win::RegisterRunOnce(Wide(name), *wideCommand);
  }

  std::optional<std::string> RunOnceCommand(const std::string& name) override {
    const std::wstring wideName = Wide(name);
    return TextOfCall([&](wchar_t* buffer, DWORD size) -> DWORD {
      DWORD bytes = size * sizeof(wchar_t);
      const LSTATUS status =
          RegGetValueW(HKEY_CURRENT_USER, kRunOnceKey, wideName.c_str(), RRF_RT_REG_SZ, nullptr, buffer, &bytes);
      if (status == ERROR_MORE_DATA) return bytes / sizeof(wchar_t) + 1;
      return status == ERROR_SUCCESS && bytes >= sizeof(wchar_t) ? bytes / sizeof(wchar_t) - 1 : 0;
    });
  }

  bool RebootNow() override { return win::RebootNow(); }

 private:
  const std::wstring wizardFile_;
};

}  // namespace

std::unique_ptr<SystemActions> MakeWinSystemActions(std::wstring wizardFile) {
  return std::make_unique<WinSystemActions>(std::move(wizardFile));
}

}  // namespace qelwipe::win
