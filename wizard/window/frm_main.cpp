#include "frm_main.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <string_view>
#include <utility>
#include <vector>

#include "com_object.h"
#include "control_ids.h"
#include "frm_main_layout.h"
#include "frm_user_confirmation.h"
#include "help_commands.h"
#include "method_catalogue.h"
#include "scope_exit.h"
#include "text.h"
#include "texts.h"
#include "win_file_system.h"
#include "win_shell_folders.h"
#include "win_system_actions.h"
#include "wipe_client.h"

namespace qelwipe::win {
namespace {

constexpr wchar_t kFormClass[] = L"QelWipeFrmMain";
constexpr wchar_t kPageClass[] = L"QelWipeFrame1";
constexpr COLORREF kDescriptionColour = RGB(64, 64, 64);
constexpr COLORREF kRed = RGB(255, 0, 0);
// The picker's multi-file answer, in characters.
constexpr std::size_t kPickerLength = 32768;

// Hex field n and its caption.
constexpr int kHexFields[3] = {ids::Text2, ids::Text3, ids::Text4};
constexpr int kHexCaptions[3] = {ids::Label14, ids::Label15, ids::Label16};
// The add menu's entries and the hidden holders whose commands they run.
constexpr std::pair<int, int> kAddMenuHolders[] = {{ids::FileM, ids::addFile},
                                                   {ids::FolderM, ids::addFolder},
                                                   {ids::mnurecentmru, ids::cmdrecentmru},
                                                   {ids::mnurecyclebin, ids::cmdrecyclebin}};

// The model's and the layout's texts are UTF-8, the window's UTF-16.
std::wstring Wide(std::string_view text) { return winkit::Utf8ToWide(text).value_or(std::wstring()); }
std::string Utf8(std::wstring_view text) { return winkit::WideToUtf8(text).value_or(std::string()); }


winkit::UniqueMenu MakeMenu(const MenuEntry* entries, std::size_t count) {
  winkit::UniqueMenu menu(CreatePopupMenu());
  if (!menu) return menu;
  for (std::size_t i = 0; i < count; ++i) {
    const MenuEntry& entry = entries[i];
    if (entry.id == 0)
      AppendMenuW(menu.get(), MF_SEPARATOR, 0, nullptr);
    else
      AppendMenuW(menu.get(), MF_STRING, static_cast<UINT_PTR>(entry.id), Wide(entry.text).c_str());
  }
  return menu;
}

// Control classes that take a sunken edge under visual styles.
bool IsSunken(const wchar_t* className) {
  return std::wstring_view(className) == WC_EDITW || std::wstring_view(className) == WC_LISTVIEWW;
}

// A link that behaves as a button: Space follows it as Enter does; its window text is
// its caption without markup, as readers of the window's text expect it.
LRESULT CALLBACK LinkProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, LinkProc, 1);
  if (message == WM_KEYDOWN && wParam == VK_SPACE) return DefSubclassProc(window, message, VK_RETURN, lParam);
  // Its blank is no mnemonic to look for among the other controls.
  if (message == WM_GETDLGCODE && lParam && reinterpret_cast<const MSG*>(lParam)->wParam == VK_SPACE)
    return DefSubclassProc(window, message, wParam, lParam) | DLGC_WANTCHARS;
  if (message != WM_GETTEXT && message != WM_GETTEXTLENGTH) return DefSubclassProc(window, message, wParam, lParam);
  std::wstring markup(static_cast<std::size_t>(DefSubclassProc(window, WM_GETTEXTLENGTH, 0, 0)) + 1, L'\0');
  markup.resize(static_cast<std::size_t>(
      DefSubclassProc(window, WM_GETTEXT, markup.size(), reinterpret_cast<LPARAM>(markup.data()))));
  std::wstring text;
  bool inTag = false;
  for (const wchar_t c : markup) {
    if (c == L'<' || c == L'>')
      inTag = c == L'<';
    else if (!inTag)
      text += c;
  }
  if (message == WM_GETTEXTLENGTH) return static_cast<LRESULT>(text.size());
  if (wParam == 0) return 0;
  const std::size_t copied = std::min(text.size(), static_cast<std::size_t>(wParam) - 1);
  auto* out = reinterpret_cast<wchar_t*>(lParam);
  text.copy(out, copied);
  out[copied] = L'\0';
  return static_cast<LRESULT>(copied);
}

}  // namespace

