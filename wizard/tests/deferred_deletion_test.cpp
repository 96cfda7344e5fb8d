// Files held open during a run: where they are moved, and how the wizard comes back for them.
#include <gtest/gtest.h>

#include "command_line.h"
#include "deferred_deletion.h"
#include "wizard_fixture.h"

namespace qelwipe {
namespace {

using Strings = std::vector<std::string>;
using namespace std::string_literals;

TEST(DeferredDeletionTest, EachDriveHoldsItsOwnFilesAndANetworkPathHasNoHoldingFolder) {
  EXPECT_EQ(HoldingFolder("D:\\x.txt"), "D:\\PvShreder");
  EXPECT_EQ(HoldingFolder("\\\\?\\c:\\long\\x.txt"), "\\\\?\\c:\\PvShreder");
  EXPECT_EQ(HoldingFolder("\\\\server\\share\\x.txt"), std::nullopt);
  EXPECT_EQ(HoldingFolder("\\\\?\\UNC\\server\\share\\x.txt"), std::nullopt);
}

TEST(DeferredDeletionTest, TheStartOnceCommandQuotesTheProgramAndGivesTheListWhole) {
  const std::string command = StartOnceCommand("C:\\Program Files\\Qel\\qelwipe.exe", "C:\\My Temp\\ss1.tmp");
  EXPECT_EQ(command, "\"C:\\Program Files\\Qel\\qelwipe.EXE\"   C:\\My Temp\\ss1.tmp");
  EXPECT_EQ(ArgumentText(command), "C:\\My Temp\\ss1.tmp");
}

TEST(DeferredDeletionTest, WithoutWindowsNtTheMoveIsAppendedToTheRenameSection) {
  fakes::RecordingSystem system;
  system.os = "windows_nt";
  system.iniSection = "NUL=C:\\OLD.TXT\0C:\\A~1=C:\\B~1\0"s;
  ASSERT_TRUE(ReplaceFileOnReboot(system, "C:\\D\\Busy file.txt", "C:\\PvShreder\\ss1.tmp"));
  EXPECT_EQ(*system.iniSection, "NUL=C:\\OLD.TXT\0C:\\A~1=C:\\B~1\0C:\\PvShreder\\SHORT~1=C:\\D\\SHORT~1\0"s);
  EXPECT_TRUE(system.moves.empty());
}

class RestartLaterTest : public WizardTest {};

TEST_F(RestartLaterTest, WhatCannotBeHeldIsSkippedAndNamedOnceAtTheEnd) {
  const Strings locked{"\\\\server\\share\\a.txt", "E:\\b.txt", "C:\\c.txt", "F:\\d.txt", "C:\\e.txt"};
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
  EXPECT_EQ(view.messages[1].text,
            "These files could not be scheduled for erasing and are still on disk:\r\n\\\\server\\share\\a.txt\r\n"
            "E:\\b.txt\r\nC:\\c.txt\r\nF:\\d.txt");
}

TEST_F(RestartLaterTest, RestartNowWithoutItsListDoesNotRestart) {
  files.AddFile("C:\\busy.txt", 10);
  engine.results["C:\\busy.txt"] = kSharingViolation;
  system.failing = {"list"};
  view.userResult = UserResult::RestartNow;
  RunOn({"C:\\busy.txt"});
  wizard.Next();
  EXPECT_EQ(system.reboots, 0);
  ASSERT_EQ(view.messages.size(), 2u);
  EXPECT_NE(view.messages[1].text.find("C:\\busy.txt"), std::string::npos);
  EXPECT_TRUE(view.closed);
}

}  // namespace
}  // namespace qelwipe
