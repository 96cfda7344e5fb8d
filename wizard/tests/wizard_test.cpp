// Page flow, list page commands and the start-up intake.
#include <gtest/gtest.h>

#include "hand_off.h"
#include "texts.h"
#include "wizard_fixture.h"

namespace qelwipe {
namespace {

class PageFlowTest : public WizardTest {
 protected:
  void SetUp() override {
    WizardTest::SetUp();
    files.AddFolder("C:\\D");
    files.AddFile("C:\\D\\a.txt", 10);
    files.AddFile("C:\\D\\busy.txt", 10);
    engine.results["C:\\D\\busy.txt"] = kSharingViolation;
  }
  void ExpectButtons(bool back, const char* caption, bool next) {
    EXPECT_EQ(wizard.BackButton().enabled, back);
    EXPECT_EQ(wizard.NextButton().caption, caption);
    EXPECT_EQ(wizard.NextButton().enabled, next);
  }
};

TEST_F(PageFlowTest, ButtonsFollowThePageAndTheList) {
  EXPECT_EQ(wizard.PageIndex(), kWelcomePage);
  ExpectButtons(false, "&Next >>", true);
  EXPECT_EQ(wizard.ItemCountText(), "");
  wizard.Next();
  ExpectButtons(true, "&Next >>", false);
  wizard.Back();
  ExpectButtons(false, "&Next >>", true);
  wizard.Next();
  wizard.DropFiles({"C:\\D\\a.txt"});
  EXPECT_TRUE(wizard.NextButton().enabled);
  wizard.Next();
  EXPECT_EQ(wizard.PageIndex(), kMethodPage);
  EXPECT_EQ(wizard.MethodHeading(), "Please select erase method from the following to erase (1) items?");
  ExpectButtons(true, "&Next >>", true);
}

TEST_F(PageFlowTest, RefusingTheConfirmationKeepsTheMethodPageAndErasesNothing) {
  view.answer = MessageAnswer::Cancel;
  RunOn({"C:\\D\\a.txt"});
  EXPECT_EQ(wizard.PageIndex(), kMethodPage);
  EXPECT_TRUE(engine.calls.empty());
  EXPECT_EQ(wizard.Items().Count(), 1);
  ASSERT_EQ(view.messages.size(), 1u);
  const MessageBoxRequest& box = view.messages[0];
  EXPECT_EQ(box.caption, "WARNING: Please confirm the erase operation");
  EXPECT_EQ(box.text,
            "Before proceeding, be advised that you are about to erase \r\nfiles/folders from your computer that can "
            "NOT be recovered once\r\nthe action is taken. Even special utilities and recovery laboratories \r\nwill "
            "not recover data erased using this program.");
  EXPECT_EQ(box.buttons, MessageButtons::OkCancel);
  EXPECT_EQ(box.icon, MessageIcon::Exclamation);
  EXPECT_TRUE(box.cancelIsDefault);
}

TEST_F(PageFlowTest, AFinishedRunWaitsOnTheProgressPageForFinish) {
  bool disabledDuringRun = false;
  engine.during = [&](const std::string&) {
    disabledDuringRun = !wizard.NextButton().enabled && !wizard.BackButton().enabled && view.timerEnabled;
    // Clicks reaching the model inside the run's message pumps change nothing.
    wizard.Next();
    wizard.Back();
  };
  RunOn({"C:\\D\\a.txt"});
  EXPECT_TRUE(disabledDuringRun);
  EXPECT_EQ(engine.calls.size(), 1u);
  EXPECT_EQ(wizard.PageIndex(), kProgressPage);
  ExpectButtons(false, "&Finish >>", true);
  EXPECT_EQ(view.pages.back(), kProgressPage);
  wizard.Next();
  EXPECT_EQ(wizard.PageIndex(), kCongratulationsPage);
  ExpectButtons(false, "&Exit>>", true);
  EXPECT_TRUE(view.dialogs.empty());
  wizard.Next();
  EXPECT_TRUE(view.closed);
}

TEST_F(PageFlowTest, IgnoreReturnsToTheProgressPageOnceWithTheRedText) {
  RunOn({"C:\\D"});
  wizard.Next();
  ASSERT_EQ(view.dialogs.size(), 1u);
  EXPECT_EQ(view.dialogs[0], (std::vector<std::string>{"C:\\D\\busy.txt"}));
  EXPECT_FALSE(wizard.RestartPending());
  EXPECT_EQ(wizard.PageIndex(), kProgressPage);
  const char* ignored =
      "You have chosen not to erase the file/folder being used by Windows or another application when selected "
      "Ignore Option.";
  EXPECT_EQ(Progress().status.text, ignored);
  EXPECT_EQ(Progress().status.colour, TextColour::Red);
  wizard.Next();
  EXPECT_EQ(view.dialogs.size(), 1u);
  EXPECT_EQ(wizard.PageIndex(), kCongratulationsPage);
  EXPECT_EQ(Progress().resultText.text, ignored);
}

TEST_F(PageFlowTest, RestartLaterSchedulesTheFilesAndLeavesFinishToEndTheProgram) {
  view.userResult = UserResult::RestartLater;
  RunOn({"C:\\D"});
  wizard.Next();
  EXPECT_EQ(system.moves, (std::vector<std::string>{"C:\\D\\busy.txt > C:\\PvShreder\\ss1.tmp"}));
  // Moved whole, the file would keep its content: the wizard comes back at the next logon to erase it.
  EXPECT_EQ(system.lists, (std::vector<std::vector<std::string>>{{"C:\\PvShreder\\ss1.tmp"}}));
  EXPECT_EQ(system.runOnce, "Dedurada.exe: \"C:\\Program Files\\Qel Tarnwick\\qelwipe.EXE\"   C:\\Temp\\ss1.tmp");
  EXPECT_EQ(view.messages.size(), 1u);  // the confirmation only
  EXPECT_EQ(wizard.PageIndex(), kCongratulationsPage);
  EXPECT_EQ(Progress().status.text, "Files which were not removeable will be removed on next startup!");
  EXPECT_EQ(wizard.NextButton().caption, "&Finish >>");
  EXPECT_FALSE(view.closed);
  wizard.Next();
  EXPECT_TRUE(view.closed);
}

TEST_F(PageFlowTest, RestartNowHandsTheFilesOnAndCloses) {
  view.userResult = UserResult::RestartNow;
  RunOn({"C:\\D"});
  wizard.Next();
  EXPECT_EQ(system.lists, (std::vector<std::vector<std::string>>{{"C:\\D\\busy.txt"}}));
  EXPECT_EQ(system.reboots, 1);
  EXPECT_TRUE(view.closed);
  EXPECT_TRUE(wizard.CancelRequested());
}

// A user who believes a restart is coming would leave the files where they are.
TEST_F(PageFlowTest, ARefusedRestartIsToldAndTheFilesStayHandedOn) {
  view.userResult = UserResult::RestartNow;
  system.rebootRefused = true;
  RunOn({"C:\\D"});
  wizard.Next();
  EXPECT_EQ(system.lists.size(), 1u);
  ASSERT_EQ(view.messages.size(), 2u);  // the confirmation, then this
  EXPECT_EQ(view.messages[1].text, texts::kRestartRefused);
  EXPECT_TRUE(view.closed);
}

TEST_F(PageFlowTest, EraseMoreItemsLeadsToTheEmptiedListPage) {
  RunOn({"C:\\D\\a.txt"});
  wizard.Next();
  wizard.EraseMoreItems();
  EXPECT_EQ(wizard.PageIndex(), kListPage);
  ExpectButtons(true, "&Next >>", false);
}

TEST_F(PageFlowTest, ListCommandsSetNextFromTheRowCount) {
  files.AddFolder("C:\\");
  wizard.Next();
  wizard.AddPaths({});
  EXPECT_FALSE(wizard.NextButton().enabled);
  wizard.AddFolder("C:\\");
  wizard.AddPicked("C:\\D", {"A.TXT"});
  ASSERT_EQ(wizard.Items().Count(), 2);
  EXPECT_EQ(wizard.Items().PathAt(2), "C:\\D\\A.TXT");
  // A root's row has no name: Clear Item cannot remove it.
  wizard.ClearItem(1);
  wizard.ClearItem(0);
  EXPECT_EQ(wizard.Items().Count(), 2);
  wizard.ClearItem(2);
  EXPECT_EQ(wizard.Items().Count(), 1);
  EXPECT_TRUE(wizard.NextButton().enabled);
  wizard.ClearList();
  EXPECT_EQ(wizard.Items().Count(), 0);
  EXPECT_FALSE(wizard.NextButton().enabled);
}

TEST(StartUpTest, AListFileOnTheCommandLineFillsTheListAndIsDeleted) {
  const std::string listFile = "C:\\Temp\\ss1A.tmp";
  fakes::FakeFileSystem files;
  files.AddFile("C:\\a.txt", 1);
  files.AddFolder("C:\\Dir");
  files.AddFile("C:\\Dir\\b.txt", 1);
  files.AddTextFile(listFile, "C:\\A.txt\r\n\r\n \r\nC:\\Dir\r\nC:\\a.txt\r\nC:\\Dir\\b.txt");
  fakes::RecordingEngine engine{files};
  fakes::FakeRegistry registry;
  fakes::RecordingView view;
  fakes::RecordingSystem system;
  Wizard wizard{view, system, files, engine, registry, {}};
  wizard.Load(listFile);

  ASSERT_EQ(wizard.Items().Count(), 3);
  EXPECT_EQ(wizard.Items().PathAt(1), "C:\\A.txt");
  EXPECT_EQ(wizard.Items().PathAt(2), "C:\\Dir");
  EXPECT_EQ(view.messages.size(), 1u);  // the same path twice
  EXPECT_EQ(wizard.ItemCountText(), "You currently have (3) in your list to erase and wipe");
  EXPECT_EQ(files.removals, (std::vector<std::string>{"delete " + listFile}));
  EXPECT_EQ(wizard.Methods().Selected(), 1);
}

// The list's folder, with its separator, is compared as the temporary folder is.
TEST(StartUpTest, AListInATemporaryFolderAtADrivesRootIsDeleted) {
  fakes::FakeFileSystem files;
  files.temporaryFolder = "C:\\";
  files.AddTextFile("C:\\ss1.tmp", "C:\\a.txt\r\n");
  fakes::FakeRegistry registry;
  fakes::RecordingView view;
  FolderWalk walk{files, {}};
  ItemsList items{files, registry, walk, view};
  TakeHandOffList("C:\\ss1.tmp", items, files);
  EXPECT_EQ(files.removals, (std::vector<std::string>{"delete C:\\ss1.tmp"}));
}

// A document opened with the program (dropped on its icon, "Open with") is no
// hand-off: its lines may be listed, but the user never chose to lose the file.
TEST(StartUpTest, AFileThatIsNoHandOffListIsReadButNotDeleted) {
  fakes::FakeFileSystem files;
  files.AddFile("C:\\a.txt", 1);
  fakes::FakeRegistry registry;
  fakes::RecordingView view;
  FolderWalk walk{files, {}};
  ItemsList items{files, registry, walk, view};
  for (const std::string name :
       {"notes.txt", "ss.txt", "report.tmp", "boss1.tmp", "ssh notes.tmp", "ss12345.tmp", "ssnotes.tmp"}) {
    const std::string document = "C:\\Temp\\" + name;
    files.AddTextFile(document, "C:\\a.txt\r\n");
    TakeHandOffList(document, items, files);
    EXPECT_TRUE(files.removals.empty()) << name;
  }
  EXPECT_EQ(items.Count(), 1);
  for (const std::string name : {"SS1.TMP", "ssA2f9.tmp"}) {
    files.AddTextFile("C:\\Temp\\" + name, "C:\\a.txt\r\n");
    TakeHandOffList("C:\\Temp\\" + name, items, files);
  }
  EXPECT_EQ(files.removals, (std::vector<std::string>{"delete C:\\Temp\\SS1.TMP", "delete C:\\Temp\\ssA2f9.tmp"}));
}

TEST_F(WizardTest, AListLineHoldingANulIsTakenUpToIt) {
  files.AddFolder("C:\\D");
  files.AddFile("C:\\D\\a.txt", 1);
  files.AddTextFile("C:\\Temp\\ss1.tmp", std::string("C:\\D\0a.txt\r\n", 12));
  wizard.Load("C:\\Temp\\ss1.tmp");
  ASSERT_EQ(wizard.Items().Count(), 1);
  EXPECT_EQ(wizard.Items().PathAt(1), "C:\\D");
}

// A bare name would be erased in whatever folder is current when the run comes; a file no
// list comes near in size is not read into memory.
TEST_F(WizardTest, AListGivesOnlyItsFullPathsAndAHugeFileIsRefusedWithAMessage) {
  files.AddFile("C:\\a.txt", 1);
  files.AddFile("report.doc", 1);
  files.AddTextFile("C:\\Temp\\ss1.tmp", "report.doc\r\nC:\\a.txt\r\n");
  wizard.Load("C:\\Temp\\ss1.tmp");
  ASSERT_EQ(wizard.Items().Count(), 1);
  EXPECT_EQ(wizard.Items().PathAt(1), "C:\\a.txt");

  files.AddFile("C:\\Temp\\ss2.tmp", kLongestListFile + 1);
  wizard.Load("C:\\Temp\\ss2.tmp");
  EXPECT_EQ(wizard.Items().Count(), 0);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, std::string(texts::kListTooLarge) + "C:\\Temp\\ss2.tmp");
  EXPECT_TRUE(files.Exists("C:\\Temp\\ss2.tmp"));
}

TEST(StartUpTest, TheArgumentIsWhatFollowsTheProgramNameTakenWhole) {
  EXPECT_EQ(ArgumentText("C:\\Tools\\qelwipe.exe C:\\Temp\\ss1.tmp"), "C:\\Temp\\ss1.tmp");
  EXPECT_EQ(ArgumentText("\"C:\\My Tools\\qelwipe.exe\"   C:\\My Temp\\ss1.tmp "), "C:\\My Temp\\ss1.tmp ");
  EXPECT_EQ(ArgumentText("qelwipe.exe"), "");
  EXPECT_EQ(ArgumentText("\"C:\\My Tools\\qelwipe.exe\" \"C:\\My Temp\\ss1.tmp\""), "C:\\My Temp\\ss1.tmp");
  // An unreadable list deletes nothing.
  fakes::FakeFileSystem files;
  fakes::FakeRegistry registry;
  fakes::RecordingView view;
  FolderWalk walk{files, {}};
  ItemsList items{files, registry, walk, view};
  files.AddFile("C:\\Temp\\ss9.tmp", 1);
  files.HideAttributes("C:\\Temp\\ss9.tmp");
  TakeHandOffList("C:\\Temp\\ss9.tmp", items, files);
  EXPECT_TRUE(files.removals.empty());
}

}  // namespace
}  // namespace qelwipe
