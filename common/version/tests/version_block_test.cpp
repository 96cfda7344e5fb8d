// A version block made by hand, as windres lays it out: the key ends off a 32-bit boundary.
#include "version_block.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace version_block {
namespace {

std::vector<std::byte> Block(std::u16string_view key, std::uint32_t signature) {
  std::vector<std::byte> bytes;
  const auto put = [&](std::uint32_t value, int size) {
    for (int i = 0; i < size; ++i) bytes.push_back(std::byte(value >> 8 * i));
  };
  put(92, 2), put(52, 2), put(0, 2);
  for (const char16_t c : key) put(c, 2);
  put(0, 4);  // the key's zero and the padding
  put(signature, 4), put(0x10000, 4), put(2 << 16 | 3, 4), put(5 << 16 | 7, 4);
  bytes.resize(92);
  return bytes;
}

TEST(VersionBlockTest, ReadsTheFileVersionOfTheFixedInfoAndNothingElse) {
  const auto block = Block(u"VS_VERSION_INFO", 0xFEEF04BD);
  const auto version = ReadFileVersion(block);
  ASSERT_TRUE(version);
  EXPECT_EQ((std::vector<int>{version->major, version->minor, version->patch, version->revision}),
            (std::vector<int>{2, 3, 5, 7}));
  EXPECT_FALSE(ReadFileVersion(Block(u"VS_VERSION_INFX", 0xFEEF04BD)));
  EXPECT_FALSE(ReadFileVersion(Block(u"VS_VERSION_INFO", 0xFEEF04BE)));
  EXPECT_FALSE(ReadFileVersion(std::span(block).first(91)));
}

}  // namespace
}  // namespace version_block
