// qelwipe-cli.exe as a script runs it: its output read from a pipe, its exit code waited for.
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

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

}  // namespace
