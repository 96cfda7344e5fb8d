#pragma once
// The Help menu's commands that hand their work to the shell: the help page
// beside the program and the vendor's two web pages.
#include <windows.h>

#include <functional>
#include <string>

namespace qelwipe::win {

// One call of ShellExecute.
struct ShellRequest {
  HWND owner = nullptr;
  std::wstring verb, file, parameters, directory;
  int show = SW_SHOWNORMAL;
};
using ShellOpen = std::function<void(const ShellRequest&)>;

// The shell's own. Its answer is not looked at: a missing page or browser shows nothing.
void ShellExecuteRequest(const ShellRequest& request);

// The folder holding the program's file, with a trailing separator.
std::wstring ProgramFolder();

// Help Topics, Online customer support or Check for updates; false for any other command.
bool RunHelpCommand(int id, HWND form, const ShellOpen& open = ShellExecuteRequest);

}  // namespace qelwipe::win
