#pragma once
// The wizard's file-system access through the system's wide calls; paths are UTF-8.
#include <memory>

#include "file_system.h"
#include "file_type_registry.h"

namespace qelwipe::win {

std::unique_ptr<FileSystem> MakeWinFileSystem();
// File-type descriptions under HKEY_CLASSES_ROOT.
std::unique_ptr<FileTypeRegistry> MakeWinFileTypeRegistry();

}  // namespace qelwipe::win
