#pragma once
// qelwipe-cli --free-space: one volume's free space filled with a method's passes, then
// given back, with the same question, progress, JSON and exit codes as an erase of files.
#include <string>

#include "cli_run.h"
#include "free_space.h"

namespace qelwipe::cli {

// `root` is where `volume` takes its work folder; the exit code.
int RunFreeSpace(const Options& options, dornix::freespace::Volume& volume, const std::string& root, Console& console);
// The same for the platform's volume that `path` (options.freeSpace in full) names or lies on.
int RunFreeSpaceAt(const Options& options, const std::string& path, Console& console);

// The passes of the method at `method` (a row of the method list), `cycles` times over.
std::vector<dornix::PassSpec> FreeSpacePasses(int method, int cycles);

}  // namespace qelwipe::cli
