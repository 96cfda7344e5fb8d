#pragma once
// Reads a module's version block (the VS_VERSIONINFO bytes of its RT_VERSION resource)
// without the system's version library, which is no KnownDLL: a copy planted beside
// the program would be loaded in its place. Portable, so the parsing is tested natively.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace version_block {

// The file version of the block's fixed file info (FILEVERSION a, b, c, d).
struct FileVersion {
  std::uint16_t major = 0, minor = 0, patch = 0, revision = 0;
};

// Nothing when the bytes are no VS_VERSIONINFO with a fixed file info.
std::optional<FileVersion> ReadFileVersion(std::span<const std::byte> block);

}  // namespace version_block
