#include "deferred_deletion.h"

#include <algorithm>
#include <set>

#include "hand_off.h"
#include "list_file.h"
#include "texts.h"

namespace qelwipe {
namespace {

// "X:\" at the start of `path`.
bool BeginsWithDriveRoot(std::string_view path) {
  const auto letter = static_cast<unsigned char>(path.size() >= 3 ? path[0] : '\0');
  return ((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')) && path[1] == ':' && path[2] == '\\';
}

// Whether `target` is a holding file of the holding folder of `source`'s drive.
bool IsHoldingFileOf(const std::string& target, const std::string& source) {
  const auto folder = HoldingFolder(source);
  if (!folder) return false;
  const std::string prefix = *folder + "\\" + kHoldingFilePrefix;
  return target.size() > prefix.size() && target.starts_with(prefix) &&
         target.find('\\', prefix.size()) == std::string::npos;
}

}  // namespace

std::optional<std::string> HoldingFolder(std::string_view path) {
  // A path beyond the usual length limit keeps its prefix, so that its holding folder is reached as it is.
  constexpr std::string_view kExtended = "\\\\?\\";
  const std::size_t root = path.starts_with(kExtended) ? kExtended.size() : 0;
  if (!BeginsWithDriveRoot(path.substr(root))) return std::nullopt;
  return std::string(path.substr(0, root + 3)) + kHoldingFolderName;
}

std::string StartOnceCommand(std::string_view programPath, std::string_view listFile) {
  const std::size_t slash = programPath.rfind('\\');
  const std::string_view folder = slash == std::string_view::npos ? std::string_view() : programPath.substr(0, slash);
  std::string_view name = slash == std::string_view::npos ? programPath : programPath.substr(slash + 1);
  name = name.substr(0, name.rfind('.'));
  return "\"" + std::string(folder) + "\\" + std::string(name) + ".EXE\"   " + std::string(listFile);
}

std::string RenameSectionWith(std::string_view section, std::string_view target, std::string_view source) {
  std::string text(section);
  if (!text.empty() && text.back() != '\0') text += '\0';
  return text + std::string(target) + "=" + std::string(source) + '\0';
}

bool IsWindowsNT(const std::optional<std::string>& osVariable) { return osVariable == "Windows_NT"; }

bool ReplaceFileOnReboot(SystemActions& system, const std::string& source, const std::string& target) {
  if (IsWindowsNT(system.EnvironmentVariable("OS"))) return system.MoveAtNextStart(source, target);
  // Older systems move at their start what WinInit.ini's section names, by short paths.
  const auto section = system.ReadIniSection(kWinInitFile, kRenameSection);
  const auto shortTarget = system.ShortPath(target);
  const auto shortSource = system.ShortPath(source);
  if (!section || !shortTarget || !shortSource) return false;
  return system.WriteIniSection(kWinInitFile, kRenameSection, RenameSectionWith(*section, *shortTarget, *shortSource));
}

bool HandToNextLogon(SystemActions& system, const std::vector<std::string>& paths) {
  // One start-once command names one list: what an earlier hand-off registered goes into the new one.
  const auto command = system.RunOnceCommand(kRunOnceValueName);
  const std::string earlierList = command ? ArgumentText(*command) : std::string();
  std::vector<std::string> all;
  if (!earlierList.empty())
    if (const auto earlier = system.ReadListFile(earlierList)) all = *earlier;
  std::set<std::string> seen(all.begin(), all.end());
  for (const auto& path : paths)
    if (seen.insert(path).second) all.push_back(path);
  const auto list = system.WriteListFile(all);
  if (!list) return false;
  if (!system.RegisterRunOnce(kRunOnceValueName, StartOnceCommand(system.ProgramPath(), *list))) {
    system.RemoveOwnFile(*list);
    return false;
  }
  if (!earlierList.empty() && listfile::IsHandOffName(earlierList)) system.RemoveOwnFile(earlierList);
  return true;
}

std::vector<bool> ScheduleMoves(SystemActions& system, const std::vector<Move>& moves) {
  std::vector<bool> scheduled(moves.size(), false);
  if (moves.empty()) return scheduled;
  if (system.MayMoveAtNextStart()) {
    for (std::size_t i = 0; i < moves.size(); ++i) scheduled[i] = ReplaceFileOnReboot(system, moves[i].first, moves[i].second);
    return scheduled;
  }
  // Only this step needs an administrator: the program started again with those rights
  // makes the moves, and nothing else, while the holding files and the start-once command
  // stay this user's own.
  const std::size_t made = std::min(system.MoveAtNextStartElevated(moves), moves.size());
  std::fill(scheduled.begin(), scheduled.begin() + static_cast<std::ptrdiff_t>(made), true);
  return scheduled;
}

std::size_t ScheduleListedMoves(SystemActions& system, const std::vector<std::string>& lines) {
  std::size_t made = 0;
  for (std::size_t i = 0; i + 1 < lines.size(); i += 2, ++made) {
    // Started with an administrator's rights, the program moves only locked files into
    // holding files of their own drives, whoever wrote the list.
    if (!IsHoldingFileOf(lines[i + 1], lines[i]) || !ReplaceFileOnReboot(system, lines[i], lines[i + 1])) break;
  }
  return made;
}

std::optional<std::size_t> ScheduleMovesOfArgument(SystemActions& system, std::string_view argumentText) {
  if (!argumentText.starts_with(kScheduleMovesSwitch)) return std::nullopt;
  std::string_view list = argumentText.substr(std::string_view(kScheduleMovesSwitch).size());
  if (list.size() >= 2 && list.front() == '"' && list.back() == '"') list = list.substr(1, list.size() - 2);
  const auto lines = system.ReadListFile(std::string(list));
  return lines ? ScheduleListedMoves(system, *lines) : 0;
}

std::vector<std::string> RestartLater(SystemActions& system, const std::vector<std::string>& files) {
  using State = SystemActions::HoldingFolderState;
  std::vector<Move> moves;
  std::vector<std::string> unscheduled, madeFolders;
  std::set<std::string> seen;
  for (const auto& path : files) {
    if (!seen.insert(path).second) continue;
    const auto folder = HoldingFolder(path);
    const State state = folder ? system.EnsureHoldingFolder(*folder) : State::Unusable;
    if (state == State::Made) madeFolders.push_back(*folder);
    const auto target = state != State::Unusable ? system.CreateTempFile(*folder, kHoldingFilePrefix) : std::nullopt;
    if (target)
      moves.emplace_back(path, *target);
    else
      unscheduled.push_back(path);
  }
  const std::vector<bool> scheduled = ScheduleMoves(system, moves);
  std::vector<std::string> holding;
  for (std::size_t i = 0; i < moves.size(); ++i) {
    if (scheduled[i]) {
      holding.push_back(moves[i].second);
      continue;
    }
    system.RemoveOwnFile(moves[i].second);
    unscheduled.push_back(moves[i].first);
  }
  // No holding folder made now is left behind for nothing.
  for (const auto& folder : madeFolders)
    if (std::none_of(holding.begin(), holding.end(),
                     [&](const std::string& target) { return target.starts_with(folder + "\\"); }))
      system.RemoveOwnFolder(folder);
  // Moved whole, a file still holds its content: only the wizard at the next logon erases it.
  if (!holding.empty() && !HandToNextLogon(system, holding))
    for (std::size_t i = 0; i < moves.size(); ++i)
      if (scheduled[i]) unscheduled.push_back(moves[i].first);
  // Named in the order they were met, each once.
  std::set<std::string> left(unscheduled.begin(), unscheduled.end());
  std::vector<std::string> inOrder;
  for (const auto& path : files)
    if (left.erase(path)) inOrder.push_back(path);
  return inOrder;
}

RestartOutcome RestartNow(SystemActions& system, const std::vector<std::string>& files) {
  if (!HandToNextLogon(system, files)) return RestartOutcome::NotHandedOn;
  return system.RebootNow() ? RestartOutcome::Restarting : RestartOutcome::Refused;
}

std::string StillOnDiskText(const std::vector<std::string>& files) { return PathListText(texts::kStillOnDisk, files); }

std::string PathListText(const std::string& heading, const std::vector<std::string>& files) {
  std::string text = heading;
  std::set<std::string> seen;
  for (const auto& path : files)
    if (seen.insert(path).second) text += "\r\n" + path;
  return text;
}

}  // namespace qelwipe
