#include "utf.h"

namespace basekit {

std::optional<std::u16string> Utf8ToUtf16(std::string_view text) {
  // The least value each length may carry: anything below is an overlong form.
  static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
  std::u16string wide;
  wide.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    const int extra = lead < 0x80                   ? 0
                      : lead >= 0xC2 && lead < 0xE0 ? 1
                      : lead >= 0xE0 && lead < 0xF0 ? 2
                      : lead >= 0xF0 && lead < 0xF5 ? 3
                                                    : -1;
    if (extra < 0 || text.size() - i <= static_cast<std::size_t>(extra)) return std::nullopt;
    char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
    for (int k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
      if ((next & 0xC0) != 0x80) return std::nullopt;
      c = (c << 6) | (next & 0x3F);
    }
    // Surrogates and values beyond Unicode are no UTF-8 either.
    if (c < kLeast[extra] || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) return std::nullopt;
    if (c >= 0x10000) {
      wide += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
      wide += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
    } else {
      wide += static_cast<char16_t>(c);
    }
    i += static_cast<std::size_t>(extra) + 1;
  }
  return wide;
}

std::optional<std::string> Utf16ToUtf8(std::u16string_view text) {
  std::string narrow;
  narrow.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    if (c >= 0xD800 && c < 0xDC00 && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000)
      c = 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00);
    else if (c >= 0xD800 && c < 0xE000)
      return std::nullopt;
    if (c < 0x80) {
      narrow += static_cast<char>(c);
      continue;
    }
    // The lead byte's marker and payload, then six bits a byte.
    const int extra = c < 0x800 ? 1 : c < 0x10000 ? 2 : 3;
    narrow += static_cast<char>(((0xFF << (7 - extra)) & 0xFF) | (c >> (6 * extra)));
    for (int k = extra - 1; k >= 0; --k) narrow += static_cast<char>(0x80 | ((c >> (6 * k)) & 0x3F));
  }
  return narrow;
}

}  // namespace basekit
