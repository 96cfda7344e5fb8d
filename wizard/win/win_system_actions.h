#pragma once
// The wizard's system actions on Windows.
#include <memory>

#include "system_actions.h"

namespace qelwipe::win {

std::unique_ptr<SystemActions> MakeWinSystemActions();

}  // namespace qelwipe::win
