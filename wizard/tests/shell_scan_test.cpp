// The one-click sources of the list page: the recent documents and the recycle bin.
#include <gtest/gtest.h>

#include <new>

#include "wizard_fixture.h"

namespace qelwipe {
namespace {

class FakeShellFolders final : public ShellFolders {
 public:
  void Enumerate(SpecialFolder folder, const EntryHandler& entry) override {
    for (const auto& name : entries[folder])
      if (!entry(name)) return;
  }
  std::map<SpecialFolder, std::vector<std::optional<std::string>>> entries;
};

class ShellScanTest : public WizardTest {
 protected:
  void SetUp() override {
    WizardTest::SetUp();
    files.AddFolder("C:\\Recent");
    for (const char* name : {"a.lnk", "b.lnk", "c.lnk"})
      files.AddFile(recent.emplace_back("C:\\Recent\\" + std::string(name)).value(), 500);
    wizard.Next();
  }
  FakeShellFolders shell;
  std::vector<std::optional<std::string>>& recent = shell.entries[SpecialFolder::RecentDocuments];
};

TEST_F(ShellScanTest, ASecondScanTellsOfTheFirstDuplicateOnly) {
  recent.push_back(std::nullopt);
  wizard.ScanShellFolder(shell, SpecialFolder::RecentDocuments);
  ASSERT_EQ(wizard.Items().Count(), 3);
  EXPECT_TRUE(pumps >= 4 && wizard.NextButton().enabled && view.messages.empty());

  wizard.ScanShellFolder(shell, SpecialFolder::RecentDocuments);
  EXPECT_EQ(wizard.Items().Count(), 3);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, "The following Item:a.lnk\r\nHas already been added to the list!");
}

// The recycle bin may name its entries without their folder: such a name would be
// found in the current folder, where it is some other file.
TEST_F(ShellScanTest, AnEmptyBinOrOneOfBareNamesAddsNothing) {
  files.AddFile("a.lnk", 10);
  wizard.ScanShellFolder(shell, SpecialFolder::RecycleBin);
  shell.entries[SpecialFolder::RecycleBin] = {"a.lnk", "\\a.lnk", ""};
  wizard.ScanShellFolder(shell, SpecialFolder::RecycleBin);
  EXPECT_EQ(wizard.Items().Count(), 0);
  EXPECT_FALSE(wizard.NextButton().enabled);
}

TEST_F(ShellScanTest, AFolderEntryIsMeasuredAndCancelEndsTheScan) {
  recent.insert(recent.begin(), "C:\\Recent");
  bool busy = false;
  view.onRefresh = [&] {
    busy = busy || wizard.Busy();
    if (wizard.Items().Count() == 1 && !wizard.CancelRequested()) wizard.Cancel();
  };
  wizard.ScanShellFolder(shell, SpecialFolder::RecentDocuments);
  EXPECT_TRUE(busy);
  ASSERT_EQ(wizard.Items().Count(), 1);
  EXPECT_EQ(wizard.Items().Row(1)[kSize] + wizard.Items().Row(1)[kType], " 1.46 KBFile Folder");
}

// An erase started while an entry is still measured would miss it; closing stops a large walk.
TEST_F(ShellScanTest, NothingMovesOnDuringAScanAndCancelStopsTheFolderWalk) {
  files.AddFolder("C:\\Bin");
  for (int i = 0; i < 50; ++i) {
    files.AddFolder("C:\\Bin\\" + std::to_string(i));
    files.AddFile("C:\\Bin\\" + std::to_string(i) + "\\f.txt", 1);
  }
  shell.entries[SpecialFolder::RecycleBin] = {"C:\\Bin"};
  bool movable = false;
  int busyRefreshes = 0;
  view.onRefresh = [&] {
    if (!wizard.Busy()) return;
    movable = movable || wizard.NextButton().enabled || wizard.BackButton().enabled;
    if (++busyRefreshes == 3) wizard.Cancel();
  };
  wizard.ScanShellFolder(shell, SpecialFolder::RecycleBin);
  EXPECT_FALSE(movable);
  EXPECT_LT(busyRefreshes, 10);
}

// The window catches what a scan throws (memory running out) and goes on: not busy for good.
TEST_F(ShellScanTest, AScanThatFailsHalfWayLeavesTheWizardFree) {
  view.onRefresh = [&] {
    if (wizard.Items().Count() == 1) throw std::bad_alloc();
  };
  EXPECT_THROW(wizard.ScanShellFolder(shell, SpecialFolder::RecentDocuments), std::bad_alloc);
  EXPECT_FALSE(wizard.Busy());
}

}  // namespace
}  // namespace qelwipe
