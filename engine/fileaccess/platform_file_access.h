#pragma once
// The file-access layer of the platform the engine is built for.
#include <memory>

#include "file_access.h"

namespace dornix {

std::unique_ptr<FileAccess> MakePlatformFileAccess();

}  // namespace dornix
