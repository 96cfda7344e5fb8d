// Files held open, handed to the next system start, in a Wine prefix of their
// own: restart_in_own_prefix.sh runs these steps one by one, restarting the
// prefix between them. Wine never runs the user's start-once commands: a step
// starts the recorded command itself, as Windows does at logon.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>

#include "control_ids.h"
#include "deferred_deletion.h"
#include "frm_user_confirmation_layout.h"
#include "handles.h"
#include "temp_folder.h"
#include "text.h"
#include "texts.h"
#include "win_system_actions.h"
#include "wizard_driver.h"

namespace qelwipe::testing {
namespace {

namespace fs = std::filesystem;
using testing_support::ReadFile;

constexpr char kHeldFolder[] = "C:\\held";

std::string RunOnceCommand() {
  wchar_t command[2048] = {};
  DWORD size = sizeof command;
  RegGetValueW(HKEY_CURRENT_USER, win::kRunOnceKey, winkit::Utf8ToWide(kRunOnceValueName)->c_str(), RRF_RT_REG_SZ,
               nullptr, command, &size);
  return winkit::WideToUtf8(command).value_or("");
}

// The list file named by the start-once command, as its lines.
std::string ListedIn(const std::string& command) {
  const std::size_t blanks = command.find(".EXE\"   ");
  return blanks == std::string::npos ? "" : ReadFile(command.substr(blanks + 8));
}

// Runs the wizard over a file another process holds open and answers the dialog with `button`.
void EraseHeldFile(const std::string& name, int button) {
  ASSERT_TRUE(PrepareWizardPrefix());
  fs::create_directories(kHeldFolder);
  const std::string held = std::string(kHeldFolder) + "\\" + name;
  std::ofstream(held) << "secret of " << name;
  const winkit::UniqueFile holder(CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder);
  WizardProcess wizard;
  ASSERT_TRUE(wizard.Started());
  ASSERT_TRUE(wizard.NextTo(1));
  wizard.Drop(ids::lvSelecteds, {held});
  ASSERT_TRUE(WaitFor([&] { return wizard.RowCount() == 1; }));
  ASSERT_TRUE(wizard.NextTo(2));
  ASSERT_TRUE(wizard.ConfirmErase(IDOK).window);
  ASSERT_TRUE(
      WaitFor([&] { return wizard.Text(ids::Label17).starts_with("Some files") && wizard.Enabled(ids::btnNext); }));
  wizard.Click(ids::btnNext);
  const Dialog dialog = wizard.WaitForDialog("Some files could not be erased ");
  ASSERT_TRUE(dialog.window);
  // Restart Now ends every process of the prefix, this one too: the mark says it got this far.
  if (button == ids::confirmation::cmdrestartnow) std::ofstream("C:\\restart-now-pressed");
  dialog.Press(button);
  ASSERT_TRUE(WaitFor([&] { return wizard.Text(ids::Label17) == texts::kRestartLater || !wizard.Running(); }));
}

TEST(RestartInOwnPrefix, LaterSchedulesTheMoveAndTheWizardForTheNextLogon) {
  EraseHeldFile("later.txt", ids::confirmation::cmdrestartlater);
  wchar_t pending[4096] = {};
  DWORD size = sizeof pending;
  ASSERT_EQ(RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
                         L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, pending, &size),
            ERROR_SUCCESS);
  std::wstring operations(pending, size / sizeof(wchar_t));
  EXPECT_NE(operations.find(L"C:\\held\\later.txt"), std::wstring::npos);
  EXPECT_NE(operations.find(L"C:\\PvShreder\\ss"), std::wstring::npos);
  const std::string listed = ListedIn(RunOnceCommand());
  EXPECT_TRUE(
      listed.starts_with("\xEF\xBB\xBF"
                         "C:\\PvShreder\\ss"))
      << listed;
}

TEST(RestartInOwnPrefix, AfterTheRestartTheStartOnceCommandErasesTheMovedFile) {
  ASSERT_TRUE(PrepareWizardPrefix());
  EXPECT_FALSE(fs::exists("C:\\held\\later.txt"));
  const std::string command = RunOnceCommand();
  const std::string listed = ListedIn(command);
  const std::string moved = listed.substr(3, listed.find('\r') - 3);
  ASSERT_EQ(ReadFile(moved), "secret of later.txt");

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  std::wstring line = winkit::Utf8ToWide(command).value_or(L"");
  ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started));
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  WizardProcess wizard(StartedElsewhere{10s});
  ASSERT_TRUE(wizard.Started());
  EXPECT_EQ(wizard.Text(ids::Label27), "You currently have (1) in your list to erase and wipe");
  EXPECT_FALSE(fs::exists(command.substr(command.find(".EXE\"   ") + 8)));
  ASSERT_TRUE(wizard.NextTo(1));
  ASSERT_TRUE(wizard.NextTo(2));
  ASSERT_TRUE(wizard.ConfirmErase(IDOK).window);
  ASSERT_TRUE(WaitFor([&] { return wizard.Text(ids::Label17) == "You have successfully wiped all items."; }));
  EXPECT_FALSE(fs::exists(moved));
}

TEST(RestartInOwnPrefix, NowHandsTheFileToTheNextLogonAndRestarts) {
  EraseHeldFile("now.txt", ids::confirmation::cmdrestartnow);
}

TEST(RestartInOwnPrefix, AfterRestartNowTheStartOnceCommandIsQuotedWithTheList) {
  ASSERT_TRUE(fs::exists("C:\\restart-now-pressed"));
  std::string program = WizardProgram();
  program = program.substr(0, program.rfind('.'));
  const std::string command = RunOnceCommand();
  ASSERT_TRUE(command.starts_with("\"" + program + ".EXE\"   ")) << command;
  EXPECT_EQ(ListedIn(command),
            "\xEF\xBB\xBF"
            "C:\\held\\now.txt\r\n");
}

}  // namespace
}  // namespace qelwipe::testing
