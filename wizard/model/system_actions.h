#pragma once
// What the wizard asks of the system beyond its window and its files: the
// shell's recycle bin icon, and the records that deal with files another
// program held open (moves at the next system start, the start-once command,
// the restart). Each call does one thing; the decisions are the model's
// (deferred_deletion.h). Paths and texts are UTF-8.
#include <cstddef>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace qelwipe {

class SystemActions {
 public:
  virtual ~SystemActions() = default;
  // Asks the shell to redraw the recycle bin's icon.
  virtual void RefreshRecycleBinIcon() = 0;

  // The running program's full path.
  virtual std::string ProgramPath() = 0;
  // An environment variable of the process; nothing when it is not set.
  virtual std::optional<std::string> EnvironmentVariable(const std::string& name) = 0;
  // A holding folder for files moved aside at the next start. Made now with an access
  // list that admits only the Administrators, the system and this user; one already
  // there is used only when it is a plain folder (no reparse point) owned by this user
  // or the Administrators, which no one else can have put in its place.
  enum class HoldingFolderState { Unusable, Found, Made };
  virtual HoldingFolderState EnsureHoldingFolder(const std::string& folder) = 0;
  // Removes a folder this program made, when it is empty.
  virtual void RemoveOwnFolder(const std::string& folder) = 0;
  // A new empty file the system names from `prefix` in `folder`; its path.
  virtual std::optional<std::string> CreateTempFile(const std::string& folder, const std::string& prefix) = 0;
  // Removes a file this program made and no longer needs.
  virtual void RemoveOwnFile(const std::string& path) = 0;
  // Registers the move of `source` over `target` at the next system start.
  virtual bool MoveAtNextStart(const std::string& source, const std::string& target) = 0;
  // Whether this process has the rights to register such moves (an administrator's).
  virtual bool MayMoveAtNextStart() = 0;
  // Has the program started again with those rights (the user is asked) register the
  // moves, each a source and its target, in order; how many were registered before the
  // first that was not: 0 when the rights were refused.
  virtual std::size_t MoveAtNextStartElevated(const std::vector<std::pair<std::string, std::string>>& moves) = 0;
  // The targets of the moves registered for the next system start that have not yet happened.
  virtual std::vector<std::string> PendingMoveTargets() = 0;
  // The short (8.3) form of an existing path.
  virtual std::optional<std::string> ShortPath(const std::string& path) = 0;
  // A whole section of an INI file of the Windows folder, entries each ended by
  // a NUL; nothing when it cannot be read whole.
  virtual std::optional<std::string> ReadIniSection(const std::string& file, const std::string& section) = 0;
  virtual bool WriteIniSection(const std::string& file, const std::string& section, const std::string& text) = 0;
  // A new hand-off list file holding `paths`; its path.
  virtual std::optional<std::string> WriteListFile(const std::vector<std::string>& paths) = 0;
  // The paths of a hand-off list file; nothing when it cannot be read.
  virtual std::optional<std::vector<std::string>> ReadListFile(const std::string& path) = 0;
  // The user's start-once command named `name`, run at the next logon.
  virtual bool RegisterRunOnce(const std::string& name, const std::string& command) = 0;
  // The command registered under `name`, if any.
  virtual std::optional<std::string> RunOnceCommand(const std::string& name) = 0;
  // Asks the system to restart; other programs may still save their work. False when
  // the system refused (no right to shut down, a policy).
  virtual bool RebootNow() = 0;
};

}  // namespace qelwipe
