// Number and text forms of the pages, and how typed numbers are read.
#include <gtest/gtest.h>

#include <limits>

#include "display_text.h"
#include "number_reading.h"

namespace qelwipe {
namespace {

TEST(DisplayTextTest, SizeTextHasInclusiveBoundsTiesToEvenAndNoTrailingZeros) {
  const std::pair<std::uint64_t, const char*> cases[] = {
      {0, " 0 bytes"},          {1024, " 1024 bytes"}, {1025, " 1 KB"},        {1152, " 1.12 KB"},
      {1408, " 1.38 KB"},       {1536, " 1.5 KB"},     {1048576, " 1024 KB"},  {1572864, " 1.5 MB"},
      {1073741824, " 1024 MB"}, {2147483648, " 2 GB"}, {5905580032, " 5.5 GB"}};
  for (const auto& [bytes, text] : cases) EXPECT_EQ(SizeText(bytes), text) << bytes;
}

TEST(DisplayTextTest, NumberTimeAndAttributeForms) {
  EXPECT_EQ(SignPosition(5), " 5");
  EXPECT_EQ(SignPosition(0), " 0");
  EXPECT_EQ(SignPosition(-3), "-3");
  EXPECT_EQ(Plain(5), "5");
  EXPECT_EQ(SignPosition(3221225472), " 3221225472");
  EXPECT_EQ(TimeText({2004, 3, 5, 9, 7, 3}), "3/5/2004 9:7:3");
  EXPECT_EQ(TimeText({1999, 12, 31, 23, 59, 59}), "12/31/1999 23:59:59");
  EXPECT_EQ(AttributeText({.readOnly = true, .archive = true}), "RA");
  EXPECT_EQ(AttributeText({.readOnly = true, .hidden = true, .system = true, .archive = true, .directory = true}),
            "RHSA");
  EXPECT_EQ(AttributeText({}), "");
}

TEST(NumberReadingTest, LeadingNumberTakesWhatCanContinueTheNumber) {
  const std::pair<const char*, double> cases[] = {
      {"3", 3},    {" 1 2\t", 12}, {"2.5x", 2.5}, {"1.2.3", 1.2}, {"abc", 0},   {"", 0},
      {"-4", -4},  {"+7", 7},      {"1e2", 100},  {"1D2", 100},   {"3e", 3},    {"3e+", 3},
      {".5", 0.5}, {".", 0},       {"&H1F", 31},  {"&o17", 15},   {"1e999", 0}, {"4\n2", 42}};
  for (const auto& [text, value] : cases) EXPECT_DOUBLE_EQ(LeadingNumber(text), value) << text;
}

TEST(NumberReadingTest, RoundsHalvesToEvenWithinThe32BitRange) {
  EXPECT_EQ(RoundHalfEven(2.5), 2);
  EXPECT_EQ(RoundHalfEven(3.5), 4);
  EXPECT_EQ(RoundHalfEven(0.4), 0);
  EXPECT_EQ(RoundHalfEven(-2.5), -2);
  EXPECT_EQ(RoundHalfEven(1e20), std::numeric_limits<std::int32_t>::max());
}

TEST(NumberReadingTest, HexFieldsReadAsHexadecimalWithBadInputAsZero) {
  const std::pair<const char*, int> cases[] = {{"FF", 255}, {"ff", 255}, {"0", 0},    {"", 0},
                                               {"1G", 1},   {"G1", 0},   {"7f", 127}, {" A", 10}};
  for (const auto& [field, value] : cases) EXPECT_EQ(ReadHexByte(field), value) << field;
  EXPECT_EQ(ReadHexByte(std::string(400, 'F')), 0);
}

}  // namespace
}  // namespace qelwipe