FrmMain::FrmMain(HINSTANCE instance) : instance_(instance), about_(instance) {}

FrmMain::~FrmMain() {
  wizard_.reset();
  if (form_) DestroyWindow(form_);
}

bool FrmMain::Create(const std::string& argumentText, int show) {
  system_ = MakeWinSystemActions();
  files_ = MakeWinFileSystem();
  registry_ = MakeWinFileTypeRegistry();
  engine_ = CreateWipeClient();
  shell_ = MakeWinShellFolders();
  if (!RegisterClasses()) return false;
  {
    const winkit::ScreenDc screen;
    if (screen.get()) dpi_ = GetDeviceCaps(screen.get(), LOGPIXELSY);
  }
  CreateFonts();

  constexpr DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT frame{0, 0, Twips(kFormWidth), Twips(kFormHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_CONTROLPARENT);
  form_ = CreateWindowExW(WS_EX_CONTROLPARENT, kFormClass, Wide(texts::kAppTitle).c_str(), style, CW_USEDEFAULT,
                          CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                          instance_, this);
  if (!form_) return false;
  for (int page = 0; page < kPageCount; ++page) {
    panels_[page] =
        CreateWindowExW(WS_EX_CONTROLPARENT, kPageClass, L"", WS_CHILD | WS_CLIPSIBLINGS, Twips(kFrameLeft),
                        Twips(kFrameTop), Twips(kFrameWidth), Twips(kFrameHeight), form_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::Frame1 + page)), instance_, nullptr);
    if (!panels_[page]) return false;
  }
  CreateControls();
  SetUpList();
  SetUpMenus();

  wizard_ = std::make_unique<Wizard>(*this, *system_, *files_, *engine_, *registry_, [this] { PumpMessages(); });
  wizard_->Load();
  // Shown before the hand-off list is taken in: measuring the folders it names may take a while.
  ShowWindow(form_, show);
  UpdateWindow(form_);
  wizard_->TakeHandOff(argumentText);
  if (!form_) return false;  // closed while the list was read
  // Enter moves the wizard on from the start.
  SetFocus(Control(ids::btnNext));
  return true;
}

