#include "list_file.h"

#include <cstdio>

#include <gtest/gtest.h>

#include "temp_folder.h"

namespace listfile {
namespace {

using Paths = std::vector<std::string>;

TEST(ListFileTest, TakesLinesWholeAndSkipsEmptyAndOneBlankLines) {
  EXPECT_EQ(ParseLines("C:\\a.txt\r\n\r\n \r\nC:\\Dir\r\n"), (Paths{"C:\\a.txt", "C:\\Dir"}));
  EXPECT_EQ(ParseLines("  C:\\lead and trail  \r\n  \r\n"), (Paths{"  C:\\lead and trail  ", "  "}));
}

TEST(ListFileTest, EndsLinesAtCrOrCrLfAndKeepsALastLineWithoutEnding) {
  EXPECT_EQ(ParseLines("a\rb\r\nc"), (Paths{"a", "b", "c"}));
  EXPECT_EQ(ParseLines("a\r\r\nb\r"), (Paths{"a", "b"}));
  // Only CR ends a line: a lone LF belongs to it.
  EXPECT_EQ(ParseLines("a\nb\r\n"), (Paths{"a\nb"}));
  EXPECT_TRUE(ParseLines("").empty());
}

TEST(ListFileTest, WritesCrLfAfterEveryLineAndRefusesPathsThatWouldSplit) {
  std::string content;
  ASSERT_TRUE(FormatLines({"C:\\a.txt", "D:\\b c"}, content));
  EXPECT_EQ(content,
            "\xEF\xBB\xBF"
            "C:\\a.txt\r\nD:\\b c\r\n");
  EXPECT_FALSE(FormatLines({"C:\\a.txt", "C:\\x\r\nC:\\Windows"}, content));
  EXPECT_EQ(content, "");
}

TEST(ListFileTest, AMarkedFileIsUtf8AndAnUnmarkedOneIsAnsiText) {
  EXPECT_EQ(ReadPaths("\xEF\xBB\xBF"
                      "C:\\caf\xC3\xA9\r\nC:\\\xE8\xA1\xA8\r\n"),
            (Paths{"C:\\caf\xC3\xA9", "C:\\\xE8\xA1\xA8"}));
#ifdef _WIN32
  EXPECT_EQ(ReadPaths("C:\\caf\xE9\r\n"), (Paths{"C:\\caf\xC3\xA9"}));  // code page 1252
#else
  EXPECT_EQ(ReadPaths("/caf\xE9\r\n"), (Paths{"/caf\xE9"}));
#endif
}

TEST(ListFileTest, WhatIsWrittenReadsBackInOrder) {
  const Paths paths{"C:\\one.txt", " C:\\two ", "C:\\one.txt"};
  std::string content;
  ASSERT_TRUE(FormatLines(paths, content));
  EXPECT_EQ(content,
            "\xEF\xBB\xBF"
            "C:\\one.txt\r\n C:\\two \r\nC:\\one.txt\r\n");
  EXPECT_EQ(ReadPaths(content), paths);
}

TEST(ListFileTest, TheWriterCreatesAHandOffInTheTempFolderThatReadsBack) {
  const Paths paths{"C:\\a b.txt", " D:\\dir "};
  std::string listFile, folder;
  ASSERT_TRUE(CreateListFile(paths, listFile));
  ASSERT_TRUE(TempFolder(folder));
  EXPECT_EQ(listFile.substr(0, listFile.find_last_of("\\/") + 1), folder);
  EXPECT_TRUE(IsHandOffName(listFile)) << listFile;
  const Paths read = ReadPaths(testing_support::ReadFile(listFile));
  std::remove(listFile.c_str());
  EXPECT_EQ(read, paths);
}

}  // namespace
}  // namespace listfile
