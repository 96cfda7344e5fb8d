#include "text.h"

#include <gtest/gtest.h>

namespace {

TEST(TextTest, ConversionsGiveTheWholeTextOrNothing) {
  const std::string utf8 = "C:\\\xE6\x96\x87\xE6\xA1\xA3\\\xD0\xBF\xD1\x80\xD0\xB8 \xF0\x9F\x94\xA5.txt";
  const auto wide = winkit::Utf8ToWide(utf8);
  ASSERT_TRUE(wide);
  EXPECT_EQ(*wide, L"C:\\\u6587\u6863\\\u043F\u0440\u0438 \U0001F525.txt");
  EXPECT_EQ(winkit::WideToUtf8(*wide), utf8);
  EXPECT_FALSE(winkit::Utf8ToWide("C:\\\xFF.txt"));
  EXPECT_FALSE(
      winkit::WideToUtf8(std::wstring(L"a\xD800"
                                      L"b")));
}

TEST(TextTest, FullPathsTakeTheExtendedLengthForm) {
  EXPECT_EQ(winkit::ExtendedLengthPath(L"C:/docs/name. "), L"\\\\?\\C:\\docs\\name. ");
  EXPECT_EQ(winkit::ExtendedLengthPath(L"\\\\server\\share\\x"), L"\\\\?\\UNC\\server\\share\\x");
  EXPECT_EQ(winkit::ExtendedLengthPath(L"\\\\?\\C:\\x."), L"\\\\?\\C:\\x.");
  EXPECT_EQ(winkit::ExtendedLengthPath(L"\\\\.\\PhysicalDrive0"), L"\\\\.\\PhysicalDrive0");
  EXPECT_EQ(winkit::ExtendedLengthPath(L"relative\\x"), L"relative\\x");
}

}  // namespace
