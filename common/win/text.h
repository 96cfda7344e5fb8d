#pragma once
// Text at the system boundary: the portable code keeps UTF-8, the system takes
// UTF-16. A conversion either gives the whole text or nothing, as a text cut or
// best-fitted on the way could name another file.
#include <windows.h>

#include <optional>
#include <string>
#include <string_view>

#include "utf.h"

namespace winkit {

// The system's wide characters are UTF-16 code units.
static_assert(sizeof(wchar_t) == sizeof(char16_t));

// Malformed UTF-8 gives nothing.
inline std::optional<std::wstring> Utf8ToWide(std::string_view text) {
  const auto wide = basekit::Utf8ToUtf16(text);
  if (!wide) return std::nullopt;
  return std::wstring(wide->begin(), wide->end());
}

// A lone surrogate (possible in a file name) has no UTF-8 form: nothing.
inline std::optional<std::string> WideToUtf8(std::wstring_view text) {
  return basekit::Utf16ToUtf8(std::u16string(text.begin(), text.end()));
}

// Text of the system's ANSI code page (older list files); bytes the code page does not define give nothing.
inline std::optional<std::wstring> AnsiToWide(std::string_view text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, nullptr, 0);
  if (length <= 0) return std::nullopt;
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  if (MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, text.data(), size, wide.data(), length) != length)
    return std::nullopt;
  return wide;
}

// A full path in the form that lifts the 260-character limit and keeps names
// ending in a dot or a blank: "C:\x" becomes "\\?\C:\x", "\\server\share\x"
// becomes "\\?\UNC\server\share\x", '/' becomes '\'. The system does no more
// parsing of such a path, so the caller gives it whole and without "." or ".."
// components. A path already in a namespace ("\\?\", "\\.\") or a relative one
// comes back as it is.
inline std::wstring ExtendedLengthPath(std::wstring_view path) {
  std::wstring text(path);
  if (text.starts_with(LR"(\\?\)") || text.starts_with(LR"(\\.\)") || text.starts_with(LR"(\??\)")) return text;
  for (wchar_t& c : text)
    if (c == L'/') c = L'\\';
  const bool driveAbsolute = text.size() >= 3 && text[1] == L':' && text[2] == L'\\' &&
                             ((text[0] >= L'A' && text[0] <= L'Z') || (text[0] >= L'a' && text[0] <= L'z'));
  if (driveAbsolute) return LR"(\\?\)" + text;
  if (text.starts_with(LR"(\\)") && text.size() > 2 && text[2] != L'\\') return LR"(\\?\UNC\)" + text.substr(2);
  return text;
}

}  // namespace winkit
