#include "hand_off.h"

#include <set>

#include "folder_walk.h"
#include "list_file.h"
#include "shell_folders.h"

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
  std::string_view argument = commandLine.substr(i);
  // The shell extension quotes the list file's path, as a path with blanks must be.
  if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"')
    argument = argument.substr(1, argument.size() - 2);
  return std::string(argument);
}

namespace {

// A path as the system's pending moves and a long list name it alike: without "\\?\" or "\??\".
std::string WithoutNamespace(const std::string& path) {
  return path.starts_with("\\\\?\\") || path.starts_with("\\??\\") ? path.substr(4) : path;
}

// Letter case is ignored, as for the items list's duplicates. Both folders are taken with
// their trailing separators, which the system gives the temporary one, then cut alike: a
// root keeps its own on both sides.
bool InTemporaryFolder(const std::string& path, FileSystem& files) {
  const std::string temporary = files.TemporaryFolder();
  const std::size_t end = path.rfind(files.Separator());
  if (temporary.empty() || end == std::string::npos) return false;
  return files.FoldCase(WithoutTrailingSeparators(path.substr(0, end + 1), files.Separator())) ==
         files.FoldCase(WithoutTrailingSeparators(temporary, files.Separator()));
}

}  // namespace

HandOffIntake TakeHandOffList(const std::string& argumentText, ItemsList& items, FileSystem& files,
                              const std::vector<std::string>& pendingMoves) {
  HandOffIntake intake;
  if (argumentText.empty()) return intake;
  if (files.FileLength(argumentText).value_or(0) > kLongestListFile) {
    intake.tooLarge = true;
    return intake;
  }
  const auto content = files.ReadRegularFile(argumentText, kLongestListFile);
  if (!content) return intake;
  std::set<std::string> pending;
  for (const auto& target : pendingMoves) pending.insert(files.FoldCase(WithoutNamespace(target)));
  std::vector<std::string> listed;
  for (auto& path : listfile::ReadPaths(*content)) {
    if (!IsFullPath(path, files.Separator())) continue;
    if (pending.contains(files.FoldCase(WithoutNamespace(path))))
      intake.waiting.push_back(std::move(path));
    else
      listed.push_back(std::move(path));
  }
  items.AddPaths(listed);
  // Only a list a writer made for the hand-off goes; anything else handed to the
  // program (a document dropped on it, a file elsewhere) is the user's own.
  if (listfile::IsHandOffName(argumentText) && InTemporaryFolder(argumentText, files)) files.Delete(argumentText);
  return intake;
}

}  // namespace qelwipe
