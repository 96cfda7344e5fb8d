// QelWipe: the erase wizard.
#include "hand_off.h"

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>

#include "deferred_deletion.h"
#include "frm_main.h"
#include "win_system_actions.h"
#include "text.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show) {
  // Before anything loads a DLL: a library asked for by name comes from System32, never
  // from the program's folder (a Downloads folder may hold a planted one) or the current one.
  SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
  // The common controls come before the window that uses them.
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS};
  InitCommonControlsEx(&controls);
  // One apartment thread: the Wipe control and the shell dialogs live on it.
  const HRESULT ole = OleInitialize(nullptr);
  int code = 1;
  // What escapes the window procedures' own guards (memory running out while the list is
  // read, above all) ends the program with a code, never with an abort.
  try {
    // The command line in UTF-16, as the system holds it: a list file named outside the code page is still found.
    const auto commandLine = winkit::WideToUtf8(GetCommandLineW());
    const std::string argument = qelwipe::ArgumentText(commandLine.value_or(std::string()));
    // Started again with an administrator's rights for the one step that needs them: no window.
    const auto system = qelwipe::win::MakeWinSystemActions();
    if (const auto moved = qelwipe::ScheduleMovesOfArgument(*system, argument)) {
      code = static_cast<int>(*moved);
    } else {
      qelwipe::win::FrmMain form(instance);
      if (form.Create(argument, show)) code = form.Run();
    }
  } catch (...) {
    code = 1;
  }
  if (SUCCEEDED(ole)) OleUninitialize();
  return code;
}
