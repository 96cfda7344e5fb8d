#pragma once
// The shell's special folders through its folder and enumeration interfaces.
#include <windows.h>
#include <shlobj.h>

#include <memory>
#include <optional>
#include <string>

#include "shell_folders.h"

namespace qelwipe::win {

std::unique_ptr<ShellFolders> MakeWinShellFolders();

// A name the shell handed back in any of its three forms, up to its first NUL; a
// wide string is freed here. Empty when it cannot be read.
std::optional<std::wstring> TakeStrRet(STRRET& name, PCUITEMID_CHILD entry);

}  // namespace qelwipe::win
