// The folder walk and the erase run on real temporary folders, with the engine
// core doing the erasing through the platform's file access.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "core_engine.h"
#include "fakes.h"
#include "hand_off.h"
#include "posix_file_system.h"
#include "temp_folder.h"
#include "wizard.h"

namespace qelwipe {
namespace {

namespace fs = std::filesystem;
using testing_support::ListFolder;
using testing_support::ReadFile;
using testing_support::TempFolder;
using testing_support::WriteFile;
using Strings = std::vector<std::string>;

// The engine core, noting every file it is given.
class RecordingEngine final : public CoreEngine {
 public:
  Strings paths;

 private:
  void Erasing(const std::string& path) override { paths.push_back(path); }
};

// Another descriptor of the file stays open, so the engine cannot have it to itself.
class HeldOpen {
 public:
  explicit HeldOpen(const std::string& path) : fd_(open(path.c_str(), O_RDONLY)) {}
  ~HeldOpen() {
    if (fd_ >= 0) close(fd_);
  }
  HeldOpen(const HeldOpen&) = delete;
  HeldOpen& operator=(const HeldOpen&) = delete;

 private:
  int fd_;
};

class RealFoldersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(folder.path() / "D" / "S");
    WriteFile(folder / "D/a.txt", 1000);
    WriteFile(folder / "D/b.txt", 2000);
    WriteFile(folder / "D/S/c.txt", 3000);
    fs::create_directory(folder.path() / "Outside");
    WriteFile(folder / "Outside/secret.txt", 500, 'x');
    WriteFile(folder / "Outside/keep.txt", 700, 'k');
    wizard.Load("");
  }
  void RunOn(const Strings& paths) {
    wizard.DropFiles(paths);
    while (wizard.PageIndex() < kProgressPage) wizard.Next();
  }

  TempFolder folder;
  std::unique_ptr<FileSystem> files = MakePosixFileSystem();
  RecordingEngine engine;
  fakes::FakeRegistry registry;
  fakes::RecordingView view;
  fakes::RecordingSystem system;
  Wizard wizard{view, system, *files, engine, registry, {}};
};

TEST_F(RealFoldersTest, ErasesAFolderFilesFirstThenItsSubFoldersAndRemovesIt) {
  RunOn({folder / "D"});
  EXPECT_EQ(engine.paths, (Strings{folder / "D/a.txt", folder / "D/b.txt", folder / "D/S/c.txt"}));
  EXPECT_EQ(ListFolder(folder.path()), "Outside");
  const RunCounters c = wizard.Run().Counters();
  EXPECT_EQ(c.TotalFiles, 3u);
  EXPECT_EQ(c.TotalFolders, 1u);
  EXPECT_EQ(c.FoldersDone, 1u);
  EXPECT_EQ(c.TotalBytes, 6000u);
  EXPECT_EQ(wizard.Progress().size.text, " 6000 Out of  6000 bytes");
  EXPECT_EQ(wizard.Progress().status.text, "You have successfully wiped all items.");
}

TEST_F(RealFoldersTest, LinksAreRemovedAndWhatTheyPointToIsLeftWhole) {
  ASSERT_EQ(symlink((folder / "Outside").c_str(), (folder / "D/S/ToOutside").c_str()), 0);
  ASSERT_EQ(symlink((folder / "Outside/keep.txt").c_str(), (folder / "D/keep-link.txt").c_str()), 0);
  ASSERT_EQ(symlink((folder / "Outside").c_str(), (folder / "Listed").c_str()), 0);
  ASSERT_EQ(symlink((folder / "nowhere").c_str(), (folder / "D/dangling").c_str()), 0);

  wizard.DropFiles({folder / "D", folder / "Listed"});
  ASSERT_EQ(wizard.Items().Count(), 2);
  EXPECT_EQ(wizard.Items().Row(1)[kSize], " 5.86 KB");  // 6000 bytes: nothing behind a link
  EXPECT_EQ(wizard.Items().Row(2)[kSize], " 0 bytes");
  RunOn({});

  EXPECT_EQ(engine.paths, (Strings{folder / "D/a.txt", folder / "D/b.txt", folder / "D/S/c.txt"}));
  EXPECT_EQ(ListFolder(folder.path()), "Outside");
  EXPECT_EQ(ListFolder(folder.path() / "Outside"), "keep.txt secret.txt");
  EXPECT_EQ(ReadFile(folder / "Outside/secret.txt"), std::string(500, 'x'));
  EXPECT_EQ(ReadFile(folder / "Outside/keep.txt"), std::string(700, 'k'));
  EXPECT_EQ(wizard.Run().Counters().FilesDone, 5u);
  EXPECT_EQ(wizard.Run().Counters().TotalBytes, 6000u);
}

// A trailing separator makes the system resolve a link ("Listed/" is the folder it
// points to): such a path must still be taken for the link itself.
TEST_F(RealFoldersTest, ALinkListedWithATrailingSeparatorIsRemovedAsALink) {
  ASSERT_EQ(symlink((folder / "Outside").c_str(), (folder / "Listed").c_str()), 0);
  ASSERT_EQ(symlink((folder / "Outside").c_str(), (folder / "D/ToOutside").c_str()), 0);

  wizard.DropFiles({folder / "Listed/", folder / "D/ToOutside//", folder / "D/"});
  ASSERT_EQ(wizard.Items().Count(), 3);
  EXPECT_EQ(wizard.Items().Row(1)[kName], "Listed");
  EXPECT_EQ(wizard.Items().Row(1)[kSize], " 0 bytes");
  RunOn({});

  EXPECT_EQ(engine.paths, (Strings{folder / "D/a.txt", folder / "D/b.txt", folder / "D/S/c.txt"}));
  EXPECT_EQ(ListFolder(folder.path()), "Outside");
  EXPECT_EQ(ListFolder(folder.path() / "Outside"), "keep.txt secret.txt");
  EXPECT_EQ(ReadFile(folder / "Outside/secret.txt"), std::string(500, 'x'));
}

