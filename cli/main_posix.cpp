// qelwipe-cli on Linux: the same erase run over the POSIX file system and the engine core.
#include <csignal>
#include <filesystem>
#include <iostream>
#include <string>
#include <unistd.h>

#include "cli_run.h"
#include "free_space_run.h"
#include "core_engine.h"
#include "posix_file_system.h"

namespace {

volatile std::sig_atomic_t interrupted = 0;
extern "C" void OnInterrupt(int) { interrupted = 1; }

class Terminal final : public qelwipe::cli::StandardConsole {
 public:
  bool Interactive() override { return isatty(STDIN_FILENO) != 0; }
  bool Interrupted() override { return interrupted != 0; }
  bool ShowsProgress() override { return isatty(STDERR_FILENO) != 0; }
};

}  // namespace

int main(int argc, char** argv) {
  auto parsed = qelwipe::cli::ParseArguments(std::vector<std::string>(argv + 1, argv + argc));
  if (!parsed.error.empty()) {
    std::cerr << "qelwipe-cli: " << parsed.error << "\n" << "Try qelwipe-cli --help.\n";
    return qelwipe::cli::kRefused;
  }
  // Paths as the user meant them from where the command was given, named in full.
  std::error_code ignored;
  for (auto& path : parsed.options.paths) path = std::filesystem::absolute(path, ignored).lexically_normal().string();
  for (auto& list : parsed.options.listFiles) list = std::filesystem::absolute(list, ignored).string();
  struct sigaction action {};
  action.sa_handler = OnInterrupt;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
  Terminal terminal;
  if (!parsed.options.freeSpace.empty())
    return qelwipe::cli::RunFreeSpaceAt(
        parsed.options, std::filesystem::absolute(parsed.options.freeSpace, ignored).lexically_normal().string(),
        terminal);
  const auto files = qelwipe::MakePosixFileSystem();
  qelwipe::CoreEngine engine;
  engine.SetVerify(parsed.options.verify);
  return qelwipe::cli::Run(parsed.options, *files, engine, terminal);
}
