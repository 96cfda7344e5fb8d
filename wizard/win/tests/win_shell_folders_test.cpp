// The shell's names in the ANSI forms it may hand them back in.
#include <gtest/gtest.h>

#include <cstring>

#include "win_shell_folders.h"

namespace qelwipe::win {
namespace {

TEST(TakeStrRetTest, AnAnsiNameEndsAtItsFirstNulAndNeverRunsPastItsEntry) {
  // An entry of 12 bytes whose name stands at offset 4; no NUL before the entry ends.
  BYTE entry[14] = {12, 0, 0, 0, 'C', ':', '\\', 'n', 'a', 'm', 'e', 's', '!', '!'};
  const auto child = reinterpret_cast<PCUITEMID_CHILD>(entry);
  STRRET name{};
  name.uType = STRRET_OFFSET;
  name.uOffset = 4;
  EXPECT_EQ(TakeStrRet(name, child), L"C:\\names");
  name.uOffset = 12;
  EXPECT_EQ(TakeStrRet(name, child), std::nullopt);

  name.uType = STRRET_CSTR;
  std::memcpy(name.cStr, "C:\\c\0d", 6);
  EXPECT_EQ(TakeStrRet(name, child), L"C:\\c");
}

}  // namespace
}  // namespace qelwipe::win
