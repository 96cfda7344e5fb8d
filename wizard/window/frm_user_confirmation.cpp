#include "frm_user_confirmation.h"

#include <commctrl.h>
#include <shellapi.h>

#include <algorithm>

#include "com_object.h"
#include "frm_user_confirmation_layout.h"
#include "text.h"

namespace qelwipe::win {
namespace {

std::wstring Wide(std::string_view text) { return winkit::Utf8ToWide(text).value_or(std::wstring()); }

// An empty template: the controls come from the layout table.
struct alignas(DWORD) EmptyDialog {
  DLGTEMPLATE header{WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, 0, 0, 0, 0, 0, 0};
  WORD menu = 0, windowClass = 0, title = 0;
};

// The buttons and the choice each makes.
constexpr struct {
  int id;
  UserResult result;
} kChoices[] = {{ids::confirmation::cmdignore, UserResult::Ignore},
                {ids::confirmation::cmdrestartnow, UserResult::RestartNow},
                {ids::confirmation::cmdrestartlater, UserResult::RestartLater}};

}  // namespace

int AddShellIcon(HIMAGELIST icons, HBITMAP placeholder, const std::wstring& path) {
  const int entry = ImageList_Add(icons, placeholder, nullptr);
  if (entry < 0) return entry;
  SHFILEINFOW info{};
  const auto system = reinterpret_cast<HIMAGELIST>(
      SHGetFileInfoW(path.c_str(), 0, &info, sizeof info, SHGFI_SYSICONINDEX | SHGFI_SMALLICON));
  if (system) {
    const winkit::UniqueIcon icon(ImageList_GetIcon(system, info.iIcon, ILD_NORMAL));
    if (icon) ImageList_ReplaceIcon(icons, entry, icon.get());
  }
  return entry;
}

void ListHeldFiles(HWND list, HIMAGELIST icons, HBITMAP placeholder, const std::vector<std::string>& files) {
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  for (const std::string& path : files) {
    std::wstring text = Wide(path);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    item.pszText = text.data();
    item.iImage = AddShellIcon(icons, placeholder, text);
    SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
  }
}

UserResult FrmUserConfirmation::Show(HWND owner) {
  userResult_ = UserResult::None;
  EmptyDialog form;
  DialogBoxIndirectParamW(instance_, &form.header, owner, winkit::DialogProcOf<FrmUserConfirmation>,
                          reinterpret_cast<LPARAM>(this));
  return userResult_;
}

INT_PTR FrmUserConfirmation::OnDialogMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      dialog_ = dialog;
      OnInit();
      return FALSE;  // the focus is set
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) OnCommand(LOWORD(wParam));
      return TRUE;
  }
  return FALSE;
}

void FrmUserConfirmation::OnInit() {
  int dpi = 96;
  {
    const winkit::ScreenDc screen;
    if (screen.get()) dpi = GetDeviceCaps(screen.get(), LOGPIXELSY);
  }
  const auto twips = [dpi](int value) { return MulDiv(value, dpi, 1440); };
  SetWindowTextW(dialog_, Wide(confirmation::kCaption).c_str());
  RECT frame{0, 0, twips(confirmation::kWidth), twips(confirmation::kHeight)};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongW(dialog_, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongW(dialog_, GWL_EXSTYLE)));
  // Over the middle of the main window, its caption on the screen.
  RECT owner{}, work{};
  GetWindowRect(GetParent(dialog_) ? GetParent(dialog_) : GetDesktopWindow(), &owner);
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  const int left = std::max<int>(work.left, (owner.left + owner.right - width) / 2);
  const int top = std::max<int>(work.top, (owner.top + owner.bottom - height) / 2);
  SetWindowPos(dialog_, nullptr, left, top, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

  for (const ControlLayout& layout : confirmation::kControls) {
    const bool list = layout.id == ids::confirmation::lvfiles;
    const HWND control = CreateWindowExW(list ? WS_EX_CLIENTEDGE : 0, layout.className, Wide(layout.text).c_str(),
                                         list ? layout.style & ~WS_BORDER : layout.style, twips(layout.left),
                                         twips(layout.top), twips(layout.width), twips(layout.height), dialog_,
                                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), instance_, nullptr);
    if (control) SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
  }

  const HWND lvfiles = GetDlgItem(dialog_, ids::confirmation::lvfiles);
  iconList_.reset(ImageList_Create(kIconSize, kIconSize, ILC_COLOR32 | ILC_MASK, 4, 4));
  SendMessageW(lvfiles, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(iconList_.get()));
  std::wstring header = Wide(confirmation::kFileNameHeader);
  LVCOLUMNW column{};
  column.mask = LVCF_TEXT | LVCF_WIDTH;
  column.pszText = header.data();
  RECT inside{};
  GetClientRect(lvfiles, &inside);
  column.cx = inside.right - GetSystemMetrics(SM_CXVSCROLL);
  SendMessageW(lvfiles, LVM_INSERTCOLUMNW, 0, reinterpret_cast<LPARAM>(&column));
  ListHeldFiles(lvfiles, iconList_.get(), placeholder_, files_);
  SetFocus(GetDlgItem(dialog_, ids::confirmation::cmdignore));
}

void FrmUserConfirmation::OnCommand(int id) {
  for (const auto& choice : kChoices)
    if (choice.id == id) userResult_ = choice.result;
  // A button, Esc or the close box: each ends the dialog; only a button chooses.
  if (id == IDCANCEL || userResult_ != UserResult::None) EndDialog(dialog_, id);
}

}  // namespace qelwipe::win
