#include "deferred_deletion.h"

#include <set>

#include "texts.h"

namespace qelwipe {
namespace {

// "X:\" at the start of `path`.
bool BeginsWithDriveRoot(std::string_view path) {
  const auto letter = static_cast<unsigned char>(path.size() >= 3 ? path[0] : '\0');
  return ((letter >= 'A' && letter <= 'Z') || (letter >= 'a' && letter <= 'z')) && path[1] == ':' && path[2] == '\\';
}

// The list for the wizard at the next logon, and the command that starts it with it. There is one
// such command: it names again what earlier hand-offs of this program run named.
bool HandToNextLogon(SystemActions& system, std::vector<std::string>& handedOn, const std::vector<std::string>& paths) {
  std::vector<std::string> all = handedOn;
  all.insert(all.end(), paths.begin(), paths.end());
  const auto list = system.WriteListFile(all);
  if (!list) return false;
  if (!system.RegisterRunOnce(kRunOnceValueName, StartOnceCommand(system.ProgramPath(), *list))) {
    system.RemoveOwnFile(*list);
    return false;
  }
  handedOn = std::move(all);
  return true;
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

std::vector<std::string> RestartLater(SystemActions& system, const std::vector<std::string>& files,
                                      std::vector<std::string>& handedOn) {
  std::vector<std::string> scheduled, holding, unscheduled;
  std::set<std::string> seen;
  for (const auto& path : files) {
    if (!seen.insert(path).second) continue;
    const auto folder = HoldingFolder(path);
    std::optional<std::string> target;
    if (folder && system.EnsureFolder(*folder)) target = system.CreateTempFile(*folder, kHoldingFilePrefix);
    if (target && ReplaceFileOnReboot(system, path, *target)) {
      scheduled.push_back(path);
      holding.push_back(*target);
      continue;
    }
    if (target) system.RemoveOwnFile(*target);
    unscheduled.push_back(path);
  }
  // Moved whole, a file still holds its content: only the wizard at the next logon erases it.
  if (!holding.empty() && !HandToNextLogon(system, handedOn, holding))
    unscheduled.insert(unscheduled.end(), scheduled.begin(), scheduled.end());
  return unscheduled;
}

RestartOutcome RestartNow(SystemActions& system, const std::vector<std::string>& files,
                          std::vector<std::string>& handedOn) {
  if (!HandToNextLogon(system, handedOn, files)) return RestartOutcome::NotHandedOn;
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
