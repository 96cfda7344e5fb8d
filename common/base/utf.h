#pragma once
// UTF-8 and UTF-16, whole or not at all: a text cut or patched on the way could name
// another file. Malformed UTF-8 (overlong forms, surrogates, values beyond Unicode, a
// sequence cut short) and a lone surrogate in UTF-16 give nothing.
#include <optional>
#include <string>
#include <string_view>

namespace basekit {

std::optional<std::u16string> Utf8ToUtf16(std::string_view text);
std::optional<std::string> Utf16ToUtf8(std::u16string_view text);

}  // namespace basekit
