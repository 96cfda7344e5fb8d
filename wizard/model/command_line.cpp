#include "command_line.h"

#include <algorithm>

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

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

// The writers name their list files as GetTempFileName does with prefix "ss":
// "ss", up to four hexadecimal digits, ".tmp".
bool IsHandOffName(const std::string& path) {
  const std::size_t end = path.find_last_of("\\/");
  const std::string name = LowerAscii(end == std::string::npos ? path : path.substr(end + 1));
  if (name.size() < 7 || name.size() > 10 || name.compare(0, 2, "ss") != 0 ||
      name.compare(name.size() - 4, 4, ".tmp") != 0)
    return false;
  return std::all_of(name.begin() + 2, name.end() - 4, IsHexDigit);
}

std::string WithoutTrailingSeparators(std::string folder, char separator) {
  while (!folder.empty() && folder.back() == separator) folder.pop_back();
  return folder;
}

// Letter case is ignored, as for the items list's duplicates.
bool InTemporaryFolder(const std::string& path, FileSystem& files) {
  const std::string temporary = files.TemporaryFolder();
  const std::size_t end = path.rfind(files.Separator());
  if (temporary.empty() || end == std::string::npos) return false;
  return LowerAscii(WithoutTrailingSeparators(path.substr(0, end), files.Separator())) ==
         LowerAscii(WithoutTrailingSeparators(temporary, files.Separator()));
}

}  // namespace

void GetCommandLine(const std::string& argumentText, ItemsList& items, FileSystem& files) {
  if (argumentText.empty()) return;
  const auto content = files.ReadRegularFile(argumentText);
  if (!content) return;
  // Each line is one path: one holding a NUL ends there, never splits into a folder and names.
  for (const auto& line : listfile::ParseLines(*content))
    items.AddSelection(line.substr(0, line.find('\0')) + '\0' + '\0');
  // Only a list a writer made for the hand-off goes; anything else handed to the
  // program (a document dropped on it, a file elsewhere) is the user's own.
  if (IsHandOffName(argumentText) && InTemporaryFolder(argumentText, files)) files.Delete(argumentText);
}

}  // namespace qelwipe
