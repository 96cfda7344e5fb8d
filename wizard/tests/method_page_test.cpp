#include "method_page.h"

#include <gtest/gtest.h>

namespace qelwipe {
namespace {

TEST(MethodPageTest, OpensOnQuickRandomWithThreeCyclesAndNoHexFields) {
  MethodPage page;
  page.SetCyclesText("9");
  page.SelectDefaults();
  EXPECT_EQ(page.Selected(), 1);
  EXPECT_EQ(page.CyclesText(), "3");
  EXPECT_EQ(page.HexFieldsShown(), 0);
  EXPECT_EQ(page.MethodName(), "Quick Random Wiping (1 pass)");
  EXPECT_EQ(page.Description(), kMethods[1].description);
}

TEST(MethodPageTest, SelectionShowsTheHexFieldsItsMethodUsesAndKeepsTheirValues) {
  MethodPage page;
  page.SelectDefaults();
  page.SelectMethod(9);
  EXPECT_EQ(page.HexFieldsShown(), 1);
  EXPECT_EQ(page.MethodName(), "Quick Fill 0xHex value (1 passes)");
  EXPECT_EQ(page.HexText(1), "FF");
  page.SelectMethod(10);
  EXPECT_EQ(page.HexFieldsShown(), 3);
  EXPECT_EQ(page.MethodName(), "Government Wipe (3 passes)");
  EXPECT_EQ(page.HexText(2), "00");
  EXPECT_EQ(page.HexText(3), "FF");
  page.SelectMethod(8);
  EXPECT_EQ(page.HexFieldsShown(), 0);
  EXPECT_EQ(page.Description(), kMethods[8].description);
  // No choice: fields hidden, the description stays.
  page.SelectMethod(-1);
  EXPECT_EQ(page.HexFieldsShown(), 0);
  EXPECT_EQ(page.Description(), kMethods[8].description);
}

TEST(MethodPageTest, CycleCountOfZeroOrLessBecomesThreeAndHalvesGoToEven) {
  const std::tuple<const char*, int, const char*> cases[] = {{"0", 3, "3"},     {"-2", 3, "3"},   {"abc", 3, "3"},
                                                             {"", 3, "3"},      {"7", 7, "7"},    {"2.5", 2, "2.5"},
                                                             {"3.5", 4, "3.5"}, {"0.4", 0, "0.4"}};
  for (const auto& [typed, rounds, after] : cases) {
    MethodPage page;
    page.SetCyclesText(typed);
    EXPECT_EQ(page.ReadCycleCount(), rounds) << typed;
    EXPECT_EQ(page.CyclesText(), after) << typed;
  }
}

TEST(MethodPageTest, SpinStaysWithinZeroAndHundredAndHexFieldsHoldTwoCharacters) {
  MethodPage page;
  page.SetCyclesText("99");
  page.SpinCycles(1);
  page.SpinCycles(1);
  EXPECT_EQ(page.CyclesText(), "100");
  page.SetCyclesText("1");
  page.SpinCycles(-1);
  page.SpinCycles(-1);
  EXPECT_EQ(page.CyclesText(), "0");
  page.SetHexText(1, "7f3");
  EXPECT_EQ(page.HexText(1), "7f");
  EXPECT_EQ(page.HexByte(1), 127);
  page.SetHexText(2, "");
  EXPECT_EQ(page.HexByte(2), 0);
}

}  // namespace
}  // namespace qelwipe
