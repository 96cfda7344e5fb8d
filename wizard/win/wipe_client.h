#pragma once
// The engine as the registered Wipe control: created through COM, its OnProgress
// events taken through a connection point. Nothing of the engine is linked into
// the program.
#include <memory>

#include "erase_engine.h"

namespace qelwipe::win {

// The registered control, or when none is registered the one of the dornix.dll
// beside the program; when neither can be created, an engine that refuses
// every file (so nothing is deleted unerased).
std::unique_ptr<EraseEngine> CreateWipeClient();

}  // namespace qelwipe::win