int FrmMain::Run() {
  MSG message{};
  while (GetMessageW(&message, nullptr, 0, 0) > 0) {
    if (about_.PreTranslate(message) || (form_ && IsDialogMessageW(form_, &message))) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  return static_cast<int>(message.wParam);
}

void FrmMain::PumpMessages() {
  MSG message{};
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The outer loop must still see it.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (about_.PreTranslate(message) || (form_ && IsDialogMessageW(form_, &message))) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

bool FrmMain::RegisterClasses() {
  WNDCLASSEXW form{};
  form.cbSize = sizeof form;
  // After WM_DESTROY the form is gone for the model; the system finishes alone.
  form.lpfnWndProc = winkit::WindowProcOf<FrmMain, &FrmMain::form_>;
  form.hInstance = instance_;
  form.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  form.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  form.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  form.lpszClassName = kFormClass;
  WNDCLASSEXW page = form;
  page.lpfnWndProc = PageProc;
  page.hIcon = nullptr;
  page.lpszClassName = kPageClass;
  return RegisterClassExW(&form) && RegisterClassExW(&page);
}

void FrmMain::CreateFonts() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (!SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    metrics.lfMessageFont = LOGFONTW{};
    metrics.lfMessageFont.lfHeight = -MulDiv(8, dpi_, 72);
    lstrcpyW(metrics.lfMessageFont.lfFaceName, L"Tahoma");
  }
  LOGFONTW font = metrics.lfMessageFont;
  normalFont_.reset(CreateFontIndirectW(&font));
  font.lfWeight = FW_BOLD;
  boldFont_.reset(CreateFontIndirectW(&font));
  font.lfHeight = font.lfHeight * 3 / 2;
  titleFont_.reset(CreateFontIndirectW(&font));
}

void FrmMain::CreateControls() {
  for (const ControlLayout& layout : kControls) {
    const HWND parent = layout.page == kOnForm ? form_ : panels_[layout.page];
    const HWND control =
        CreateWindowExW(IsSunken(layout.className) ? WS_EX_CLIENTEDGE : 0, layout.className, Wide(layout.text).c_str(),
                        IsSunken(layout.className) ? layout.style & ~WS_BORDER : layout.style, Twips(layout.left),
                        Twips(layout.top), Twips(layout.width), Twips(layout.height), parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(layout.id)), instance_, nullptr);
    if (!control) continue;
    controls_[layout.id] = control;
    shownTexts_[layout.id] = layout.text;
    const HFONT font = layout.font == Font::Title  ? titleFont_.get()
                       : layout.font == Font::Bold ? boldFont_.get()
                                                   : normalFont_.get();
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
  if (const HWND link = Control(ids::Label28)) SetWindowSubclass(link, LinkProc, 1, 0);
  for (const int field : kHexFields)
    SendMessageW(Control(field), EM_LIMITTEXT, static_cast<WPARAM>(kHexFieldLength), 0);
  SendMessageW(Control(ids::UpDown1), UDM_SETBUDDY, reinterpret_cast<WPARAM>(Control(ids::Text1)), 0);
  SendMessageW(Control(ids::UpDown1), UDM_SETRANGE32, 0, kMaxCycles);
  for (const int bar : {ids::pbFile, ids::pbMain}) SendMessageW(Control(bar), PBM_SETRANGE32, 0, 100);
  for (const MethodEntry& method : kMethods)
    SendMessageW(Control(ids::Combo1), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(method.listText).c_str()));
}

void FrmMain::SetUpList() {
  const HWND list = Control(ids::lvSelecteds);
  if (!list) return;
  iconList_.reset(ImageList_Create(kIconSize, kIconSize, ILC_COLOR32 | ILC_MASK, 8, 8));
  // The placeholder each row's icon starts from: an empty square.
  {
    const winkit::ScreenDc screen;
    placeholder_.reset(CreateCompatibleBitmap(screen.get(), kIconSize, kIconSize));
    const winkit::UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
    if (placeholder_ && memory) {
      const HGDIOBJ old = SelectObject(memory.get(), placeholder_.get());
      const basekit::ScopeExit restore([&] { SelectObject(memory.get(), old); });
      RECT square{0, 0, kIconSize, kIconSize};
      FillRect(memory.get(), &square, GetSysColorBrush(COLOR_BTNFACE));
    }
  }
  SendMessageW(list, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(iconList_.get()));

  for (int column = 0; column < kColumnCount; ++column) {
    std::wstring text = Wide(kColumns[static_cast<std::size_t>(column)].header);
    LVCOLUMNW header{};
    header.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    header.pszText = text.data();
    header.cx = Twips(kColumns[static_cast<std::size_t>(column)].widthTwips);
    header.iSubItem = column;
    SendMessageW(list, LVM_INSERTCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(&header));
  }
  for (const int column : {kName, kDirectory})
    SendMessageW(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(column),
                 Twips(ColumnWidthTwips(column, LayoutOf(ids::lvSelecteds).width)));
  DragAcceptFiles(list, TRUE);
  SetWindowSubclass(list, ListProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

void FrmMain::SetUpMenus() {
  addMenu_ = MakeMenu(kAddMenu, std::size(kAddMenu));
  helpMenu_ = MakeMenu(kHelpMenu, std::size(kHelpMenu));
}

LRESULT CALLBACK FrmMain::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_CTLCOLORSTATIC:
      // The pages only hold the controls; the form handles them.
      return SendMessageW(GetParent(window), message, wParam, lParam);
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK FrmMain::ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self) {
  if (message == WM_DROPFILES) {
    // Nothing may unwind through the system's code.
    comkit::Guarded([&] {
      reinterpret_cast<FrmMain*>(self)->OnDropFiles(reinterpret_cast<HDROP>(wParam));
      return S_OK;
    });
    return 0;
  }
  if (message == WM_NCDESTROY) RemoveWindowSubclass(window, ListProc, 1);
  return DefSubclassProc(window, message, wParam, lParam);
}

LRESULT FrmMain::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_NOTIFY:
      return OnNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_CTLCOLORSTATIC:
      return OnControlColour(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam));
    case DM_GETDEFID:
      // Enter is Next on every page.
      return MAKELRESULT(ids::btnNext, DC_HASDEFID);
    case WM_SETCURSOR:
      if (wizard_ && wizard_->Busy()) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        return TRUE;
      }
      break;
    case WM_TIMER:
      if (wParam == ids::Timer1 && wizard_) wizard_->TimerTick();
      return 0;
    case WM_CLOSE:
      // The close box ends the program like Cancel; without a model it just closes.
      if (wizard_)
        wizard_->Cancel();
      else
        DestroyWindow(form_);
      return 0;
    case WM_DESTROY:
      KillTimer(form_, ids::Timer1);
      form_ = nullptr;
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(form_, message, wParam, lParam);
}

