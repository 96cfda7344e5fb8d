#pragma once
// Files another program held open during a run: moved aside at the next system
// start (Restart Later) or handed to the next logon (Restart Now). Either way a
// start-once command brings the wizard back with them listed, so that they are
// overwritten and not only moved.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "system_actions.h"

namespace qelwipe {

inline constexpr char kHoldingFolderName[] = "PvShreder";
inline constexpr char kHoldingFilePrefix[] = "ss";
inline constexpr char kRunOnceValueName[] = "Dedurada.exe";
inline constexpr char kWinInitFile[] = "WinInit.ini";
inline constexpr char kRenameSection[] = "Rename";

// The drive root of `path` followed by the holding folder's name; nothing for a
// path that does not begin with a drive root (a network path), which has no
// drive to hold it on.
std::optional<std::string> HoldingFolder(std::string_view path);

// The quoted program path, its name with ".EXE", three blanks, the list file: a
// program at a shorter path with blanks ("C:\Program.exe") cannot run instead.
std::string StartOnceCommand(std::string_view programPath, std::string_view listFile);

// An INI section's entries with "target=source" appended, each entry ended by a NUL.
std::string RenameSectionWith(std::string_view section, std::string_view target, std::string_view source);

// Whether the system moves files itself at its start, or through WinInit.ini.
bool IsWindowsNT(const std::optional<std::string>& osVariable);

// Schedules the move of `source` over `target` at the next system start.
bool ReplaceFileOnReboot(SystemActions& system, const std::string& source, const std::string& target);

// Moves every file into the holding folder of its drive at the next system
// start, then lists the holding files for the wizard at the next logon. The
// files that could not be scheduled, each once. `handedOn` holds what this
// program run has handed to the next logon so far.
std::vector<std::string> RestartLater(SystemActions& system, const std::vector<std::string>& files,
                                      std::vector<std::string>& handedOn);

// Lists the files for the wizard at the next logon and restarts the computer: no
// restart when the records could not be made; the records stay when the system
// refuses the restart.
enum class RestartOutcome { Restarting, NotHandedOn, Refused };
RestartOutcome RestartNow(SystemActions& system, const std::vector<std::string>& files,
                          std::vector<std::string>& handedOn);

// The message naming files that are still on disk, each once.
std::string StillOnDiskText(const std::vector<std::string>& files);
// The heading, then each path once on a line of its own.
std::string PathListText(const std::string& heading, const std::vector<std::string>& files);

}  // namespace qelwipe
