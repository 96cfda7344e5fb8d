#include "utf.h"

#include <gtest/gtest.h>

namespace {

TEST(UtfTest, ConversionsGiveTheWholeTextOrNothing) {
  const std::string utf8 = "C:\\\xC3\xA9\xE6\x96\x87\\\xF0\x9F\x94\xA5.txt";
  const std::u16string utf16 = u"C:\\\u00E9\u6587\\\U0001F525.txt";
  EXPECT_EQ(basekit::Utf8ToUtf16(utf8), utf16);
  EXPECT_EQ(basekit::Utf16ToUtf8(utf16), utf8);
  // A stray continuation byte, a cut sequence, overlong forms, an encoded surrogate, beyond U+10FFFF.
  for (const char* bad : {"a\x80", "a\xE6\x96", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80"})
    EXPECT_FALSE(basekit::Utf8ToUtf16(bad)) << bad;
  for (const std::u16string bad : {u"a\xD800", u"\xDC00z", u"\xD800\xD800"}) EXPECT_FALSE(basekit::Utf16ToUtf8(bad));
}

}  // namespace
