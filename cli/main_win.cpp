// qelwipe-cli on Windows: the same erase run over the wide file calls and the engine core,
// without the control being registered.
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

#include <atomic>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli_run.h"
#include "core_engine.h"
#include "free_space_run.h"
#include "handles.h"
#include "menu_surface.h"
#include "text.h"
#include "win_file_system.h"
#include "win_system_actions.h"

namespace {

std::atomic<bool> interrupted{false};

// Ctrl+C and Ctrl+Break arrive on a thread of their own: the erase stops at its next chunk.
BOOL WINAPI OnControl(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT) return FALSE;
  interrupted = true;
  return TRUE;
}

class Terminal final : public qelwipe::cli::StandardConsole {
 public:
  bool Interactive() override { return _isatty(_fileno(stdin)) != 0; }
  bool Interrupted() override { return interrupted; }
  bool ShowsProgress() override { return _isatty(_fileno(stderr)) != 0; }
};

// A path as the user meant it from the folder the command was given in, named in full.
std::string FullPath(const std::wstring& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  std::wstring full(size, L'\0');
  const DWORD length = size ? GetFullPathNameW(path.c_str(), size, full.data(), nullptr) : 0;
  full.resize(length < size ? length : 0);
  return winkit::WideToUtf8(full.empty() ? path : full).value_or(std::string());
}

}  // namespace

int main() {
  // Only the system's own folder is searched for libraries: none planted beside the program is loaded.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // Texts are UTF-8 throughout; a console shows them as such.
  SetConsoleOutputCP(CP_UTF8);
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::wstring> arguments;
  for (int i = 1; wide && i < count; ++i) arguments.emplace_back(wide[i]);
  if (wide) LocalFree(wide);
  std::vector<std::string> utf8;
  for (const auto& argument : arguments) utf8.push_back(winkit::WideToUtf8(argument).value_or(std::string()));
  auto parsed = qelwipe::cli::ParseArguments(utf8);
  if (!parsed.error.empty()) {
    std::cerr << "qelwipe-cli: " << parsed.error << "\nTry qelwipe-cli --help.\n";
    return qelwipe::cli::kRefused;
  }
  for (auto& path : parsed.options.paths) path = FullPath(winkit::Utf8ToWide(path).value_or(std::wstring()));
  for (auto& list : parsed.options.listFiles) list = FullPath(winkit::Utf8ToWide(list).value_or(std::wstring()));
  SetConsoleCtrlHandler(OnControl, TRUE);
  Terminal terminal;
  if (!parsed.options.freeSpace.empty())
    return qelwipe::cli::RunFreeSpaceAt(parsed.options, parsed.options.freeSpace, terminal);
  // Files held open go to the wizard installed beside this program, which erases them at the next logon.
  const auto restarts = qelwipe::win::MakeWinSystemActions(lintorel::kWizardFileName);
  const auto files = qelwipe::win::MakeWinFileSystem();
  qelwipe::CoreEngine engine;
  engine.SetVerify(parsed.options.verify);
  return qelwipe::cli::Run(parsed.options, *files, engine, terminal, restarts.get());
}
