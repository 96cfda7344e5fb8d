#pragma once
// Files another program held open during a run: moved aside at the next system
// start (Restart Later) or handed to the next logon (Restart Now). Either way a
// start-once command brings the wizard back with them listed, so that they are
// overwritten and not only moved.
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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

// A move at the next system start: the locked file, and the holding file it replaces.
using Move = std::pair<std::string, std::string>;

// The private argument with which the program, started again with an administrator's
// rights, registers the moves that a list file names: a source, then its target, line by line.
inline constexpr char kScheduleMovesSwitch[] = "/schedule-moves ";

// Registers the moves at the next system start, by this process where it may, else by the
// program started again with the rights to (the user is asked); per move whether it was.
std::vector<bool> ScheduleMoves(SystemActions& system, const std::vector<Move>& moves);

// The program started with kScheduleMovesSwitch: registers the listed moves in order, each
// only when its target is a holding file of its source's drive; how many were registered
// before the first that was not.
std::size_t ScheduleListedMoves(SystemActions& system, const std::vector<std::string>& lines);
// The same for the program's argument text: nothing when it does not begin with the switch.
std::optional<std::size_t> ScheduleMovesOfArgument(SystemActions& system, std::string_view argumentText);

// Lists `paths` for the wizard at the next logon, with what an earlier hand-off listed:
// one start-once command names one list, and the earlier list file goes.
bool HandToNextLogon(SystemActions& system, const std::vector<std::string>& paths);

// Moves every file into the holding folder of its drive at the next system
// start, then lists the holding files for the wizard at the next logon. The
// files that could not be scheduled, each once; a holding folder made for them
// is removed again.
std::vector<std::string> RestartLater(SystemActions& system, const std::vector<std::string>& files);

// Lists the files for the wizard at the next logon and restarts the computer: no
// restart when the records could not be made; the records stay when the system
// refuses the restart.
enum class RestartOutcome { Restarting, NotHandedOn, Refused };
RestartOutcome RestartNow(SystemActions& system, const std::vector<std::string>& files);

// The message naming files that are still on disk, each once.
std::string StillOnDiskText(const std::vector<std::string>& files);
// The heading, then each path once on a line of its own.
std::string PathListText(const std::string& heading, const std::vector<std::string>& files);

}  // namespace qelwipe
