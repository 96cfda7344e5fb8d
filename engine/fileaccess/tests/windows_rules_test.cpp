// What reaches the Windows file system and what it must accept; tested in both builds.
#include "windows_rules.h"

#include <gtest/gtest.h>

namespace dornix::windows_rules {
namespace {

// Any program can hand the control a name: a device or a volume must never be opened for writing.
TEST(WindowsRulesTest, DevicesAndVolumesAreRefusedAndNonPathsAreNoNames) {
  for (const char16_t* device : {u"\\\\.\\PhysicalDrive0", u"//./C:", u"\\??\\C:\\x", u"CON", u"C:\\d\\Lpt9 .log",
                                 u"\\\\?\\GLOBALROOT\\Device\\Harddisk0\\Partition1", u"\\\\?\\Volume{1}\\x"})
    EXPECT_EQ(CheckName(device), win_error::kAccessDenied);
  for (const char16_t* noPath : {u"", u"C:\\d\\*.txt", u"C:\\d\\x.txt:secret"})
    EXPECT_EQ(CheckName(noPath), win_error::kInvalidName);
  for (const char16_t* file : {u"C:\\d\\console.txt", u"\\\\?\\C:\\d\\name.", u"\\\\server\\share\\x"})
    EXPECT_EQ(CheckName(file), 0);

  PathParts parts;
  ASSERT_EQ(SplitFullPath(u"\\\\?\\UNC\\server\\share\\a\\b.txt", parts), 0);
  EXPECT_EQ(parts.root, u"\\\\?\\UNC\\server\\share\\");
  EXPECT_EQ(parts.names, (std::vector<std::u16string_view>{u"a", u"b.txt"}));
  EXPECT_EQ(SplitFullPath(u"\\\\?\\C:\\a\\..\\b.txt", parts), win_error::kInvalidName);
}

// Wine shows no link to a file and no junction: the decision on what a handle opened is checked here.
TEST(WindowsRulesTest, OnlyAPlainSingleNamedFileBelowPlainFoldersIsAccepted) {
  EXPECT_EQ(CheckFile({true, true, false, 0, 1}), 0);
  EXPECT_EQ(CheckFile({true, true, false, 0x80000013, 1}), 0) << "deduplicated: still this file";
  EXPECT_EQ(CheckFile({true, true, false, 0xA000000C, 1}), win_error::kAccessDenied) << "a symbolic link";
  EXPECT_EQ(CheckFile({true, true, false, 0, 2}), win_error::kAccessDenied) << "a second name";
  EXPECT_EQ(CheckFile({true, false, false, 0, 1}), win_error::kAccessDenied) << "a device";
  EXPECT_EQ(CheckFolder({true, true, true, 0, 1}), 0);
  EXPECT_EQ(CheckFolder({true, true, true, 0xA0000003, 1}), win_error::kAccessDenied) << "a junction";
}

}  // namespace
}  // namespace dornix::windows_rules
