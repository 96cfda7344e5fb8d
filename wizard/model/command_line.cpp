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

void GetCommandLine(const std::string& argumentText, ItemsList& items, FileSystem& files) {
  if (argumentText.empty()) return;
  std::vector<std::string> paths;
  if (!listfile::ReadListFile(argumentText, paths)) return;
  for (const auto& path : paths) items.AddSelection(path + '\0' + '\0');
  if (listfile::IsHandOffName(argumentText)) files.Delete(argumentText);
}

}  // namespace qelwipe
