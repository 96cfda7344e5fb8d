#pragma once
// The wizard's file-system access on POSIX systems. Read-only stands for a
// missing owner write permission, hidden for a leading period; links are
// reported as links and never followed.
#include <memory>

#include "file_system.h"

namespace qelwipe {

std::unique_ptr<FileSystem> MakePosixFileSystem();

}  // namespace qelwipe
