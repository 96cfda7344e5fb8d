#pragma once
// The wizard's system actions on Windows.
#include <memory>

#include "system_actions.h"

namespace qelwipe::win {

// Where the user's start-once commands are kept, under HKEY_CURRENT_USER.
inline constexpr wchar_t kRunOnceKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\RunOnce";

std::unique_ptr<SystemActions> MakeWinSystemActions();

}  // namespace qelwipe::win
