#include <windows.h>

#include <algorithm>

#include "handles.h"
#include "list_file.h"
#include "text.h"

namespace listfile {

namespace {

constexpr DWORD kBufferChars = 1000;

// The file the system has just made, filled unshared: no reader sees half a list.
bool WriteWhole(const wchar_t* name, std::string_view content) {
  const winkit::UniqueFile file(
      CreateFileW(name, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  while (!content.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(content.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(file.get(), content.data(), chunk, &written, nullptr) || written == 0) return false;
    content.remove_prefix(written);
  }
  return true;
}

}  // namespace

std::optional<std::string> AnsiToUtf8(std::string_view line) {
  const auto wide = winkit::AnsiToWide(line);
  return wide ? winkit::WideToUtf8(*wide) : std::nullopt;
}

bool TempFolder(std::string& folder) {
  folder.clear();
  wchar_t buffer[kBufferChars];
  const DWORD length = GetTempPathW(kBufferChars, buffer);
  if (length == 0 || length >= kBufferChars) return false;
  auto converted = winkit::WideToUtf8(std::wstring_view(buffer, length));
  if (!converted) return false;
  folder = std::move(*converted);
  return true;
}

bool CreateHandOffFile(std::string_view content, std::string& path) {
  path.clear();
  wchar_t folder[kBufferChars];
  const DWORD length = GetTempPathW(kBufferChars, folder);
  if (length == 0 || length >= kBufferChars) return false;
  const std::wstring prefix(kHandOffPrefix, kHandOffPrefix + sizeof kHandOffPrefix - 1);
  wchar_t buffer[kBufferChars + MAX_PATH];
  // Unique number 0: the system picks a free name and creates the file.
  if (GetTempFileNameW(folder, prefix.c_str(), 0, buffer) == 0) return false;
  auto converted = winkit::WideToUtf8(buffer);
  if (!converted || !WriteWhole(buffer, content)) {
    DeleteFileW(buffer);
    return false;
  }
  path = std::move(*converted);
  return true;
}

}  // namespace listfile
