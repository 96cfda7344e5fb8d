#pragma once
// Starts the real qelwipe.exe and drives its window from outside, as a user
// would: clicks, menu commands, drops, message boxes, by the controls' ids.
#include <windows.h>

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace qelwipe::testing {

using namespace std::chrono_literals;

// Waits until `condition` holds; false when `timeout` passed first.
bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout = 10s);

// A Unix path of the build as the prefix's Z: drive shows it.
std::string DosPath(const std::string& unixPath);

// Registers the build's dornix.dll in the prefix, and lets Wine close windows
// without waiting for a window manager (the test display has none).
bool PrepareWizardPrefix();
bool SetDornixRegistered(bool registered);

// The build's qelwipe.exe, as the prefix names it.
std::string WizardProgram();

// How long to wait for a wizard that another program starts.
struct StartedElsewhere {
  std::chrono::milliseconds timeout;
};

// A message box or common dialog of the program.
struct Dialog {
  HWND window = nullptr;
  std::string Text() const;  // the message of a message box
  HWND Item(int id) const { return GetDlgItem(window, id); }
  // The button with this id reads as the default one.
  bool IsDefault(int id) const;
  void Press(int id) const;
};

// A list view's rows, a cell's text (0-based) and where a row's icon stands on the screen.
int ListRowCount(HWND list);
std::string ListCell(HANDLE process, HWND list, int row, int column);
RECT ListIconRect(HANDLE process, HWND list, int row);
// What the screen shows of `area`, one colour a pixel, row by row.
std::vector<COLORREF> ScreenPixels(const RECT& area);

// The program's folder browser, told to select a folder; false when it did not.
bool SelectInFolderBrowser(const Dialog& browser, HANDLE process, const std::string& folder);

class WizardProcess {
 public:
  // Starts the program with `arguments` and waits for its window.
  explicit WizardProcess(const std::string& arguments = "");
  // Takes over the first wizard window that shows, whoever started it; Started() is false when none did.
  explicit WizardProcess(StartedElsewhere wait);
  ~WizardProcess();
  WizardProcess(const WizardProcess&) = delete;
  WizardProcess& operator=(const WizardProcess&) = delete;

  bool Started() const { return form_ != nullptr; }
  HWND Form() const { return form_; }
  HWND Control(int id) const;
  std::string Text(int id) const;
  std::string Caption() const;
  bool Enabled(int id) const { return IsWindowEnabled(Control(id)) != FALSE; }
  // Shown on screen: itself and every window above it visible.
  bool Visible(int id) const { return IsWindowVisible(Control(id)) != FALSE; }
  // The page whose panel is shown, or -1.
  int Page() const;

  // A message without pointers, answered within a few seconds.
  LRESULT Send(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  void Click(int id) const;
  // Clicks Next and waits for `page` to show.
  bool NextTo(int page) const;
  // Next on the method page, the confirmation answered with `button` and gone; its box.
  Dialog ConfirmErase(int button) const;
  // A mouse click on a label or other plain control.
  void ClickLabel(int id) const;
  void PressKey(int id, int key) const;
  // A menu entry's command, as the menu sends it.
  void Command(int id) const;
  // Chooses a list entry as a user does: selection, then the change notice.
  void Choose(int comboId, int index) const;
  // Drops files on a control as the shell does: WM_DROPFILES with a DROPFILES block.
  void Drop(int id, const std::vector<std::string>& paths) const;

  int RowCount() const;
  std::string Cell(int row, int column) const;  // 0-based
  void SelectRow(int row) const;
  // A click on the list's column header.
  void ClickHeader(int column) const;

  // Clicks the button that pops up a menu and types an entry's mnemonic character
  // or VK_ESCAPE ahead for the menu; false when a menu stays open.
  bool ChooseFromMenu(int buttonId, int key) const;
  // A dialog window of the program with this title, once it shows.
  Dialog WaitForDialog(const std::string& title, std::chrono::milliseconds timeout = 10s) const;
  bool WaitForExit(std::chrono::milliseconds timeout = 10s) const;
  bool Running() const;
  HANDLE Process() const { return process_.hProcess; }

  // Saves what the screen shows of `window` (the form by default) as a PNG at `path`.
  bool Screenshot(const std::string& path, HWND window = nullptr) const;

 private:
  void AwaitHandOff();
  PROCESS_INFORMATION process_{};
  HWND form_ = nullptr;
};

}  // namespace qelwipe::testing
