// Files held open, handed on to the next system start in a Wine prefix of their
// own: restart_in_own_prefix.sh runs these steps one by one and restarts the
// prefix between them. Wine never runs the user's start-once commands: a step
// starts the recorded command itself, as Windows does at logon.
#include <gtest/gtest.h>

#include <windows.h>

#include <filesystem>
#include <fstream>

#include "control_ids.h"
#include "frm_user_confirmation_layout.h"
#include "handles.h"
#include "temp_folder.h"
#include "text.h"
#include "texts.h"
#include "win_system_actions.h"
#include "wizard_driver.h"

namespace qelwipe::testing {
namespace {

using testing_support::ReadFile;
constexpr char kBlanks[] = ".EXE\"   ";

std::string RunOnceCommand() {
  wchar_t command[2048] = {};
  DWORD size = sizeof command;
  RegGetValueW(HKEY_CURRENT_USER, win::kRunOnceKey, L"Dedurada.exe", RRF_RT_REG_SZ, nullptr, command, &size);
  return winkit::WideToUtf8(command).value_or("");
}

std::string ListFileOf(const std::string& command) { return command.substr(command.find(kBlanks) + 8); }

// The wizard over C:\held\<name>, held open by this process; the dialog answered with `button`.
void EraseHeldFile(const std::string& name, int button) {
  ASSERT_TRUE(PrepareWizardPrefix());
  std::filesystem::create_directories("C:\\held");
  std::ofstream("C:\\held\\" + name) << "secret";
  const winkit::UniqueFile holder(
      CreateFileA(("C:\\held\\" + name).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  WizardProcess wizard;
  ASSERT_TRUE(holder && wizard.Started() && wizard.NextTo(1));
  wizard.Drop(ids::lvSelecteds, {"C:\\held\\" + name});
  ASSERT_TRUE(WaitFor([&] { return wizard.RowCount() == 1; }) && wizard.NextTo(2));
  ASSERT_TRUE(wizard.ConfirmErase(IDOK).window);
  ASSERT_TRUE(WaitFor([&] { return wizard.Text(ids::Label17).starts_with("Some") && wizard.Enabled(ids::btnNext); }));
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
  RegGetValueW(HKEY_LOCAL_MACHINE, L"System\\CurrentControlSet\\Control\\Session Manager",
               L"PendingFileRenameOperations", RRF_RT_REG_MULTI_SZ, nullptr, pending, &size);
  const std::wstring operations(pending, size / sizeof(wchar_t));
  EXPECT_NE(operations.find(L"C:\\held\\later.txt"), std::wstring::npos);
  EXPECT_NE(operations.find(L"C:\\PvShreder\\ss"), std::wstring::npos);
  EXPECT_TRUE(ReadFile(ListFileOf(RunOnceCommand()))
                  .starts_with("\xEF\xBB\xBF"
                               "C:\\PvShreder\\ss"));
}

TEST(RestartInOwnPrefix, AfterTheRestartTheStartOnceCommandErasesTheMovedFile) {
  ASSERT_TRUE(PrepareWizardPrefix());
  EXPECT_FALSE(std::filesystem::exists("C:\\held\\later.txt"));
  const std::string command = RunOnceCommand(), listed = ReadFile(ListFileOf(command));
  const std::string moved = listed.substr(3, listed.find('\r') - 3);
  ASSERT_EQ(ReadFile(moved), "secret");

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
  EXPECT_FALSE(std::filesystem::exists(ListFileOf(command)));
  ASSERT_TRUE(wizard.NextTo(1) && wizard.NextTo(2) && wizard.ConfirmErase(IDOK).window);
  ASSERT_TRUE(WaitFor([&] { return wizard.Text(ids::Label17) == texts::kAllWiped; }));
  EXPECT_FALSE(std::filesystem::exists(moved));
}

TEST(RestartInOwnPrefix, NowHandsTheFileToTheNextLogonAndRestarts) {
  EraseHeldFile("now.txt", ids::confirmation::cmdrestartnow);
}

TEST(RestartInOwnPrefix, AfterRestartNowTheStartOnceCommandIsQuotedWithTheList) {
  ASSERT_TRUE(std::filesystem::exists("C:\\restart-now-pressed"));
  const std::string program = WizardProgram(), command = RunOnceCommand();
  EXPECT_TRUE(command.starts_with("\"" + program.substr(0, program.rfind('.')) + kBlanks)) << command;
  EXPECT_EQ(ReadFile(ListFileOf(command)),
            "\xEF\xBB\xBF"
            "C:\\held\\now.txt\r\n");
}

}  // namespace
}  // namespace qelwipe::testing