void FrmMain::OnCommand(int id, int code) {
  if (!wizard_) return;
  for (const auto& [entry, holder] : kAddMenuHolders)
    if (id == entry) {
      OnCommand(holder, BN_CLICKED);
      return;
    }
  const bool clicked = code == BN_CLICKED;
  switch (id) {
    case ids::btnNext:
      if (clicked) wizard_->Next();
      break;
    case ids::btnBack:
      if (clicked) wizard_->Back();
      break;
    case ids::btnQuit:
      if (clicked) wizard_->Cancel();
      break;
    case IDCANCEL:  // Esc
      wizard_->Cancel();
      return;
    case ids::h:
      if (clicked) PopUp(helpMenu_.get());
      break;
    case ids::AboutMenu:
      about_.Show(form_);
      return;
    default:
      if (!OnListCommand(id, clicked) && !OnMethodCommand(id, code) && RunHelpCommand(id, form_)) return;
      break;
  }
  Refresh();
}

bool FrmMain::OnListCommand(int id, bool clicked) {
  switch (id) {
    case ids::Browse:
      if (clicked) PopUp(addMenu_.get());
      return true;
    case ids::cmdrecentmru:
      if (clicked) wizard_->ScanShellFolder(*shell_, SpecialFolder::RecentDocuments);
      return true;
    case ids::cmdrecyclebin:
      if (clicked) wizard_->ScanShellFolder(*shell_, SpecialFolder::RecycleBin);
      return true;
    case ids::addFile:
      if (clicked) AddFiles();
      return true;
    case ids::addFolder:
      if (clicked) AddFolder();
      return true;
    case ids::btnClear:
      if (clicked) wizard_->ClearList();
      return true;
    case ids::btnDeleteItem:
      if (clicked) wizard_->ClearItem(SelectedRow());
      return true;
  }
  return false;
}

bool FrmMain::OnMethodCommand(int id, int code) {
  switch (id) {
    case ids::Combo1:
      if (code == CBN_SELCHANGE)
        wizard_->Methods().SelectMethod(static_cast<int>(SendMessageW(Control(ids::Combo1), CB_GETCURSEL, 0, 0)));
      return true;
    case ids::Text1:
    case ids::Text2:
    case ids::Text3:
    case ids::Text4:
      // The model holds what the fields say; a text the window sets itself is the model's already.
      if (code != EN_CHANGE || settingText_) return true;
      shownTexts_[id] = TextOf(id);
      if (id == ids::Text1)
        wizard_->Methods().SetCyclesText(shownTexts_[id]);
      else
        wizard_->Methods().SetHexText(id == ids::Text2 ? 1 : id == ids::Text3 ? 2 : 3, shownTexts_[id]);
      return true;
  }
  return false;
}

