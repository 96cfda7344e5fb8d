#pragma once
// One run of qelwipe-cli: the listed items counted, confirmed, and erased through the
// wizard's own erase run and the engine, with a line or a JSON object per file.
#include <ostream>
#include <string>

#include "cli_options.h"
#include "console_text.h"
#include "erase_engine.h"
#include "file_system.h"
#include "system_actions.h"

namespace qelwipe::cli {

inline constexpr int kAllGone = 0, kSomethingLeft = 1, kRefused = 2, kInterrupted = 130;

// What the run needs of the terminal it was started from.
class Console {
 public:
  virtual ~Console() = default;
  virtual std::ostream& Out() = 0;
  virtual std::ostream& Err() = 0;
  // Standard input is a terminal that a person can answer at.
  virtual bool Interactive() = 0;
  // True only for an answer of yes to `question`.
  virtual bool Ask(const std::string& question) = 0;
  // Ctrl+C was pressed: the erase under way stops at its next chunk.
  virtual bool Interrupted() = 0;
  // Standard error is a terminal: a progress line may be drawn on it.
  virtual bool ShowsProgress() = 0;
};

// The process's own standard streams, a question answered on standard input; whether they
// are terminals, and Ctrl+C, are the platform's to tell.
class StandardConsole : public Console {
 public:
  std::ostream& Out() override;
  std::ostream& Err() override;
  bool Ask(const std::string& question) override;
};

// Runs the command line; `options.paths` are full paths. `restarts` moves files held open
// aside at the next system start (Windows); without it --at-restart is refused. The exit code.
int Run(const Options& options, FileSystem& files, EraseEngine& engine, Console& console,
        SystemActions* restarts = nullptr);

}  // namespace qelwipe::cli