TEST_F(RealFoldersTest, ALockedFileKeepsItselfAndItsFoldersAndIsHandedOn) {
  const std::string locked = folder / "D/S/c.txt";
  const std::string before = ReadFile(locked);
  {
    HeldOpen holder(locked);
    RunOn({folder / "D"});
  }
  EXPECT_EQ(wizard.Run().HeldFiles(), (Strings{locked}));
  EXPECT_EQ(ListFolder(folder.path() / "D"), "S");
  EXPECT_EQ(ReadFile(locked), before);
  EXPECT_TRUE(wizard.RestartPending());
  wizard.Next();
  EXPECT_EQ(view.dialogs, (std::vector<Strings>{{locked}}));
}

TEST_F(RealFoldersTest, ListedItemsShowTheirDetails) {
  chmod((folder / "D/a.txt").c_str(), 0444);
  wizard.DropFiles({folder / "D/a.txt", folder / "D"});
  ASSERT_EQ(wizard.Items().Count(), 2);
  const ItemRow& file = wizard.Items().Row(1);
  EXPECT_EQ(file[kName], "a.txt");
  EXPECT_EQ(file[kDirectory], folder / "D/");
  EXPECT_EQ(file[kSize], " 1000 bytes");
  EXPECT_EQ(file[kType], "File");
  EXPECT_EQ(file[kAttributes], "R");
  const std::regex timeText(R"(\d{1,2}/\d{1,2}/\d{4} \d{1,2}:\d{1,2}:\d{1,2})");
  for (int column : {kTimeCreated, kTimeAccessed, kTimeModified}) EXPECT_TRUE(std::regex_match(file[column], timeText));
  EXPECT_EQ(wizard.Items().Row(2)[kType], "File Folder");
  EXPECT_TRUE(std::regex_match(wizard.Items().Row(2)[kTimeModified], timeText));
}

TEST_F(RealFoldersTest, TheFileSystemNeverActsThroughALink) {
  const std::string target = folder / "Outside/keep.txt";
  const std::string fileLink = folder / "file-link";
  const std::string folderLink = folder / "folder-link";
  ASSERT_EQ(symlink(target.c_str(), fileLink.c_str()), 0);
  ASSERT_EQ(symlink((folder / "Outside").c_str(), folderLink.c_str()), 0);
  chmod(target.c_str(), 0400);

  const auto folderAttributes = files->Attributes(folderLink);
  ASSERT_TRUE(folderAttributes);
  EXPECT_TRUE(folderAttributes->link && folderAttributes->directory);
  EXPECT_TRUE(files->Attributes(fileLink)->link);
  EXPECT_FALSE(files->Attributes(fileLink)->directory);
  EXPECT_EQ(files->FileLength(fileLink), 0u);
  EXPECT_TRUE(files->ListFolder(folderLink).empty());
  // Through "." or ".." a path would name the link's target as a folder of its own.
  EXPECT_FALSE(files->Attributes(folderLink + "/."));
  EXPECT_TRUE(files->ListFolder(folderLink + "/.").empty());
  // Nor does a link on the way lead anywhere.
  EXPECT_FALSE(files->Attributes(folderLink + "/keep.txt"));
  EXPECT_FALSE(files->Delete(folderLink + "/secret.txt"));

  files->ClearAttributes(fileLink);
  struct stat info {};
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0400u);
  EXPECT_TRUE(files->RemoveFolder(folderLink));
  EXPECT_TRUE(files->Delete(fileLink));
  EXPECT_FALSE(files->RemoveFolder(folder / "D"));  // not empty
  EXPECT_EQ(ListFolder(folder.path()), "D Outside");
  EXPECT_EQ(ListFolder(folder.path() / "Outside"), "keep.txt secret.txt");
}

// The check after an erase: whatever still stands at a path is seen, a link to nothing included.
TEST_F(RealFoldersTest, ExistsSeesEveryEntryThatStandsAndOnlyThem) {
  ASSERT_EQ(symlink((folder / "gone").c_str(), (folder / "dangling").c_str()), 0);
  EXPECT_TRUE(files->Exists(folder / "dangling") && files->Exists(folder / "D/S/"));
  EXPECT_FALSE(files->Exists(folder / "gone") || files->Exists(folder / "D/a.txt/x"));
}

TEST_F(RealFoldersTest, AListFileOutsideTheTemporaryFolderStaysAndAFolderOrPipeIsNoList) {
  std::ofstream(folder / "Outside/ss1A.tmp", std::ios::binary) << folder / "D/a.txt"
                                                               << "\r\n";
  TakeHandOffList(folder / "Outside/ss1A.tmp", wizard.Items(), *files);
  ASSERT_EQ(ListFolder(folder.path() / "Outside"), "keep.txt secret.txt ss1A.tmp");
  fs::create_directory(folder.path() / "ss3.tmp");
  ASSERT_EQ(mkfifo((folder / "ss2.tmp").c_str(), 0600), 0);
  TakeHandOffList(folder / "ss2.tmp", wizard.Items(), *files);
  TakeHandOffList(folder / "ss3.tmp", wizard.Items(), *files);
  EXPECT_EQ(wizard.Items().Count(), 1);
}

}  // namespace
}  // namespace qelwipe
