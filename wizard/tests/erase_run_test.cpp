// The erase run over the in-memory platform, driven through the wizard's pages.
#include <gtest/gtest.h>

#include "texts.h"
#include "wizard_fixture.h"

namespace qelwipe {
namespace {

using Strings = std::vector<std::string>;

class EraseRunTest : public WizardTest {
 protected:
  void SetUp() override {
    WizardTest::SetUp();
    files.AddFolder("C:\\D");
    files.AddFile("C:\\D\\a.txt", 100);
    files.AddFile("C:\\D\\b.txt", 200);
    files.AddFolder("C:\\D\\S");
    files.AddFile("C:\\D\\S\\c.txt", 300);
  }
};

TEST_F(EraseRunTest, AFolderGoesFilesFirstThenSubFoldersDepthFirstEachAfterItsContents) {
  wizard.Methods().SetCyclesText("2");
  RunOn({"C:\\D"});
  EXPECT_EQ(engine.Paths(), (Strings{"C:\\D\\a.txt", "C:\\D\\b.txt", "C:\\D\\S\\c.txt"}));
  EXPECT_EQ(engine.method, 1);
  EXPECT_EQ(engine.rounds, 2);
  EXPECT_EQ(files.removals, (Strings{"rmdir C:\\D\\S", "rmdir C:\\D"}));
  const RunCounters c = wizard.Run().Counters();
  EXPECT_EQ(c.TotalFiles, 3u);
  EXPECT_EQ(c.FilesDone, 3u);
  EXPECT_EQ(c.TotalFolders, 1u);
  EXPECT_EQ(c.FoldersDone, 1u);
  EXPECT_EQ(c.TotalBytes, 600u);
  EXPECT_EQ(c.BytesDone, 600u);
  EXPECT_EQ(Progress().files.text, " 3 Out of  3");
  EXPECT_EQ(Progress().status.text, "You have successfully wiped all items.");
  EXPECT_EQ(wizard.Items().Count(), 0);
  EXPECT_EQ(system.recycleBinRefreshes, 1);
  EXPECT_FALSE(view.timerEnabled);
}

TEST_F(EraseRunTest, AFolderUnderEraseCannotBeSwappedForALinkLeadingOutside) {
  files.AddFolder("C:\\Out");
  files.AddFile("C:\\Out\\b.txt", 5);
  engine.during = [this](const std::string&) { files.SwapForLink("C:\\D", "C:\\Out"); };
  RunOn({"C:\\D"});
  EXPECT_TRUE(files.Exists("C:\\Out\\b.txt"));
  EXPECT_FALSE(files.Exists("C:\\D~\\b.txt"));
  EXPECT_EQ(Progress().status.text, "You have successfully wiped all items.");
}

TEST_F(EraseRunTest, ALockedFileIsRecordedCountedAndKeepsItsFolder) {
  files.AddFile("C:\\single.txt", 50);
  engine.results["C:\\D\\b.txt"] = kSharingViolation;
  RunOn({"C:\\single.txt", "C:\\D"});
  EXPECT_EQ(wizard.Run().HeldFiles(), (Strings{"C:\\D\\b.txt"}));
  EXPECT_TRUE(files.Exists("C:\\D\\b.txt"));
  EXPECT_TRUE(files.Exists("C:\\D"));
  EXPECT_FALSE(files.Exists("C:\\D\\S"));
  EXPECT_FALSE(files.Exists("C:\\single.txt"));
  EXPECT_EQ(wizard.Run().Counters().FilesDone, 4u);
  EXPECT_EQ(wizard.Run().Counters().BytesDone, 650u);
  EXPECT_TRUE(wizard.RestartPending());
  EXPECT_EQ(Progress().resultHeading.colour, TextColour::Red);
  EXPECT_EQ(system.recycleBinRefreshes, 0);
}

TEST_F(EraseRunTest, TimerTicksShowTheTotalsSoFar) {
  std::string files, bytes;
  engine.during = [&](const std::string& path) {
    if (path != "C:\\D\\S\\c.txt") return;
    wizard.TimerTick();
    files = Progress().files.text;
    bytes = Progress().size.text;
  };
  RunOn({"C:\\D"});
  EXPECT_EQ(files, " 2 Out of  3");
  EXPECT_EQ(bytes, " 300 Out of  600 bytes");
}

TEST_F(EraseRunTest, AnEmptyFolderIsRemovedAndCountsNothing) {
  files.AddFolder("C:\\Empty");
  RunOn({"C:\\Empty"});
  EXPECT_EQ(files.removals, (Strings{"rmdir C:\\Empty"}));
  EXPECT_EQ(Progress().files.text, "0 Out of 0");
  EXPECT_EQ(Progress().folders.text, "0 Out of 0");
}

TEST_F(EraseRunTest, CancelStopsBeforeTheNextItemAndEndsTheWizard) {
  files.AddFile("C:\\first.txt", 10);
  files.AddFile("C:\\second.txt", 10);
  engine.during = [this](const std::string&) {
    if (!view.closed) wizard.Cancel();
  };
  RunOn({"C:\\first.txt", "C:\\second.txt", "C:\\D"});
  EXPECT_EQ(engine.Paths(), (Strings{"C:\\first.txt"}));
  EXPECT_EQ(engine.cancels, 1);
  EXPECT_TRUE(view.closed);
  EXPECT_TRUE(files.Exists("C:\\second.txt"));
  EXPECT_TRUE(files.Exists("C:\\D\\a.txt"));
  // A cancelled run decides no result.
  EXPECT_NE(Progress().status.text, "You have successfully wiped all items.");
}

TEST_F(EraseRunTest, CancelInsideAFolderLeavesTheRestOfItInPlace) {
  engine.during = [this](const std::string& path) {
    if (path == "C:\\D\\a.txt") wizard.Cancel();
  };
  RunOn({"C:\\D"});
  EXPECT_EQ(engine.Paths(), (Strings{"C:\\D\\a.txt"}));
  EXPECT_TRUE(files.Exists("C:\\D\\S\\c.txt"));
  EXPECT_TRUE(files.removals.empty());
}

TEST_F(EraseRunTest, FillMethodsReadTheirHexFieldsForEveryFile) {
  wizard.Methods().SelectMethod(9);
  wizard.Methods().SetHexText(1, "7f");
  RunOn({"C:\\D"});
  ASSERT_EQ(engine.calls.size(), 3u);
  for (const auto& call : engine.calls) EXPECT_EQ(call, (fakes::EngineCall{"FastWipeFile", call.path, {127}}));

  files.AddFile("C:\\g.txt", 1);
  wizard.Methods().SelectMethod(10);
  wizard.Methods().SetHexText(2, "G1");
  RunAgainOn({"C:\\g.txt"});
  EXPECT_EQ(engine.calls.back(), (fakes::EngineCall{"GovermentWipeFile", "C:\\g.txt", {127, 0, 255}}));
  EXPECT_EQ(engine.method, 10);
}

TEST_F(EraseRunTest, ZeroCyclesRunWithThreeAndProgressShowsTheField) {
  wizard.Methods().SetCyclesText("0");
  RunOn({"C:\\D\\a.txt"});
  EXPECT_EQ(engine.rounds, 3);
  EXPECT_EQ(wizard.Methods().CyclesText(), "3");
  EXPECT_EQ(Progress().cycle.text, "1 Out of 3");
  EXPECT_EQ(Progress().filePercentText.text, " 100%");
}

TEST_F(EraseRunTest, AListedPathThatVanishedIsWalkedAsAnEmptyFolder) {
  files.AddFile("C:\\gone.txt", 5);
  wizard.DropFiles({"C:\\gone.txt"});
  files.Remove("C:\\gone.txt");
  RunOn({});
  EXPECT_TRUE(engine.calls.empty());
  EXPECT_EQ(wizard.Run().Counters().TotalFiles, 0u);
}

// Mended faults.

TEST_F(EraseRunTest, AFileTheEngineRefusedIsNeitherDeletedNorReportedAsWiped) {
  files.AddFile("C:\\denied.txt", 10);
  files.AddFile("C:\\fine.txt", 10);
  engine.results["C:\\denied.txt"] = 5;
  engine.results["C:\\D\\a.txt"] = kInvalidArgument;
  RunOn({"C:\\denied.txt", "C:\\fine.txt", "C:\\D"});
  EXPECT_TRUE(files.Exists("C:\\denied.txt"));
  EXPECT_TRUE(files.Exists("C:\\D\\a.txt"));
  EXPECT_TRUE(files.Exists("C:\\D"));
  EXPECT_FALSE(files.Exists("C:\\fine.txt"));
  EXPECT_EQ(wizard.Run().Counters().NotErased, 2u);
  EXPECT_EQ(Progress().status.text, "Some items could not be erased and are still on disk: 2");
  EXPECT_EQ(Progress().resultText.text, "Some items could not be erased and are still on disk: 2");
  EXPECT_FALSE(wizard.RestartPending());
  EXPECT_EQ(system.recycleBinRefreshes, 0);
}

TEST_F(EraseRunTest, WithoutAKnownMethodNothingIsHandedToTheEngineNorDeleted) {
  wizard.Methods().SelectMethod(-1);
  RunOn({"C:\\D\\a.txt"});
  EXPECT_TRUE(engine.calls.empty());
  EXPECT_TRUE(files.Exists("C:\\D\\a.txt"));
  EXPECT_EQ(Progress().status.text, "Some items could not be erased and are still on disk: 1");
}

TEST_F(EraseRunTest, LockedFilesKeepTheirTextsWhenOthersWereRefusedToo) {
  engine.results["C:\\D\\a.txt"] = 5;
  engine.results["C:\\D\\b.txt"] = kSharingViolation;
  RunOn({"C:\\D"});
  EXPECT_EQ(Progress().resultText.text, "Some files will need for computer to restart to complete the erase process!");
  EXPECT_TRUE(wizard.RestartPending());
}

// A compressed or cloud file refused by the engine is left; the user is told once why and what to do.
TEST_F(EraseRunTest, FilesThatCannotBeOverwrittenInPlaceAreLeftAndNamedInOneMessageAtTheEnd) {
  files.AddFile("C:\\packed.txt", 10);
  engine.results["C:\\packed.txt"] = win_error::kNotSupported;
  engine.results["C:\\D\\S\\c.txt"] = win_error::kNotSupported;
  RunOn({"C:\\packed.txt", "C:\\D"});
  EXPECT_TRUE(files.Exists("C:\\packed.txt"));
  EXPECT_TRUE(files.Exists("C:\\D\\S\\c.txt"));
  EXPECT_EQ(wizard.Run().Counters().NotErased, 2u);
  ASSERT_EQ(view.messages.size(), 2u);  // the confirmation, then this
  EXPECT_EQ(view.messages[1].text, std::string(texts::kNotOverwritable) + "\r\nC:\\packed.txt\r\nC:\\D\\S\\c.txt");
  EXPECT_EQ(view.messages[1].icon, MessageIcon::Exclamation);
}

TEST_F(EraseRunTest, AFileThatVanishedBeforeItsTurnIsNotCountedAsLeftOnDisk) {
  engine.during = [this](const std::string& path) {
    if (path == "C:\\D\\a.txt") files.Remove("C:\\D\\b.txt");
  };
  engine.results["C:\\D\\b.txt"] = 2;
  RunOn({"C:\\D"});
  EXPECT_EQ(wizard.Run().Counters().NotErased, 0u);
  EXPECT_EQ(Progress().status.text, "You have successfully wiped all items.");
}

TEST_F(EraseRunTest, AFileTheSystemCannotFindByItsListedNameCountsAsLeftOnDisk) {
  files.UnreachableByName("C:\\D\\b.txt");
  engine.results["C:\\D\\b.txt"] = 123;  // the name is invalid
  RunOn({"C:\\D"});
  EXPECT_TRUE(files.Exists("C:\\D\\b.txt"));
  EXPECT_EQ(wizard.Run().Counters().NotErased, 1u);
  EXPECT_EQ(Progress().status.text, "Some items could not be erased and are still on disk: 1");
  EXPECT_EQ(system.recycleBinRefreshes, 0);
}

TEST_F(EraseRunTest, AFolderThatCouldNotBeEmptiedCountsAsLeftOnDiskOnce) {
  files.AddFolder("C:\\D\\S\\Q");
  files.AddFile("C:\\D\\S\\Q\\x.txt", 10);
  files.UnreachableByName("C:\\D\\S\\Q");
  RunOn({"C:\\D"});
  EXPECT_TRUE(files.Exists("C:\\D\\S\\Q\\x.txt"));
  EXPECT_EQ(wizard.Run().Counters().NotErased, 1u);  // not its folders again
  EXPECT_EQ(Progress().status.text, "Some items could not be erased and are still on disk: 1");
}

TEST_F(EraseRunTest, FilesEmptiedButKeptInFoldersCountOnceEachAndTheirFoldersNotAgain) {
  engine.keptAfterErase = {"C:\\D\\a.txt", "C:\\D\\S\\c.txt"};
  RunOn({"C:\\D"});
  EXPECT_EQ(wizard.Run().Counters().NotErased, 2u);
}

TEST_F(EraseRunTest, ALinkOrFolderThatCouldNotBeRemovedCountsAsLeftOnDiskUnlessADriveRoot) {
  files.AddLink("C:\\D\\file-link.txt", "C:\\D\\a.txt", false);
  files.Lock("C:\\D\\file-link.txt");
  files.Lock("C:\\D\\S");  // another program's current folder
  files.AddFolder("F:\\");
  RunOn({"C:\\D", "F:\\"});
  EXPECT_EQ(Progress().status.text, "Some items could not be erased and are still on disk: 2");
}

TEST_F(EraseRunTest, AnItemIsErasedByItsGivenSpellingAndNeverDeletedByNameAfterTheEngine) {
  files.AddFile("C:\\D\\Upper.txt", 10);
  engine.keptAfterErase.insert("C:\\D\\Upper.txt");  // emptied in a read-only folder
  wizard.AddPaths({"C:\\D\\Upper.txt"});
  RunOn({});
  EXPECT_EQ(engine.Paths(), (Strings{"C:\\D\\Upper.txt"}));
  EXPECT_TRUE(files.removals.empty());
  EXPECT_EQ(Progress().status.text, "Some items could not be erased and are still on disk: 1");
}

TEST_F(EraseRunTest, AnItemRemovedSinceItWasListedIsNoItemLeftOnDisk) {
  files.AddFolder("C:\\Gone");
  files.AddFile("C:\\gone.txt", 10);
  wizard.DropFiles({"C:\\Gone", "C:\\gone.txt"});
  files.Remove("C:\\Gone");
  files.Remove("C:\\gone.txt");
  RunOn({"C:\\D"});
  EXPECT_FALSE(files.Exists("C:\\D"));
  EXPECT_EQ(wizard.Run().Counters().NotErased, 0u);
  EXPECT_EQ(Progress().status.text, "You have successfully wiped all items.");
}

TEST_F(EraseRunTest, AFileThatTookTheListedPlaceOfALinkIsOverwrittenNotDeletedByName) {
  files.AddLink("C:\\D\\z.lnk", "C:\\D\\a.txt", false);
  engine.during = [this](const std::string& path) {
    if (path != "C:\\D\\a.txt") return;
    files.Remove("C:\\D\\z.lnk");
    files.AddFile("C:\\D\\z.lnk", 7);
  };
  RunOn({"C:\\D"});
  EXPECT_EQ(engine.Paths(), (Strings{"C:\\D\\a.txt", "C:\\D\\b.txt", "C:\\D\\z.lnk", "C:\\D\\S\\c.txt"}));
  EXPECT_EQ(files.removals, (Strings{"rmdir C:\\D\\S", "rmdir C:\\D"}));
}

TEST_F(EraseRunTest, LinksAreRemovedAsLinksAndNeverHandedToTheEngine) {
  files.AddFolder("C:\\Elsewhere");
  files.AddFile("C:\\Elsewhere\\keep.txt", 10);
  files.AddFile("C:\\Elsewhere\\target.txt", 10);
  files.AddLink("C:\\D\\Junction", "C:\\Elsewhere", true);
  files.AddLink("C:\\D\\file-link.txt", "C:\\Elsewhere\\target.txt", false);
  files.AddLink("C:\\ListedLink", "C:\\Elsewhere", true);
  RunOn({"C:\\D", "C:\\ListedLink"});
  EXPECT_EQ(engine.Paths(), (Strings{"C:\\D\\a.txt", "C:\\D\\b.txt", "C:\\D\\S\\c.txt"}));
  EXPECT_EQ(files.removals, (Strings{"delete C:\\D\\file-link.txt", "rmdir C:\\D\\S", "rmdir C:\\D\\Junction",
                                     "rmdir C:\\D", "rmdir C:\\ListedLink"}));
  EXPECT_TRUE(files.Exists("C:\\Elsewhere\\keep.txt"));
  EXPECT_TRUE(files.Exists("C:\\Elsewhere\\target.txt"));
  EXPECT_EQ(wizard.Run().Counters().TotalBytes, 600u);
  EXPECT_EQ(wizard.Run().Counters().TotalFolders, 2u);
  EXPECT_EQ(wizard.Run().Counters().FoldersDone, 2u);
  EXPECT_EQ(Progress().files.text, " 4 Out of  4");
}

TEST_F(EraseRunTest, ASecondRunReportsOnlyItsOwnLockedFilesAndClearsTheAttention) {
  files.AddFile("C:\\busy.txt", 10);
  engine.results["C:\\busy.txt"] = kSharingViolation;
  view.userResult = UserResult::RestartLater;
  RunOn({"C:\\busy.txt"});
  EXPECT_EQ(wizard.Run().HeldCount(), 1u);
  wizard.Next();  // Finish: the dialog, then the final page
  EXPECT_EQ(Progress().resultHeading.text, "Attention!");

  files.AddFile("C:\\later.txt", 10);
  RunAgainOn({"C:\\later.txt"});
  EXPECT_EQ(wizard.Run().HeldCount(), 0u);
  EXPECT_FALSE(wizard.RestartPending());
  EXPECT_EQ(Progress().resultHeading.text, "Congratulations");
  EXPECT_EQ(Progress().resultHeading.colour, TextColour::Normal);
  EXPECT_EQ(Progress().resultText.text, "you have successfully erased all items");
  wizard.Next();
  EXPECT_EQ(view.dialogs.size(), 1u);
  EXPECT_EQ(wizard.PageIndex(), kCongratulationsPage);
}

TEST_F(EraseRunTest, FilesBeyondTwoGibibytesAreCountedWhole) {
  files.AddFile("C:\\big.vhd", 3221225472);
  files.AddFile("C:\\D\\huge.iso", 5368709120);
  RunOn({"C:\\big.vhd", "C:\\D"});
  EXPECT_EQ(wizard.Run().Counters().TotalBytes, 8589935192u);
  EXPECT_EQ(Progress().size.text, " 8589935192 Out of  8589935192 bytes");
  EXPECT_FLOAT_EQ(Progress().overallPercent, 100);
  EXPECT_EQ(Progress().status.text, "You have successfully wiped all items.");
}

TEST_F(EraseRunTest, ARunOverEmptyFilesStillEndsWithItsResult) {
  files.AddFile("C:\\empty1.txt", 0);
  files.AddFile("C:\\busy.txt", 0);
  engine.results["C:\\busy.txt"] = kSharingViolation;
  RunOn({"C:\\empty1.txt", "C:\\busy.txt"});
  EXPECT_EQ(Progress().size.text, "0 Out of 0");
  EXPECT_TRUE(wizard.RestartPending());

  files.AddFile("C:\\empty2.txt", 0);
  RunAgainOn({"C:\\empty2.txt"});
  EXPECT_EQ(Progress().overallPercentText.text, " 0 %");
  EXPECT_EQ(Progress().status.text, "You have successfully wiped all items.");
  EXPECT_FALSE(wizard.RestartPending());
}

TEST_F(EraseRunTest, AFileThatGrewAfterCountingHoldsTheBarAtHundredWithItsResult) {
  files.AddFile("C:\\first.txt", 10);
  files.AddFile("C:\\grows.log", 10);
  engine.during = [this](const std::string& path) {
    if (path == "C:\\first.txt") {
      files.Remove("C:\\grows.log");
      files.AddFile("C:\\grows.log", 30);
    }
  };
  RunOn({"C:\\first.txt", "C:\\grows.log"});
  EXPECT_EQ(wizard.Run().Counters().BytesDone, 40u);
  EXPECT_FLOAT_EQ(Progress().overallPercent, 100);
  EXPECT_EQ(Progress().overallPercentText.text, " 100%");
  EXPECT_EQ(Progress().status.text, "You have successfully wiped all items.");
}

}  // namespace
}  // namespace qelwipe

