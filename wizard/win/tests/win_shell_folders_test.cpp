// The shell's names in each of the forms it may hand them back in.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "win_shell_folders.h"

namespace qelwipe::win {
namespace {

TEST(TakeStrRetTest, EachFormIsReadUpToItsFirstNulAndNeverPastItsEntry) {
  STRRET wide{};
  wide.uType = STRRET_WSTR;
  wide.pOleStr = static_cast<LPWSTR>(CoTaskMemAlloc(7 * sizeof(wchar_t)));
  std::memcpy(wide.pOleStr, L"C:\\w\0x", 7 * sizeof(wchar_t));
  EXPECT_EQ(TakeStrRet(wide, nullptr), L"C:\\w");
  EXPECT_EQ(wide.pOleStr, nullptr);

  // An entry of 12 bytes whose name stands at offset 4, then the list's ending zero.
  std::vector<BYTE> entry(14, 0);
  entry[0] = 12;
  std::memcpy(&entry[4], "C:\\o\0xyz", 8);
  const auto child = reinterpret_cast<PCUITEMID_CHILD>(entry.data());
  STRRET offset{};
  offset.uType = STRRET_OFFSET;
  offset.uOffset = 4;
  EXPECT_EQ(TakeStrRet(offset, child), L"C:\\o");
  std::memcpy(&entry[4], "C:\\oname", 8);
  entry[12] = '!';
  EXPECT_EQ(TakeStrRet(offset, child), L"C:\\oname");
  offset.uOffset = 12;
  EXPECT_EQ(TakeStrRet(offset, child), std::nullopt);

  STRRET inline_{};
  inline_.uType = STRRET_CSTR;
  std::memcpy(inline_.cStr, "C:\\c\0d", 6);
  EXPECT_EQ(TakeStrRet(inline_, child), L"C:\\c");
  std::memset(inline_.cStr, 'c', sizeof inline_.cStr);
  EXPECT_EQ(TakeStrRet(inline_, child), std::wstring(sizeof inline_.cStr, L'c'));
}

}  // namespace
}  // namespace qelwipe::win
