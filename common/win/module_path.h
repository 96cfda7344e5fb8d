#pragma once
// Where a loaded module's file is, as a full path of any length.
#include <windows.h>

#include <string>

namespace winkit {

// `module` null is the program itself; empty when the system gives no path.
inline std::wstring ModuleFileName(HMODULE module = nullptr) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace winkit