LRESULT FrmMain::OnNotify(const NMHDR& header) {
  if (!wizard_) return 0;
  if (header.idFrom == ids::Label28 && (header.code == NM_CLICK || header.code == NM_RETURN)) {
    wizard_->EraseMoreItems();
    Refresh();
  } else if (header.idFrom == ids::lvSelecteds && header.code == LVN_COLUMNCLICK) {
    wizard_->SortByColumn(reinterpret_cast<const NMLISTVIEW&>(header).iSubItem);
    Refresh();
  } else if (header.idFrom == ids::UpDown1 && header.code == UDN_DELTAPOS) {
    wizard_->Methods().SpinCycles(reinterpret_cast<const NMUPDOWN&>(header).iDelta);
    Refresh();
    return TRUE;  // the page's model holds the count, not the control
  }
  return 0;
}

LRESULT FrmMain::OnControlColour(HDC dc, HWND control) {
  COLORREF colour = GetSysColor(COLOR_WINDOWTEXT);
  if (wizard_) {
    const ProgressPage& progress = wizard_->Progress();
    switch (GetDlgCtrlID(control)) {
      case ids::Label21:
        colour = kDescriptionColour;
        break;
      case ids::Label13:
        if (progress.resultHeading.colour == TextColour::Red) colour = kRed;
        break;
      case ids::Label17:
        if (progress.status.colour == TextColour::Red) colour = kRed;
        break;
    }
  }
  SetTextColor(dc, colour);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  // The system's brush, which cannot be deleted: Wine's link deletes the brush it is
  // given, and with a brush of ours every label drawn after the link went unfilled.
  return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void FrmMain::OnDropFiles(HDROP drop) {
  std::vector<std::string> paths;
  const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < count; ++i) {
    std::wstring name(DragQueryFileW(drop, i, nullptr, 0) + std::size_t{1}, L'\0');
    name.resize(DragQueryFileW(drop, i, name.data(), static_cast<UINT>(name.size())));
    // A name with no UTF-8 form could not be erased by the path the model keeps.
    if (auto path = winkit::WideToUtf8(name); path && !path->empty()) paths.push_back(std::move(*path));
  }
  DragFinish(drop);
  if (!wizard_ || !form_) return;
  wizard_->DropFiles(paths);
  Refresh();
}

void FrmMain::PopUp(HMENU menu) {
  if (!menu) return;
  POINT at{};
  GetCursorPos(&at);
  SetForegroundWindow(form_);
  TrackPopupMenu(menu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, at.x, at.y, 0, form_, nullptr);
  PostMessageW(form_, WM_NULL, 0, 0);
}

void FrmMain::AddFiles() {
  std::wstring answer(kPickerLength, L'\0');
  OPENFILENAMEW picker{};
  picker.lStructSize = sizeof picker;
  picker.hwndOwner = form_;
  picker.lpstrFilter = L"All Files\0*.*\0";
  picker.lpstrFile = answer.data();
  picker.nMaxFile = static_cast<DWORD>(answer.size() - 2);
  picker.lpstrTitle = L"Select Files";
  picker.Flags = OFN_EXPLORER | OFN_ALLOWMULTISELECT | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST;
  if (!GetOpenFileNameW(&picker)) return;
  // One full path, or the folder and the names, each ended by a NUL; two end it all.
  // Each converts on its own: a name with no UTF-8 form is left out, a folder without one takes nothing.
  std::vector<std::string> fields;
  std::size_t count = 0;
  for (std::size_t at = 0; at < answer.size() && answer[at] != L'\0'; ++count) {
    const std::size_t end = std::min(answer.find(L'\0', at), answer.size());
    auto field = winkit::WideToUtf8(std::wstring_view(answer).substr(at, end - at));
    at = end + 1;
    if (!field && count == 0) return;
    if (field) fields.push_back(std::move(*field));
  }
  if (fields.empty() || !form_) return;
  if (count == 1)
    wizard_->AddPaths(fields);
  else
    wizard_->AddPicked(fields.front(), std::vector<std::string>(fields.begin() + 1, fields.end()));
}

