#pragma once
// The start-up intake: the list file named on the command line.
#include <string>
#include <string_view>

#include "file_system.h"
#include "items_list.h"

namespace qelwipe {

// What follows the program's own name (quoted or not) and the blanks after it,
// taken whole: never split at blanks; one pair of quotes around all of it is removed.
std::string ArgumentText(std::string_view commandLine);

// Adds every path of the list file to the items, as a selection of its own,
// then deletes the file if it bears a list file's name in the user's folder for
// temporary files. An empty argument, a folder or a pipe adds nothing; a file
// that cannot be read is left where it is.
void GetCommandLine(const std::string& argumentText, ItemsList& items, FileSystem& files);

}  // namespace qelwipe
