#pragma once
// The wizard's system actions on Windows.
#include <memory>
#include <string>

#include "system_actions.h"

namespace qelwipe::win {

// Where the user's start-once commands are kept, under HKEY_CURRENT_USER.
inline constexpr wchar_t kRunOnceKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

// The records start a program again (to make the moves with an administrator's rights, and
// at the next logon): the one named `wizardFile` beside this one, or this very program.
std::unique_ptr<SystemActions> MakeWinSystemActions(std::wstring wizardFile = {});

}  // namespace qelwipe::win
