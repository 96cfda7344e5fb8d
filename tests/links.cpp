#include "links.h"

#ifdef _WIN32
#include <windows.h>

#include <string>
#else
#include <unistd.h>
#endif

namespace testing_support {

#ifdef _WIN32
namespace {

// Wine's own export: the Unix name of a Windows path, allocated on the process heap.
using UnixName = char*(CDECL*)(LPCWSTR);

UnixName WineUnixName() {
  return reinterpret_cast<UnixName>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
}

// A Wine process is a Linux process: the kernel's own calls (x86-64 numbers) make the link.
long LinuxCall(long number, const char* first, const char* second) {
  long result;
  asm volatile("syscall" : "=a"(result) : "a"(number), "D"(first), "S"(second) : "rcx", "r11", "memory");
  return result;
}
constexpr long kLinuxUnlink = 87, kLinuxSymlink = 88;

std::string Unix(UnixName unixName, const std::filesystem::path& path) {
  char* name = unixName(path.wstring().c_str());
  if (!name) return {};
  std::string text(name);
  HeapFree(GetProcessHeap(), 0, name);
  return text;
}

}  // namespace

bool MakeLink(const std::filesystem::path& target, const std::filesystem::path& link) {
  if (const UnixName unixName = WineUnixName()) {
    // The link's own name does not exist yet: its folder's Unix name, and the name.
    const std::string folder = Unix(unixName, link.parent_path()), to = Unix(unixName, target);
    const std::string at = folder + "/" + link.filename().string();
    return !folder.empty() && !to.empty() && LinuxCall(kLinuxSymlink, to.c_str(), at.c_str()) == 0;
  }
  const DWORD flags = (std::filesystem::is_directory(target) ? SYMBOLIC_LINK_FLAG_DIRECTORY : 0) |
                      SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE;
  return CreateSymbolicLinkW(link.wstring().c_str(), target.wstring().c_str(), flags) != 0;
}

void RemoveLink(const std::filesystem::path& link) {
  if (const UnixName unixName = WineUnixName()) {
    const std::string at = Unix(unixName, link.parent_path()) + "/" + link.filename().string();
    LinuxCall(kLinuxUnlink, at.c_str(), nullptr);
  } else if (!DeleteFileW(link.wstring().c_str())) {
    RemoveDirectoryW(link.wstring().c_str());
  }
}
#else
bool MakeLink(const std::filesystem::path& target, const std::filesystem::path& link) {
  return symlink(target.c_str(), link.c_str()) == 0;
}

void RemoveLink(const std::filesystem::path& link) { unlink(link.c_str()); }
#endif

}  // namespace testing_support
