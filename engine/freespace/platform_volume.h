#pragma once
// The volume of the platform the program is built for.
#include <memory>
#include <string>

#include "free_space.h"

namespace dornix::freespace {

// The volume that `path` names (a drive letter, a mounted folder, a mount point) or lies on;
// `root` is where its work folder goes. Nothing, with the error, when there is no such volume.
std::unique_ptr<Volume> OpenVolume(const std::string& path, std::string& root, ErrorCode& error);

}  // namespace dornix::freespace
