#pragma once
// The wizard's file-system access through the system's wide calls; paths are UTF-8.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "file_system.h"
#include "file_type_registry.h"

namespace qelwipe::win {

std::unique_ptr<FileSystem> MakeWinFileSystem();
// The whole content of a regular file of at most `limit` bytes; nothing for anything else.
std::optional<std::string> ReadWholeFile(const std::string& path, std::uint64_t limit);
// File-type descriptions under HKEY_CLASSES_ROOT.
std::unique_ptr<FileTypeRegistry> MakeWinFileTypeRegistry();

}  // namespace qelwipe::win
