// qelwipe-cli.exe as a script runs it: its output read from a pipe, its exit code waited for.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>
#include <vector>

#include "handles.h"
#include "temp_folder.h"
#include "text.h"

namespace {

namespace fs = std::filesystem;
using testing_support::TempFolder;
using testing_support::WriteFile;

// The program's standard output, and its exit code.
struct Ran {
  std::string out;
  DWORD code = 0;
};

Ran RunProgram(std::wstring arguments) {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  EXPECT_TRUE(CreatePipe(&readEnd, &writeEnd, &inherit, 0));
  const winkit::UniqueKernelObject reader(readEnd);
  winkit::UniqueKernelObject writer(writeEnd);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdOutput = writeEnd;
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  std::wstring line = L"\"" + fs::path(QELWIPE_CLI).wstring() + L"\" " + arguments;
  PROCESS_INFORMATION process{};
  Ran ran;
  if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &process)) {
    ADD_FAILURE() << "cannot start " << QELWIPE_CLI;
    return ran;
  }
  const winkit::UniqueKernelObject child(process.hProcess), thread(process.hThread);
  writer.reset();  // the child's copy alone keeps the pipe open: reading ends when it exits
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(reader.get(), buffer, sizeof buffer, &read, nullptr) && read) ran.out.append(buffer, read);
  WaitForSingleObject(child.get(), 60000);
  GetExitCodeProcess(child.get(), &ran.code);
  return ran;
}

// A folder named beyond ASCII, a file in it held open by this process: erased, and in use.
TEST(CliProgramTest, AFolderBeyondAsciiIsErasedButAFileHeldOpenIsReportedInUse) {
  TempFolder folder;
  const fs::path named = folder.path() / fs::path(u8"\u0421\u043F\u0438\u0441\u043E\u043A-caf\u00E9");
  fs::create_directory(named);
  WriteFile(named / "a.txt", 5000);
  WriteFile(named / "busy.txt", 100);
  const winkit::UniqueFile holder(
      CreateFileW((named / "busy.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder);
  const Ran ran = RunProgram(L"--yes --json \"" + named.wstring() + L"\"");
  EXPECT_EQ(ran.code, 1u);
  EXPECT_FALSE(fs::exists(named / "a.txt"));
  EXPECT_TRUE(fs::exists(named / "busy.txt"));
  const std::string busy = winkit::WideToUtf8((named / "busy.txt").wstring()).value_or("");
  std::string escaped;
  for (const char c : busy) escaped += c == '\\' ? std::string("\\\\") : std::string(1, c);
  EXPECT_NE(ran.out.find("{\"path\":\"" + escaped + "\",\"status\":\"in-use\",\"code\":32"), std::string::npos)
      << ran.out;
}

// A registry value as it stands, put back as it was when the test ends.
class KeptValue {
 public:
  KeptValue(HKEY root, const wchar_t* key, const wchar_t* name) : root_(root), key_(key), name_(name) {
    DWORD size = 0;
    if (RegGetValueW(root_, key_, name_, RRF_RT_ANY, &type_, nullptr, &size) != ERROR_SUCCESS) return;
    bytes_.resize(size);
    existed_ = RegGetValueW(root_, key_, name_, RRF_RT_ANY, &type_, bytes_.data(), &size) == ERROR_SUCCESS;
  }
  ~KeptValue() {
    if (existed_)
      RegSetKeyValueW(root_, key_, name_, type_, bytes_.data(), static_cast<DWORD>(bytes_.size()));
    else
      RegDeleteKeyValueW(root_, key_, name_);
  }
  std::wstring Now() const {
    wchar_t text[8192] = {};
    DWORD size = sizeof text - sizeof(wchar_t);
    RegGetValueW(root_, key_, name_, RRF_RT_REG_SZ | RRF_RT_REG_MULTI_SZ, nullptr, text, &size);
    return std::wstring(text, size / sizeof(wchar_t));
  }

 private:
  HKEY root_;
  const wchar_t *key_, *name_;
  DWORD type_ = 0;
  std::vector<BYTE> bytes_;
  bool existed_ = false;
};

// With --at-restart a file held open is moved aside at the next start and the wizard beside
// the program is called back at the next logon; the rest is read back past the cache.
TEST(CliProgramTest, AtRestartSchedulesTheHeldFileForTheWizardAndVerifiesTheRest) {
  const KeptValue pending(HKEY_LOCAL_MACHINE, L"SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                          L"PendingFileRenameOperations");
  const KeptValue runOnce(HKEY_CURRENT_USER, L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce",
                          L"Dedurada.exe");
  TempFolder folder;
  WriteFile(folder / "checked.bin", 300000);
  WriteFile(folder / "held.txt", 100);
  winkit::UniqueFile holder(
      CreateFileW((folder.path() / "held.txt").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder);
  const Ran ran = RunProgram(L"--yes --json --verify --at-restart \"" + folder.path().wstring() + L"\"");
  holder.reset();
  EXPECT_EQ(ran.code, 1u);
  EXPECT_FALSE(fs::exists(folder / "checked.bin"));
  EXPECT_NE(ran.out.find("\"passes\":1,\"verified\":true"), std::string::npos) << ran.out;
  EXPECT_NE(ran.out.find("\"status\":\"scheduled\",\"code\":32"), std::string::npos) << ran.out;
  EXPECT_NE(ran.out.find("\"scheduled\":1,"), std::string::npos) << ran.out;
  EXPECT_NE(pending.Now().find((folder.path() / "held.txt").wstring()), std::wstring::npos);
  const std::wstring command = runOnce.Now();
  const std::wstring wizard = L"\\bin\\qelwipe.EXE\"   ";  // beside qelwipe-cli.exe
  ASSERT_NE(command.find(wizard), std::wstring::npos) << winkit::WideToUtf8(command).value_or("");
  // What the run left for the next start goes with the test.
  const std::wstring list = command.substr(command.find(wizard) + wizard.size());
  std::wstring holding = winkit::Utf8ToWide(testing_support::ReadFile(fs::path(list).string()).substr(3)).value_or(L"");
  holding.resize(holding.find(L'\r'));
  DeleteFileW(holding.c_str());
  RemoveDirectoryW(fs::path(holding).parent_path().c_str());  // when the run made it
  DeleteFileW(list.c_str());
}

}  // namespace