namespace qelwipe {
namespace {

// An ANSI listing maps some characters the code page lacks to look-alikes
// ("．．＼" to "..\"): such a name joined to its folder leads out of it.
class ListingWithStrayName final : public FileSystem {
 public:
  explicit ListingWithStrayName(fakes::FakeFileSystem& inner) : inner_(inner) {}
  char Separator() const override { return inner_.Separator(); }
  std::optional<FileAttributes> Attributes(const std::string& path) override { return inner_.Attributes(path); }
  std::optional<std::uint64_t> FileLength(const std::string& path) override { return inner_.FileLength(path); }
  std::vector<FolderEntry> ListFolder(const std::string& folder) override {
    auto entries = inner_.ListFolder(folder);
    if (folder == "C:\\D") {
      entries.push_back({"..\\outside.txt", FileAttributes{}, std::nullopt});
      entries.push_back({"..", FileAttributes{.directory = true}, std::nullopt});
    }
    return entries;
  }
  std::optional<EntryTimes> FileTimes(const std::string& path) override { return inner_.FileTimes(path); }
  std::optional<EntryTimes> FolderTimes(const std::string& path) override { return inner_.FolderTimes(path); }
  bool ClearAttributes(const std::string& path) override { return inner_.ClearAttributes(path); }
  bool Delete(const std::string& path) override { return inner_.Delete(path); }
  bool RemoveFolder(const std::string& path) override { return inner_.RemoveFolder(path); }
  std::optional<std::string> ReadRegularFile(const std::string& path, std::uint64_t limit) override {
    return inner_.ReadRegularFile(path, limit);
  }
  std::string TemporaryFolder() override { return inner_.TemporaryFolder(); }
  std::string FoldCase(const std::string& text) override { return inner_.FoldCase(text); }
  std::unique_ptr<FolderHold> HoldFolder(const std::string& path) override { return inner_.HoldFolder(path); }

 private:
  fakes::FakeFileSystem& inner_;
};

TEST(StrayNameTest, AnEntryWhoseNameLeadsOutOfItsFolderIsNeitherMeasuredNorErased) {
  fakes::FakeFileSystem inner;
  inner.AddFolder("C:\\D");
  inner.AddFile("C:\\D\\a.txt", 100);
  inner.AddFile("C:\\outside.txt", 5000);
  ListingWithStrayName files(inner);
  fakes::RecordingEngine engine{inner};
  FolderWalk walk{files, {}};
  MethodPage methods;
  methods.SelectDefaults();
  ProgressPage progress;
  EraseRun run{files, engine, walk, methods, progress, {}};

  EXPECT_EQ(walk.Measure("C:\\D").bytes, 100u);
  run.Prepare();
  run.EraseFolder("C:\\D");
  EXPECT_EQ(engine.Paths(), (std::vector<std::string>{"C:\\D\\a.txt"}));
  EXPECT_TRUE(inner.Exists("C:\\outside.txt"));
  EXPECT_EQ(inner.removals, (std::vector<std::string>{"rmdir C:\\D"}));
  EXPECT_EQ(run.Counters().NotErased, 2u);
}

}  // namespace
}  // namespace qelwipe
