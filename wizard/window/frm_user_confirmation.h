#pragma once
// The modal dialog frmUserConfirmation: lists the files another program held
// open and asks what to do with them.
#include <windows.h>

#include <string>
#include <vector>

#include "handles.h"
#include "wizard_view.h"
#include "window_proc.h"

namespace qelwipe::win {

// Adds `placeholder` to `icons` with the shell's small icon for `path` drawn over it
// where the shell has one; its index, or -1 when nothing could be added.
int AddShellIcon(HIMAGELIST icons, HBITMAP placeholder, const std::wstring& path);

// Fills `list` with the files another program held open, each with its icon in `icons`.
void ListHeldFiles(HWND list, HIMAGELIST icons, HBITMAP placeholder, const std::vector<std::string>& files);

class FrmUserConfirmation {
 public:
  FrmUserConfirmation(HINSTANCE instance, HFONT font, HBITMAP placeholder, const std::vector<std::string>& files)
      : instance_(instance), font_(font), placeholder_(placeholder), files_(files) {}
  FrmUserConfirmation(const FrmUserConfirmation&) = delete;
  FrmUserConfirmation& operator=(const FrmUserConfirmation&) = delete;

  // Shows the dialog over `owner` until a button or its close box ends it. A
  // close without a button is no choice.
  UserResult Show(HWND owner);

 private:
  template <class Dialog>
  friend INT_PTR CALLBACK winkit::DialogProcOf(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR OnDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
  void OnInit();
  void OnCommand(int id);

  HINSTANCE instance_;
  HFONT font_;
  HBITMAP placeholder_;
  const std::vector<std::string>& files_;
  HWND dialog_ = nullptr;
  winkit::UniqueImageList iconList_;
  UserResult userResult_ = UserResult::None;
};

}  // namespace qelwipe::win
