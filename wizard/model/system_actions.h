#pragma once
// What the wizard asks of the system beyond its window and its files: the
// shell's recycle bin icon, and the records that deal with files another
// program held open (moves at the next system start, the start-once command,
// the restart). Each call does one thing; the decisions are the model's
// (deferred_deletion.h). Paths and texts are UTF-8.
#include <optional>
#include <string>
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
  // True when `folder` is a folder afterwards, made now or already there.
  virtual bool EnsureFolder(const std::string& folder) = 0;
  // A new empty file the system names from `prefix` in `folder`; its path.
  virtual std::optional<std::string> CreateTempFile(const std::string& folder, const std::string& prefix) = 0;
  // Removes a file this program made and no longer needs.
  virtual void RemoveOwnFile(const std::string& path) = 0;
  // Registers the move of `source` over `target` at the next system start.
  virtual bool MoveAtNextStart(const std::string& source, const std::string& target) = 0;
  // The short (8.3) form of an existing path.
  virtual std::optional<std::string> ShortPath(const std::string& path) = 0;
  // A whole section of an INI file of the Windows folder, entries each ended by
  // a NUL; nothing when it cannot be read whole.
  virtual std::optional<std::string> ReadIniSection(const std::string& file, const std::string& section) = 0;
  virtual bool WriteIniSection(const std::string& file, const std::string& section, const std::string& text) = 0;
  // A new hand-off list file holding `paths`; its path.
  virtual std::optional<std::string> WriteListFile(const std::vector<std::string>& paths) = 0;
  // The user's start-once command named `name`, run at the next logon.
  virtual bool RegisterRunOnce(const std::string& name, const std::string& command) = 0;
  // Asks the system to restart; other programs may still save their work. False when
  // the system refused (no right to shut down, a policy).
  virtual bool RebootNow() = 0;
};

}  // namespace qelwipe
