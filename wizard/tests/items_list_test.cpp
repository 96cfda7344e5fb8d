#include "items_list.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace qelwipe {
namespace {

using fakes::FakeFileSystem;
using fakes::FakeRegistry;
using fakes::RecordingView;

class ItemsListTest : public ::testing::Test {
 protected:
  void SetUp() override {
    files.AddFolder("C:\\Data");
    registry.values = {{".txt", "txtfile"}, {"txtfile", "Text Document"}};
  }
  std::vector<std::string> Column(int column) const {
    std::vector<std::string> texts;
    for (int i = 1; i <= items.Count(); ++i) texts.push_back(items.Row(i)[column]);
    return texts;
  }

  FakeFileSystem files;
  FakeRegistry registry;
  RecordingView view;
  int pumps = 0;
  FolderWalk walk{files, [this] { ++pumps; }};
  ItemsList items{files, registry, walk, view};
};

TEST_F(ItemsListTest, AFileRowHoldsItsDetailsAsTexts) {
  files.AddFile("C:\\Data\\Notes.txt", 1152, {.readOnly = true, .archive = true});
  items.AddItem("C:\\Data\\Notes.txt");
  ASSERT_EQ(items.Count(), 1);
  EXPECT_EQ(items.Row(1), (ItemRow{"Notes.txt", "C:\\Data\\", " 1.12 KB", "Text Document", "RA", "3/5/2004 9:7:3",
                                   "3/6/2004 10:0:0", "3/7/2004 23:59:59"}));
  EXPECT_EQ(items.PathAt(1), "C:\\Data\\Notes.txt");
}

TEST_F(ItemsListTest, AFolderRowShowsTheTotalOfEverythingBelowIt) {
  files.AddFolder("C:\\Data\\Sub");
  files.AddFile("C:\\Data\\a.bin", 1000);
  files.AddFile("C:\\Data\\Sub\\b.bin", 24);
  files.AddFolder("C:\\Empty");
  items.AddItem("C:\\Data");
  items.AddItem("C:\\Empty");
  EXPECT_EQ(Column(kName), (std::vector<std::string>{"Data", "Empty"}));
  EXPECT_EQ(Column(kSize), (std::vector<std::string>{" 1024 bytes", " 0 bytes"}));
  EXPECT_EQ(Column(kType), (std::vector<std::string>{"File Folder", "File Folder"}));
  EXPECT_EQ(items.Row(1)[kTimeCreated], "3/5/2004 9:7:3");
  EXPECT_EQ(pumps, 3);  // after each folder measured
}

TEST_F(ItemsListTest, ADriveRootHasAnEmptyNameAndEmptyTimes) {
  files.AddFolder("C:\\");
  items.AddItem("C:\\");
  ASSERT_EQ(items.Count(), 1);
  EXPECT_EQ(items.Row(1)[kName], "");
  EXPECT_EQ(items.Row(1)[kDirectory], "C:\\");
  EXPECT_EQ(items.Row(1)[kTimeModified], "");
}

TEST_F(ItemsListTest, AFileHeldOpenIsListedWithoutTimesAndAVanishedPathNotAtAll) {
  files.AddFile("C:\\Data\\busy.txt", 3);
  files.Lock("C:\\Data\\busy.txt");
  items.AddItem("C:\\Data\\busy.txt");
  items.AddItem("C:\\Data\\gone.txt");
  ASSERT_EQ(items.Count(), 1);
  EXPECT_EQ(items.Row(1)[kTimeCreated], "");
  EXPECT_EQ(items.Row(1)[kSize], " 3 bytes");
}

TEST_F(ItemsListTest, OnlyTheSameFullPathIsADuplicateWhateverItsLetterCase) {
  files.AddFolder("C:\\Other");
  files.AddFile("C:\\Data\\x.txt", 1);
  files.AddFile("C:\\Other\\x.txt", 1);
  items.AddItem("C:\\Data\\x.txt");
  items.AddItem("C:\\Other\\x.txt");
  EXPECT_EQ(items.Count(), 2);
  EXPECT_TRUE(view.messages.empty());

  items.AddItem("c:\\DATA\\X.TXT");
  EXPECT_EQ(items.Count(), 2);
  ASSERT_EQ(view.messages.size(), 1u);
  EXPECT_EQ(view.messages[0].text, "The following Item:X.TXT\r\nHas already been added to the list!");
  EXPECT_EQ(view.messages[0].caption, "Qel Tarnwick Professional ");
  EXPECT_EQ(view.messages[0].buttons, MessageButtons::Ok);
  EXPECT_EQ(view.messages[0].icon, MessageIcon::Information);
}

TEST_F(ItemsListTest, APathRemovedOrClearedFromTheListMayBeAddedAgain) {
  files.AddFile("C:\\Data\\x.txt", 1);
  files.AddFile("C:\\Data\\y.txt", 1);
  items.AddItem("C:\\Data\\x.txt");
  items.AddItem("C:\\Data\\y.txt");
  items.RemoveItem(1);
  items.AddItem("C:\\DATA\\X.txt");
  items.AddItem("c:\\data\\y.TXT");  // still listed
  EXPECT_EQ(items.Count(), 2);
  items.Clear();
  items.AddItem("C:\\Data\\y.txt");
  EXPECT_EQ(items.Count(), 1);
  EXPECT_EQ(view.messages.size(), 1u);
}

TEST_F(ItemsListTest, TypeTextComesFromTheRegistryOrIsFile) {
  files.AddFolder("C:\\My.Folder");
  EXPECT_EQ(FileTypeText("C:\\Data\\a.txt", registry), "Text Document");
  EXPECT_EQ(FileTypeText("C:\\Data\\a.xyz", registry), "File");
  registry.values[".half"] = "halfclass";  // class without a description
  EXPECT_EQ(FileTypeText("C:\\Data\\a.half", registry), "File");
  // No extension: the text from the folder's period on is looked up.
  registry.values[".Folder\\README"] = "txtfile";
  EXPECT_EQ(FileTypeText("C:\\My.Folder\\README", registry), "Text Document");
}

TEST_F(ItemsListTest, SelectionFieldsShowLowerCasedAndAreJoinedToTheirFolder) {
  files.AddFile("C:\\Data\\One.TXT", 1);
  files.AddFile("C:\\Data\\Two.txt", 1);
  files.AddFile("C:\\Data\\Three.txt", 1);
  items.AddPicked("C:\\Data", {"One.TXT", "Two.txt"});
  EXPECT_EQ(Column(kName), (std::vector<std::string>{"one.txt", "two.txt"}));
  EXPECT_EQ(Column(kDirectory), (std::vector<std::string>{"c:\\data\\", "c:\\data\\"}));

  items.AddPaths({"C:\\Data\\Three.txt"});
  EXPECT_EQ(items.Row(3)[kName], "three.txt");
  // The path is erased as it was given; AddItem's rows show it that way too.
  EXPECT_EQ(items.PathAt(3), "C:\\Data\\Three.txt");
  files.AddFile("C:\\Data\\Four.txt", 1);
  items.AddItem("C:\\Data\\Four.txt");
  EXPECT_EQ(items.PathAt(4), "C:\\Data\\Four.txt");
}

TEST_F(ItemsListTest, ARootFolderInASelectionGetsASecondBackslash) {
  files.AddFile("c:\\\\boot.ini", 1);
  items.AddPicked("C:\\", {"BOOT.INI"});
  ASSERT_EQ(items.Count(), 1);
  EXPECT_EQ(items.Row(1)[kDirectory], "c:\\\\");
}

TEST_F(ItemsListTest, SortingByAColumnFlipsOnlyOnASecondClickAndKeepsNewRowsInPlace) {
  for (const char* name : {"b.txt", "C.txt", "a.txt"}) {
    files.AddFile(std::string("C:\\Data\\") + name, 1);
    items.AddItem(std::string("C:\\Data\\") + name);
  }
  items.SortByColumn(kName);
  EXPECT_EQ(Column(kName), (std::vector<std::string>{"a.txt", "b.txt", "C.txt"}));
  items.SortByColumn(kName);
  EXPECT_EQ(Column(kName), (std::vector<std::string>{"C.txt", "b.txt", "a.txt"}));
  EXPECT_TRUE(items.SortDescending());
  // Another column keeps the direction.
  items.SortByColumn(kDirectory);
  EXPECT_TRUE(items.SortDescending());
  items.SortByColumn(kName);
  EXPECT_EQ(Column(kName), (std::vector<std::string>{"C.txt", "b.txt", "a.txt"}));
  files.AddFile("C:\\Data\\bb.txt", 1);
  items.AddItem("C:\\Data\\bb.txt");
  EXPECT_EQ(Column(kName), (std::vector<std::string>{"C.txt", "bb.txt", "b.txt", "a.txt"}));
  EXPECT_EQ(items.PathAt(2), "C:\\Data\\bb.txt");
}

TEST(FolderWalkTest, LinksAreCountedWhereTheyStandButNeverEntered) {
  FakeFileSystem files;
  files.AddFolder("C:\\Top");
  files.AddFile("C:\\Top\\a.bin", 10);
  files.AddFolder("C:\\Elsewhere");
  files.AddFile("C:\\Elsewhere\\big.bin", 5000);
  files.AddLink("C:\\Top\\ToElsewhere", "C:\\Elsewhere", true);
  files.AddLink("C:\\Top\\file-link", "C:\\Elsewhere\\big.bin", false);
  files.AddFolder("C:\\Top\\Odd");
  files.HideAttributes("C:\\Top\\Odd");
  FolderWalk walk{files, {}};
  const FolderTotals top = walk.Measure("C:\\Top");
  EXPECT_EQ(top.bytes, 10u);
  EXPECT_EQ(top.files, 2u);
  EXPECT_EQ(top.folders, 2u);  // the folder link and the unreadable entry

  files.AddLink("C:\\Link", "C:\\Elsewhere", true);
  const FolderTotals link = walk.Measure("C:\\Link");
  EXPECT_EQ(link.bytes, 0u);
  EXPECT_EQ(link.files + link.folders, 0u);
}

}  // namespace
}  // namespace qelwipe