void FrmMain::AddFolder() {
  BROWSEINFOW browse{};
  browse.hwndOwner = form_;
  browse.lpszTitle = L"Select a folder";
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  const winkit::UniquePidl chosen(SHBrowseForFolderW(&browse));
  if (!chosen) return;
  // The path of any length, where SHGetPathFromIDList stops at MAX_PATH.
  winkit::UniqueCoTaskMem<PWSTR> path;
  if (FAILED(SHGetNameFromIDList(chosen.get(), SIGDN_FILESYSPATH, path.put())) || !form_) return;
  if (const auto folder = winkit::WideToUtf8(path.get())) wizard_->AddFolder(*folder);
}

int FrmMain::SelectedRow() const {
  return static_cast<int>(
             SendMessageW(Control(ids::lvSelecteds), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)) +
         1;
}

// WizardView.

MessageAnswer FrmMain::ShowMessage(const MessageBoxRequest& request) {
  UINT flags = request.buttons == MessageButtons::OkCancel ? MB_OKCANCEL : MB_OK;
  flags |= request.icon == MessageIcon::Exclamation ? MB_ICONEXCLAMATION : MB_ICONINFORMATION;
  if (request.cancelIsDefault) flags |= MB_DEFBUTTON2;
  const int answer = MessageBoxW(form_, Wide(request.text).c_str(), Wide(request.caption).c_str(), flags);
  return answer == IDOK ? MessageAnswer::Ok : MessageAnswer::Cancel;
}

void FrmMain::ShowPage(int page) {
  if (!form_) return;
  for (int i = 0; i < kPageCount; ++i) {
    if (i == page) SetWindowPos(panels_[i], HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    ShowWindow(panels_[i], i == page ? SW_SHOW : SW_HIDE);
  }
  // Keys must not go on to a control of a page now hidden: Next takes them, or the form.
  const HWND focus = GetFocus();
  if (focus && IsChild(form_, focus) && !IsWindowVisible(focus))
    SetFocus(IsWindowEnabled(Control(ids::btnNext)) ? Control(ids::btnNext) : form_);
}

void FrmMain::Refresh() {
  if (!form_ || !wizard_) return;
  const Wizard& wizard = *wizard_;
  if (wizard.Busy() != shownBusy_) {
    shownBusy_ = wizard.Busy();
    // The pointer changes now, not at the mouse's next move.
    SetCursor(LoadCursorW(nullptr, shownBusy_ ? IDC_WAIT : IDC_ARROW));
  }
  SetText(ids::Label27, wizard.ItemCountText());
  SetShown(ids::Label27, !wizard.ItemCountText().empty());
  SetText(ids::Label6, wizard.MethodHeading());
  RenderMethodPage();
  RenderProgressPage();
  RenderList();
  // The buttons last: once Next can be pressed, the page shows all that it stands for.
  SetEnabled(ids::btnBack, wizard.BackButton().enabled);
  SetText(ids::btnNext, wizard.NextButton().caption);
  SetEnabled(ids::btnNext, wizard.NextButton().enabled);
}

void FrmMain::RenderMethodPage() {
  MethodPage& methods = wizard_->Methods();
  const HWND combo = Control(ids::Combo1);
  if (SendMessageW(combo, CB_GETCURSEL, 0, 0) != methods.Selected())
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(methods.Selected()), 0);
  SetText(ids::Text1, methods.CyclesText());
  for (int field = 1; field <= 3; ++field) {
    SetText(kHexFields[field - 1], methods.HexText(field));
    const bool shown = field <= methods.HexFieldsShown();
    SetShown(kHexFields[field - 1], shown);
    SetShown(kHexCaptions[field - 1], shown);
  }
  SetText(ids::Label21, methods.Description());
  SetText(ids::Label18, methods.MethodName());
}

