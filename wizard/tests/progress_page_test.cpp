#include "progress_page.h"

#include <gtest/gtest.h>

namespace qelwipe {
namespace {

TEST(ProgressPageTest, StartStateAndEngineEventsUsePlainAndSignPositionForms) {
  ProgressPage page;
  page.status.text = "last path";
  page.StartState("3");
  EXPECT_EQ(page.cycle.text, "  Out of 3");
  EXPECT_EQ(page.pass.text, " ");
  EXPECT_EQ(page.files.text, "...");
  EXPECT_EQ(page.folders.text, "...");
  EXPECT_EQ(page.size.text, "...");
  EXPECT_EQ(page.status.text, "last path");

  page.OnProgress(1, 3, 40, "3");
  EXPECT_EQ(page.cycle.text, "1 Out of 3");
  EXPECT_EQ(page.pass.text, "3");
  EXPECT_EQ(page.filePercent, 40);
  EXPECT_EQ(page.filePercentText.text, " 40%");
}

// Texts are built only when their values change; a new run shows its first report all the same.
TEST(ProgressPageTest, ANewRunShowsItsFirstReportWhateverTheLastOneShowed) {
  ProgressPage page;
  page.OnProgress(2, 1, 40, "4");
  page.StartState("4");
  page.OnProgress(2, 1, 40, "4");
  EXPECT_EQ(page.cycle.text + page.pass.text + page.filePercentText.text, "2 Out of 41 40%");
}

TEST(ProgressPageTest, TotalsShowDoneOutOfTotalAndTheBarsWholePart) {
  ProgressPage page;
  RunCounters c{
      .TotalBytes = 12000, .BytesDone = 3000, .TotalFiles = 12, .FilesDone = 5, .TotalFolders = 2, .FoldersDone = 1};
  EXPECT_EQ(page.UpdateProgress(c, false), RunOutcome::Undecided);
  EXPECT_EQ(page.files.text, " 5 Out of  12");
  EXPECT_EQ(page.folders.text, " 1 Out of  2");
  EXPECT_EQ(page.size.text, " 3000 Out of  12000 bytes");
  EXPECT_FLOAT_EQ(page.overallPercent, 25);
  EXPECT_EQ(page.overallPercentText.text, " 25%");

  c.TotalBytes = 3;
  c.BytesDone = 2;
  page.UpdateProgress(c, false);
  EXPECT_EQ(page.overallPercentText.text, " 66%");

  page.UpdateProgress(RunCounters{}, false);
  EXPECT_EQ(page.files.text, "0 Out of 0");
  EXPECT_EQ(page.folders.text, "0 Out of 0");
  EXPECT_EQ(page.size.text, "0 Out of 0");
  EXPECT_EQ(page.overallPercent, 0);
  EXPECT_EQ(page.overallPercentText.text, " 0 %");
}

TEST(ProgressPageTest, ABarAtHundredWithFilesHeldOpenAsksForARestart) {
  ProgressPage page;
  const RunCounters c{.TotalBytes = 10, .BytesDone = 10, .TotalFiles = 2, .FilesDone = 2, .HeldOpen = 2};
  EXPECT_EQ(page.UpdateProgress(c, false), RunOutcome::RestartNeeded);
  EXPECT_EQ(page.status.text,
            "Some files will need for computer to restart to complete the erase process! Click Finish to see a list "
            "of items!");
  EXPECT_EQ(page.resultText.text, "Some files will need for computer to restart to complete the erase process!");
  EXPECT_EQ(page.resultHeading.text, "Attention!");
  EXPECT_EQ(page.resultHeading.colour, TextColour::Red);
}

TEST(ProgressPageTest, OnceIgnoredTheStatusStaysRedThroughLaterRuns) {
  ProgressPage page;
  page.ShowIgnored();
  page.StartState("3");
  page.ShowCurrent("C:\\next.txt");
  page.UpdateProgress(RunCounters{.TotalBytes = 1, .BytesDone = 1}, true);
  EXPECT_EQ(page.status.text, "You have successfully wiped all items.");
  EXPECT_EQ(page.status.colour, TextColour::Red);
}

}  // namespace
}  // namespace qelwipe
