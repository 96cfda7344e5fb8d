// What reaches the Windows file system and what it must accept; tested in both builds.
#include "entry_rules.h"

#include <gtest/gtest.h>

namespace pathguard {
namespace {

// Any program can hand the control a name: a device or a volume must never be opened for writing.
TEST(EntryRulesTest, DevicesAndVolumesAreRefusedAndNonPathsAreNoNames) {
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
TEST(EntryRulesTest, OnlyAPlainSingleNamedFileBelowPlainFoldersIsAccepted) {
  using namespace attribute;
  EXPECT_EQ(CheckFile({true, true, kArchive | kReadOnly, 0, 1}), 0);
  EXPECT_EQ(CheckFile({true, true, kReparsePoint, 0xA000000C, 1}), win_error::kAccessDenied) << "a symbolic link";
  EXPECT_EQ(CheckFile({true, true, kReparsePoint, 0, 1}), win_error::kAccessDenied) << "a tag that cannot be read";
  EXPECT_EQ(CheckFile({true, true, kArchive, 0, 2}), win_error::kAccessDenied) << "a second name";
  EXPECT_EQ(CheckFile({true, false, kArchive, 0, 1}), win_error::kAccessDenied) << "a device";
  EXPECT_EQ(CheckFolder({true, true, kDirectory, 0, 1}), 0);
  EXPECT_EQ(CheckFolder({true, true, kDirectory | kReparsePoint, 0x9000001A, 1}), 0) << "a cloud folder";
  EXPECT_EQ(CheckFolder({true, true, kDirectory | kReparsePoint, 0xA0000003, 1}), win_error::kAccessDenied)
      << "a junction";
  EXPECT_EQ(CheckFolder({true, true, kDirectory | kReparsePoint, 0, 1}), win_error::kAccessDenied);
}

// NTFS writes these elsewhere than where their old contents lie; a link stays refused as a link.
TEST(EntryRulesTest, FilesAnOverwriteWouldNotReachInPlaceAreNotSupported) {
  using namespace attribute;
  const std::pair<std::uint32_t, std::uint32_t> kinds[] = {
      {kCompressed, 0},
      {kEncrypted, 0},
      {kSparseFile, 0},
      {kIntegrityStream, 0},
      {kOffline, 0},
      {kRecallOnDataAccess, 0},
      {kRecallOnOpen, 0},
      {kReparsePoint, 0x80000017},                     // Compact OS (WOF)
      {kReparsePoint, 0x80000013},                     // deduplicated
      {kReparsePoint | kRecallOnDataAccess, 0x9000601A}  // a cloud placeholder
  };
  for (const auto& [attributes, tag] : kinds)
    EXPECT_EQ(CheckFile({true, true, kArchive | attributes, tag, 1}), win_error::kNotSupported) << std::hex << attributes;

  EXPECT_EQ(NamedDataStream(u":Zone.Identifier:$DATA"), u"Zone.Identifier");
  for (const char16_t* notNamed : {u"::$DATA", u":$DATA", u":x:$INDEX_ALLOCATION", u""})
    EXPECT_FALSE(NamedDataStream(notNamed)) << "not a named data stream";
}

}  // namespace
}  // namespace pathguard