void FrmMain::RenderProgressPage() {
  const ProgressPage& progress = wizard_->Progress();
  SetText(ids::lblFolders, progress.folders.text);
  SetText(ids::lblFiles, progress.files.text);
  SetText(ids::lblSize, progress.size.text);
  SetText(ids::lblRound, progress.cycle.text);
  SetText(ids::lblPass, progress.pass.text);
  SetText(ids::Label12, progress.filePercentText.text);
  SetText(ids::Label7, progress.overallPercentText.text);
  SetText(ids::Label22, progress.resultText.text);
  SendMessageW(Control(ids::pbFile), PBM_SETPOS, static_cast<WPARAM>(progress.filePercent), 0);
  SendMessageW(Control(ids::pbMain), PBM_SETPOS, static_cast<WPARAM>(progress.overallPercent), 0);
  const struct {
    int id;
    const Label& label;
  } coloured[] = {{ids::Label17, progress.status}, {ids::Label13, progress.resultHeading}};
  for (const auto& [id, label] : coloured) {
    SetText(id, label.text);
    // A change of colour alone does not repaint a label.
    auto shown = shownColours_.try_emplace(id, TextColour::Normal).first;
    if (shown->second == label.colour) continue;
    shown->second = label.colour;
    InvalidateRect(Control(id), nullptr, TRUE);
  }
}

void FrmMain::RenderList() {
  ItemsList& items = wizard_->Items();
  if (items.Revision() == shownRevision_) return;
  shownRevision_ = items.Revision();
  const HWND list = Control(ids::lvSelecteds);
  SendMessageW(list, WM_SETREDRAW, FALSE, 0);
  SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
  for (int index = 1; index <= items.Count(); ++index) {
    const ItemRow& row = items.Row(index);
    std::wstring name = Wide(row[kName]);
    LVITEMW item{};
    item.mask = LVIF_TEXT | LVIF_IMAGE;
    item.iItem = index - 1;
    item.pszText = name.data();
    item.iImage = IconFor(items.PathAt(index));
    const LRESULT at = SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
    if (at < 0) continue;
    for (int column = 1; column < kColumnCount; ++column) {
      std::wstring text = Wide(row[static_cast<std::size_t>(column)]);
      LVITEMW cell{};
      cell.iSubItem = column;
      cell.pszText = text.data();
      SendMessageW(list, LVM_SETITEMTEXTW, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(&cell));
    }
  }
  SendMessageW(list, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(list, nullptr, TRUE);
}

int FrmMain::IconFor(const std::string& path) {
  const auto known = icons_.find(path);
  if (known != icons_.end()) return known->second;
  // Each row gets an entry of its own: the placeholder, then the shell's small icon over it.
  const int entry = AddShellIcon(iconList_.get(), placeholder_.get(), Wide(path));
  if (entry < 0) return -1;
  icons_[path] = entry;
  return entry;
}

void FrmMain::SetTimerEnabled(bool enabled) {
  if (!form_) return;
  if (enabled)
    SetTimer(form_, ids::Timer1, ids::kTimer1IntervalMs, nullptr);
  else
    KillTimer(form_, ids::Timer1);
}

UserResult FrmMain::AskAboutHeldFiles(const std::vector<std::string>& files) {
  if (!form_) return UserResult::None;
  return FrmUserConfirmation(instance_, normalFont_.get(), placeholder_.get(), files).Show(form_);
}

void FrmMain::CloseWizard() {
  if (form_) DestroyWindow(form_);
}

// Helpers.

int FrmMain::Twips(int twips) const { return MulDiv(twips, dpi_, 1440); }

HWND FrmMain::Control(int id) const {
  const auto found = controls_.find(id);
  return found == controls_.end() ? nullptr : found->second;
}

std::string FrmMain::TextOf(int id) const {
  const HWND control = Control(id);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return Utf8(text);
}

void FrmMain::SetText(int id, const std::string& text) {
  std::string& shown = shownTexts_[id];
  if (shown == text) return;
  shown = text;
  settingText_ = true;
  SetWindowTextW(Control(id), Wide(text).c_str());
  settingText_ = false;
}

void FrmMain::SetShown(int id, bool shown) {
  const HWND control = Control(id);
  if (control && ((GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0) != shown)
    ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
}

void FrmMain::SetEnabled(int id, bool enabled) {
  const HWND control = Control(id);
  if (control && (IsWindowEnabled(control) != FALSE) != enabled) EnableWindow(control, enabled);
}

}  // namespace qelwipe::win
