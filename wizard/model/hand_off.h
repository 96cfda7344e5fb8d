#pragma once
// The start-up intake: the hand-off list file named on the command line.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "file_system.h"
#include "items_list.h"

namespace qelwipe {

// What follows the program's own name (quoted or not) and the blanks after it,
// taken whole: never split at blanks; one pair of quotes around all of it is removed.
std::string ArgumentText(std::string_view commandLine);

// A hand-off list names paths, one a line: no list that is one comes near this size,
// and a file beyond it is refused whole rather than read into memory.
inline constexpr std::uint64_t kLongestListFile = 64ull << 20;

struct HandOffIntake {
  bool tooLarge = false;  // longer than kLongestListFile: nothing was taken
  // Listed files that moves still pending for the next system start will replace: a
  // user who logs on again before restarting would otherwise have them erased empty.
  std::vector<std::string> waiting;
};

// Adds every full path of the list file to the items (ItemsList::AddPaths), but for the
// targets of moves still pending (`pendingMoves`), then deletes the file if it
// bears a list file's name in the user's folder for temporary files. A line that is no
// full path is skipped: it would be looked for in whatever folder is current when the
// erase runs. An empty argument, a folder or a pipe adds nothing; a file that cannot be
// read is left where it is.
HandOffIntake TakeHandOffList(const std::string& argumentText, ItemsList& items, FileSystem& files,
                              const std::vector<std::string>& pendingMoves = {});

}  // namespace qelwipe
