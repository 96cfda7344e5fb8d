#include "command_line.h"

#include <vector>

#include "list_file.h"

namespace qelwipe {

std::string ArgumentText(std::string_view commandLine) {
  std::size_t i = 0;
  if (!commandLine.empty() && commandLine[0] == '"') {
    const std::size_t close = commandLine.find('"', 1);
    i = close == std::string_view::npos ? commandLine.size() : close + 1;
  } else {
    while (i < commandLine.size() && commandLine[i] != ' ' && commandLine[i] != '\t') ++i;
  }
  while (i < commandLine.size() && (commandLine[i] == ' ' || commandLine[i] == '\t')) ++i;
  return std::string(commandLine.substr(i));
}

namespace {

// The writers name their list files as GetTempFileName does with prefix "ss":
// "ss", a number, ".tmp". Anything else handed to the program is the user's own.
bool IsHandOffName(const std::string& path) {
  const std::size_t end = path.find_last_of("\\/");
  const std::string name = LowerAscii(end == std::string::npos ? path : path.substr(end + 1));
  return name.size() > 6 && name.compare(0, 2, "ss") == 0 && name.compare(name.size() - 4, 4, ".tmp") == 0;
}

}  // namespace

void GetCommandLine(const std::string& argumentText, ItemsList& items, FileSystem& files) {
  if (argumentText.empty()) return;
  std::vector<std::string> paths;
  if (!listfile::ReadListFile(argumentText, paths)) return;
  for (const auto& path : paths) items.AddSelection(path + '\0' + '\0');
  if (IsHandOffName(argumentText)) files.Delete(argumentText);
}

}  // namespace qelwipe
