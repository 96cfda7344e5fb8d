#include "version_block.h"

#include <string_view>

namespace version_block {
namespace {

// Little-endian, as every Windows resource is.
std::uint32_t Read(std::span<const std::byte> bytes, std::size_t offset, std::size_t size) {
  std::uint32_t value = 0;
  for (std::size_t i = size; i-- > 0;) value = value << 8 | std::to_integer<std::uint32_t>(bytes[offset + i]);
  return value;
}

constexpr std::u16string_view kRootKey = u"VS_VERSION_INFO";
constexpr std::uint32_t kFixedSignature = 0xFEEF04BD;
constexpr std::size_t kFixedInfoSize = 13 * 4;  // VS_FIXEDFILEINFO

}  // namespace

std::optional<FileVersion> ReadFileVersion(std::span<const std::byte> block) {
  // wLength, wValueLength, wType, then the key with its terminating zero, then the
  // value (the fixed file info) on the next 32-bit boundary.
  constexpr std::size_t keyOffset = 6, valueOffset = (keyOffset + (kRootKey.size() + 1) * 2 + 3) & ~std::size_t{3};
  if (block.size() < valueOffset + kFixedInfoSize) return std::nullopt;
  const std::size_t length = Read(block, 0, 2), valueLength = Read(block, 2, 2);
  if (length > block.size() || valueLength < kFixedInfoSize || valueOffset + kFixedInfoSize > length)
    return std::nullopt;
  for (std::size_t i = 0; i <= kRootKey.size(); ++i) {
    const char16_t expected = i < kRootKey.size() ? kRootKey[i] : u'\0';
    if (Read(block, keyOffset + i * 2, 2) != expected) return std::nullopt;
  }
  if (Read(block, valueOffset, 4) != kFixedSignature) return std::nullopt;
  const std::uint32_t high = Read(block, valueOffset + 8, 4), low = Read(block, valueOffset + 12, 4);
  return FileVersion{static_cast<std::uint16_t>(high >> 16), static_cast<std::uint16_t>(high),
                     static_cast<std::uint16_t>(low >> 16), static_cast<std::uint16_t>(low)};
}

}  // namespace version_block
