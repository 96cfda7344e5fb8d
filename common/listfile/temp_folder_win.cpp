#include <windows.h>

#include "list_file.h"

namespace listfile {

namespace {

constexpr DWORD kBufferChars = 1000;

}  // namespace

bool TempFolder(std::string& folder) {
  folder.clear();
  char buffer[kBufferChars];
  const DWORD length = GetTempPathA(kBufferChars, buffer);
  if (length == 0 || length >= kBufferChars) return false;
  folder.assign(buffer, length);
  return true;
}

bool CreateHandOffFile(std::string& path) {
  path.clear();
  std::string folder;
  if (!TempFolder(folder)) return false;
  char buffer[kBufferChars];
  // Unique number 0: the system picks a free name and creates the file.
  if (GetTempFileNameA(folder.c_str(), kHandOffPrefix, 0, buffer) == 0) return false;
  path = buffer;
  return true;
}

}  // namespace listfile
