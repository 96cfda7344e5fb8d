// Files held open during a run: where they are moved, and how the wizard comes back for them.
#include <gtest/gtest.h>

#include "command_line.h"
#include "deferred_deletion.h"
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

}  // namespace
}  // namespace qelwipe
