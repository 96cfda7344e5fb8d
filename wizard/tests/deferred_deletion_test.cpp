// Files held open during a run: where they are moved, and how the wizard comes back for them.
#include <gtest/gtest.h>

#include "deferred_deletion.h"
#include "hand_off.h"
#include "texts.h"
#include "wizard_fixture.h"

namespace qelwipe {
namespace {

using Strings = std::vector<std::string>;
using namespace std::string_literals;

TEST(DeferredDeletionTest, HoldingFoldersStartOnceCommandAndRenameSection) {
  EXPECT_EQ(HoldingFolder("D:\\x.txt"), "D:\\PvShreder");
  EXPECT_EQ(HoldingFolder("\\\\server\\share\\x.txt"), std::nullopt);
  // Quoted, a shorter program path with blanks cannot run instead; the intake takes the list whole.
  const std::string command = StartOnceCommand("C:\\Program Files\\Qel\\qelwipe.exe", "C:\\My Temp\\ss1.tmp");
  EXPECT_EQ(command, "\"C:\\Program Files\\Qel\\qelwipe.EXE\"   C:\\My Temp\\ss1.tmp");
  EXPECT_EQ(ArgumentText(command), "C:\\My Temp\\ss1.tmp");

  fakes::RecordingSystem system;
  system.os = "windows_nt";
  system.ini = "NUL=C:\\OLD.TXT\0"s;
  ASSERT_TRUE(ReplaceFileOnReboot(system, "D:\\Busy file.txt", "C:\\PvShreder\\ss1.tmp"));
  EXPECT_EQ(system.ini, "WinInit.ini[Rename]NUL=C:\\OLD.TXT\0C:\\SHORT~1=D:\\SHORT~1\0"s);
}

TEST_F(WizardTest, RestartLaterSkipsWhatItCannotHoldAndNamesItOnceAtTheEnd) {
  const Strings locked{"\\\\server\\a.txt", "E:\\b.txt", "C:\\c.txt", "F:\\d.txt", "C:\\e.txt"};
  for (const auto& path : locked) {
    files.AddFile(path, 10);
    engine.results[path] = kSharingViolation;
  }
  system.failing = {"E:\\PvShreder", "F:\\PvShreder\\ss", "C:\\c.txt"};
  view.userResult = UserResult::RestartLater;
  RunOn(locked);
  wizard.Next();
  EXPECT_EQ(system.moves, Strings{"C:\\e.txt > C:\\PvShreder\\ss2.tmp"});
  EXPECT_EQ(system.removed, Strings{"C:\\PvShreder\\ss1.tmp"});
  EXPECT_EQ(system.lists, std::vector<Strings>{{"C:\\PvShreder\\ss2.tmp"}});
  ASSERT_EQ(view.messages.size(), 2u);  // after the confirmation
  EXPECT_EQ(
      view.messages[1].text,
      "These files could not be scheduled for erasing and are still on disk:\r\n\\\\server\\a.txt\r\nE:\\b.txt\r\n"
      "C:\\c.txt\r\nF:\\d.txt");

  // The one start-once command of a later Restart Now still names the file moved aside.
  view.userResult = UserResult::RestartNow;
  RunAgainOn({"C:\\e.txt"});
  wizard.Next();
  EXPECT_EQ(system.lists.back(), (Strings{"C:\\PvShreder\\ss2.tmp", "C:\\e.txt"}));
}

// A standard user may not schedule moves: only that step is done with an administrator's
// rights; refused, it leaves nothing behind and the page says so.
TEST_F(WizardTest, AStandardUserElevatesOnlyTheMovesAndARefusalLeavesNothingScheduled) {
  files.AddFile("C:\\busy.txt", 10);
  engine.results["C:\\busy.txt"] = kSharingViolation;
  system.administrator = false;
  system.elevationRefused = true;
  view.userResult = UserResult::RestartLater;
  RunOn({"C:\\busy.txt"});
  wizard.Next();
  EXPECT_TRUE(system.moves.empty());
  EXPECT_EQ(system.removed, Strings{"C:\\PvShreder\\ss1.tmp"});
  EXPECT_EQ(system.removedFolders, Strings{"C:\\PvShreder"});
  EXPECT_TRUE(system.runOnce.empty());
  EXPECT_EQ(Progress().status.text, texts::kNotScheduled);
  EXPECT_EQ(view.messages.back().text, StillOnDiskText({"C:\\busy.txt"}));

  system.elevationRefused = false;
  RunAgainOn({"C:\\busy.txt"});
  wizard.Next();
  EXPECT_EQ(system.elevations, 2);
  EXPECT_EQ(system.moves, Strings{"elevated C:\\busy.txt > C:\\PvShreder\\ss2.tmp"});
  EXPECT_EQ(system.runOnce.substr(0, 14), "Dedurada.exe: ");  // the user's own, written unelevated
  EXPECT_EQ(Progress().status.text, "Files which were not removeable will be removed on next startup!");

  // Given a list by anyone, the program started with the rights moves files into holding files only.
  system.administrator = true;
  EXPECT_EQ(ScheduleListedMoves(system, {"C:\\a.txt", "C:\\PvShreder\\ss9.tmp", "C:\\b.txt", "C:\\Windows\\x.dll"}), 1u);
}

// Two hand-offs before the next logon: the one start-once command lists both.
TEST(DeferredDeletionTest, ASecondHandOffMergesTheFirstListAndRemovesIt) {
  fakes::RecordingSystem system;
  ASSERT_TRUE(HandToNextLogon(system, {"C:\\a.txt"}));
  ASSERT_TRUE(HandToNextLogon(system, {"C:\\b.txt", "C:\\a.txt"}));
  EXPECT_EQ(system.lists.back(), (Strings{"C:\\a.txt", "C:\\b.txt"}));
  EXPECT_EQ(system.removed, Strings{"C:\\Temp\\ss1.tmp"});
  EXPECT_EQ(ArgumentText(*system.RunOnceCommand(kRunOnceValueName)), "C:\\Temp\\ss2.tmp");
}

// Logged on again before the restart: the holding file is still empty and is handed on, not erased.
TEST_F(WizardTest, AHoldingFileStillAwaitingItsMoveIsHandedOnAgainNotErased) {
  files.AddFile("C:\\PvShreder\\ss1.tmp", 0);
  files.AddFile("C:\\d.txt", 5);
  files.AddTextFile("C:\\Temp\\ss7.tmp", "C:\\PvShreder\\ss1.tmp\r\nC:\\d.txt\r\n");
  system.pending = {"\\??\\c:\\pvshreder\\SS1.TMP"};
  wizard.Load("C:\\Temp\\ss7.tmp");
  ASSERT_EQ(wizard.Items().Count(), 1);
  EXPECT_EQ(wizard.Items().PathAt(1), "C:\\d.txt");
  EXPECT_EQ(system.lists, std::vector<Strings>{{"C:\\PvShreder\\ss1.tmp"}});
  EXPECT_EQ(system.runOnce.substr(0, 14), "Dedurada.exe: ");
}

}  // namespace
}  // namespace qelwipe
