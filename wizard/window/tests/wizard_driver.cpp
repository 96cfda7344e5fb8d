#include "wizard_driver.h"

#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdint>
#include <cwchar>
#include <fstream>
#include <thread>

#include "control_ids.h"
#include "handles.h"
#include "scope_exit.h"
#include "text.h"

namespace qelwipe::testing {
namespace {

constexpr wchar_t kFormClass[] = L"QelWipeFrmMain";
constexpr DWORD kSendTimeout = 5000;

LRESULT SendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kSendTimeout, &result);
  return static_cast<LRESULT>(result);
}

std::string Utf8(std::wstring_view text) { return winkit::WideToUtf8(text).value_or("(not UTF-16)"); }
std::wstring Wide(const std::string& text) { return winkit::Utf8ToWide(text).value_or(L""); }

std::string WindowText(HWND window) {
  wchar_t text[4096] = {};
  SendTo(window, WM_GETTEXT, std::size(text), reinterpret_cast<LPARAM>(text));
  return Utf8(text);
}

// Memory inside the program, for messages that carry pointers.
class RemoteBlock {
 public:
  RemoteBlock(HANDLE process, std::size_t size)
      : process_(process), address_(VirtualAllocEx(process, nullptr, size, MEM_COMMIT, PAGE_READWRITE)) {}
  ~RemoteBlock() {
    if (address_ && !kept_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
  }
  RemoteBlock(const RemoteBlock&) = delete;
  RemoteBlock& operator=(const RemoteBlock&) = delete;

  char* get() const { return static_cast<char*>(address_); }
  void Write(std::size_t offset, const void* data, std::size_t size) const {
    WriteProcessMemory(process_, get() + offset, data, size, nullptr);
  }
  void Read(std::size_t offset, void* data, std::size_t size) const {
    ReadProcessMemory(process_, get() + offset, data, size, nullptr);
  }
  // The program owns it from now on.
  void Keep() { kept_ = true; }

 private:
  HANDLE process_;
  void* address_;
  bool kept_ = false;
};

struct WindowSearch {
  DWORD processId;
  const wchar_t* className;
  const std::string* title;  // any title when null
  HWND found = nullptr;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM context) {
  auto& search = *reinterpret_cast<WindowSearch*>(context);
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  wchar_t className[64] = {};
  GetClassNameW(window, className, static_cast<int>(std::size(className)));
  if (owner == search.processId && std::wcscmp(className, search.className) == 0 && IsWindowVisible(window) &&
      (!search.title || WindowText(window) == *search.title)) {
    search.found = window;
    return FALSE;
  }
  return TRUE;
}

// A visible top-level window of the process, once one shows.
HWND WaitForWindow(
    DWORD processId, const wchar_t* className, const std::string* title, std::chrono::milliseconds timeout,
    const std::function<bool()>& giveUp = [] { return false; }) {
  WindowSearch search{processId, className, title};
  WaitFor(
      [&] {
        EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.found != nullptr || giveUp();
      },
      timeout);
  return search.found;
}

// A PNG of 8-bit RGB rows, its image data in stored (uncompressed) deflate blocks.
class PngFile {
 public:
  static bool Save(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgbRows) {
    std::string raw;
    const std::size_t stride = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
      raw += '\0';  // no filter
      raw.append(reinterpret_cast<const char*>(rgbRows.data()) + y * stride, stride);
    }
    std::string zlib = "\x78\x01";
    for (std::size_t at = 0; at < raw.size(); at += 65535) {
      const std::size_t length = std::min<std::size_t>(65535, raw.size() - at);
      zlib += static_cast<char>(at + length == raw.size() ? 1 : 0);  // the last block
      zlib += static_cast<char>(length & 0xFF);
      zlib += static_cast<char>(length >> 8);
      zlib += static_cast<char>(~length & 0xFF);
      zlib += static_cast<char>((~length >> 8) & 0xFF);
      zlib.append(raw, at, length);
    }
    std::uint32_t a = 1, b = 0;
    for (const unsigned char c : raw) {
      a = (a + c) % 65521;
      b = (b + a) % 65521;
    }
    AppendBig(zlib, (b << 16) | a);

    std::string header;
    AppendBig(header, static_cast<std::uint32_t>(width));
    AppendBig(header, static_cast<std::uint32_t>(height));
    header += std::string("\x08\x02\x00\x00\x00", 5);

    std::ofstream out(path, std::ios::binary);
    out << std::string("\x89PNG\r\n\x1a\n", 8) << Chunk("IHDR", header) << Chunk("IDAT", zlib) << Chunk("IEND", "");
    return static_cast<bool>(out);
  }

 private:
  static void AppendBig(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
  }
  static std::string Chunk(const char* type, const std::string& data) {
    std::string chunk;
    AppendBig(chunk, static_cast<std::uint32_t>(data.size()));
    const std::string body = type + data;
    std::uint32_t crc = 0xFFFFFFFFu;
    for (const unsigned char c : body) {
      crc ^= c;
      for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
    }
    chunk += body;
    AppendBig(chunk, ~crc);
    return chunk;
  }
};

}  // namespace

bool WaitFor(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (!condition()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

std::string DosPath(const std::string& unixPath) {
  std::string path = "Z:" + unixPath;
  for (char& c : path)
    if (c == '/') c = '\\';
  return path;
}

std::string WizardProgram() { return DosPath(QELWIPE_EXE); }

bool SetDornixRegistered(bool registered) {
  const HMODULE dornix = LoadLibraryA(DosPath(DORNIX_DLL).c_str());
  if (!dornix) return false;
  const auto entry = reinterpret_cast<HRESULT(WINAPI*)()>(
      reinterpret_cast<void*>(GetProcAddress(dornix, registered ? "DllRegisterServer" : "DllUnregisterServer")));
  const bool done = entry && entry() == S_OK;
  FreeLibrary(dornix);
  return done;
}

bool PrepareWizardPrefix() {
  winkit::UniqueKey x11;
  if (RegCreateKeyA(HKEY_CURRENT_USER, "Software\\Wine\\X11 Driver", x11.put()) == ERROR_SUCCESS)
    RegSetValueExA(x11.get(), "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
  return SetDornixRegistered(true);
}

std::string Dialog::Text() const {
  // A message box shows its message in the static control 0xFFFF.
  return WindowText(GetDlgItem(window, 0xFFFF));
}

bool Dialog::IsDefault(int id) const { return (GetWindowLongW(Item(id), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON; }

void Dialog::Press(int id) const { PostMessageW(Item(id), BM_CLICK, 0, 0); }

bool SelectInFolderBrowser(const Dialog& browser, HANDLE process, const std::string& folder) {
  const std::wstring wide = Wide(folder);
  RemoteBlock path(process, (wide.size() + 1) * sizeof(wchar_t));
  path.Write(0, wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
  const HWND tree = FindWindowExW(browser.window, nullptr, WC_TREEVIEWW, nullptr);
  constexpr std::size_t kTextLength = 260;
  RemoteBlock item(process, sizeof(TVITEMW) + kTextLength * sizeof(wchar_t));
  const std::string name = folder.substr(folder.find_last_of('\\') + 1);
  // The dialog may still settle on its first choice after it shows: ask until the tree agrees.
  return WaitFor([&] {
    SendTo(browser.window, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(path.get()));
    TVITEMW query{};
    query.mask = TVIF_TEXT;
    query.hItem = reinterpret_cast<HTREEITEM>(SendTo(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    query.pszText = reinterpret_cast<wchar_t*>(item.get() + sizeof(TVITEMW));
    query.cchTextMax = kTextLength;
    item.Write(0, &query, sizeof query);
    if (!query.hItem || !SendTo(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(item.get()))) return false;
    wchar_t text[kTextLength] = {};
    item.Read(sizeof(TVITEMW), text, sizeof text - sizeof(wchar_t));
    return name == Utf8(text);
  });
}

WizardProcess::WizardProcess(const std::string& arguments) {
  std::wstring commandLine = Wide("\"" + WizardProgram() + "\"" + (arguments.empty() ? "" : " " + arguments));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process_))
    return;
  form_ = WaitForWindow(process_.dwProcessId, kFormClass, nullptr, 10s, [this] { return !Running(); });
  AwaitHandOff();
}

// The window shows before the hand-off list is taken in; Next is enabled once it is.
void WizardProcess::AwaitHandOff() {
  if (form_ && !WaitFor([this] { return IsWindowEnabled(Control(ids::btnNext)) != 0; }, 20s)) form_ = nullptr;
}

WizardProcess::WizardProcess(StartedElsewhere wait) {
  HWND form = nullptr;
  if (!WaitFor([&] { return (form = FindWindowW(kFormClass, nullptr)) && IsWindowVisible(form); }, wait.timeout))
    return;
  GetWindowThreadProcessId(form, &process_.dwProcessId);
  process_.hProcess = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, process_.dwProcessId);
  if (process_.hProcess) form_ = form;
  AwaitHandOff();
}

WizardProcess::~WizardProcess() {
  if (!process_.hProcess) return;
  if (Running()) {
    // The close box ends the program without a question.
    if (form_) PostMessageW(form_, WM_CLOSE, 0, 0);
    if (!WaitForExit(5s)) TerminateProcess(process_.hProcess, 1);
  }
  if (process_.hThread) CloseHandle(process_.hThread);
  CloseHandle(process_.hProcess);
}

HWND WizardProcess::Control(int id) const {
  if (const HWND control = GetDlgItem(form_, id)) return control;
  for (int page = 0; page < 5; ++page)
    if (const HWND control = GetDlgItem(GetDlgItem(form_, ids::Frame1 + page), id)) return control;
  return nullptr;
}

std::string WizardProcess::Text(int id) const { return WindowText(Control(id)); }
std::string WizardProcess::Caption() const { return WindowText(form_); }

int WizardProcess::Page() const {
  for (int page = 0; page < 5; ++page)
    if (IsWindowVisible(GetDlgItem(form_, ids::Frame1 + page))) return page;
  return -1;
}

LRESULT WizardProcess::Send(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
  return SendTo(Control(id), message, wParam, lParam);
}

void WizardProcess::Click(int id) const { PostMessageW(Control(id), BM_CLICK, 0, 0); }

bool WizardProcess::NextTo(int page) const {
  Click(ids::btnNext);
  return WaitFor([&] { return Page() == page; });
}

Dialog WizardProcess::ConfirmErase(int button) const {
  Click(ids::btnNext);
  const Dialog box = WaitForDialog("WARNING: Please confirm the erase operation");
  if (!box.window) return box;
  box.Press(button);
  // Gone means answered: whatever the program shows next is the answer's doing.
  WaitFor([&] { return !IsWindow(box.window); });
  return box;
}

void WizardProcess::ClickLabel(int id) const {
  PostMessageW(Control(id), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(2, 2));
  PostMessageW(Control(id), WM_LBUTTONUP, 0, MAKELPARAM(2, 2));
}

void WizardProcess::PressKey(int id, int key) const {
  PostMessageW(Control(id), WM_KEYDOWN, static_cast<WPARAM>(key), 1);
  PostMessageW(Control(id), WM_KEYUP, static_cast<WPARAM>(key), 0xC0000001);
}

void WizardProcess::Command(int id) const { PostMessageW(form_, WM_COMMAND, MAKEWPARAM(id, 0), 0); }

void WizardProcess::Choose(int comboId, int index) const {
  const HWND combo = Control(comboId);
  SendTo(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
  PostMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(comboId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void WizardProcess::Drop(int id, const std::vector<std::string>& paths) const {
  std::wstring names;
  for (const auto& path : paths) names += Wide(path) + L'\0';
  names += L'\0';
  DROPFILES header{};
  header.pFiles = sizeof(DROPFILES);
  header.fWide = TRUE;
  const std::size_t size = sizeof header + names.size() * sizeof(wchar_t);
  RemoteBlock remote(process_.hProcess, size);
  remote.Write(0, &header, sizeof header);
  remote.Write(sizeof header, names.data(), names.size() * sizeof(wchar_t));
  remote.Keep();  // the program's DragFinish lets it go
  PostMessageW(Control(id), WM_DROPFILES, reinterpret_cast<WPARAM>(remote.get()), 0);
}

int WizardProcess::RowCount() const { return ListRowCount(Control(ids::lvSelecteds)); }

std::string WizardProcess::Cell(int row, int column) const {
  return ListCell(process_.hProcess, Control(ids::lvSelecteds), row, column);
}

int ListRowCount(HWND list) { return static_cast<int>(SendTo(list, LVM_GETITEMCOUNT, 0, 0)); }

std::string ListCell(HANDLE process, HWND list, int row, int column) {
  constexpr std::size_t kTextLength = 1024;
  RemoteBlock remote(process, sizeof(LVITEMW) + kTextLength * sizeof(wchar_t));
  LVITEMW item{};
  item.iSubItem = column;
  item.pszText = reinterpret_cast<wchar_t*>(remote.get() + sizeof(LVITEMW));
  item.cchTextMax = kTextLength;
  remote.Write(0, &item, sizeof item);
  const auto length = SendTo(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.get()));
  std::wstring text(kTextLength, L'\0');
  remote.Read(sizeof(LVITEMW), text.data(), text.size() * sizeof(wchar_t));
  text.resize(static_cast<std::size_t>(length));
  return Utf8(text);
}

RECT ListIconRect(HANDLE process, HWND list, int row) {
  RemoteBlock remote(process, sizeof(RECT));
  RECT area{LVIR_ICON, 0, 0, 0};
  remote.Write(0, &area, sizeof area);
  SendTo(list, LVM_GETITEMRECT, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.get()));
  remote.Read(0, &area, sizeof area);
  MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&area), 2);
  return area;
}

void WizardProcess::SelectRow(int row) const {
  RemoteBlock remote(process_.hProcess, sizeof(LVITEMW));
  LVITEMW item{};
  item.stateMask = item.state = LVIS_SELECTED | LVIS_FOCUSED;
  remote.Write(0, &item, sizeof item);
  SendTo(Control(ids::lvSelecteds), LVM_SETITEMSTATE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(remote.get()));
}

void WizardProcess::ClickHeader(int column) const {
  const HWND list = Control(ids::lvSelecteds);
  const auto header = reinterpret_cast<HWND>(SendTo(list, LVM_GETHEADER, 0, 0));
  // The middle of the column: near its edges a press drags the divider.
  int x = static_cast<int>(SendTo(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(column), 0)) / 2;
  for (int before = 0; before < column; ++before)
    x += static_cast<int>(SendTo(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(before), 0));
  PostMessageW(header, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 4));
  PostMessageW(header, WM_LBUTTONUP, 0, MAKELPARAM(x, 4));
}

bool WizardProcess::ChooseFromMenu(int buttonId, int key) const {
  // A menu opened while a closing dialog still hands the activation back is closed at once.
  WaitFor([&] { return GetForegroundWindow() == form_; }, 5s);
  // The key is typed ahead, queued behind the click: the menu takes it before it first waits for
  // input. Under Wine that first wait can bring the display's late report that the window lost the
  // focus to a dialog closed a moment ago; the window, active again, then cancels the menu, and a
  // key pressed only once the menu shows is lost.
  const HWND button = Control(buttonId);
  if (!PostMessageW(button, BM_CLICK, 0, 0)) return false;
  if (key == VK_ESCAPE)
    PostMessageW(button, WM_KEYDOWN, VK_ESCAPE, 1);
  else
    PostMessageW(button, WM_CHAR, static_cast<WPARAM>(key), 1);
  // Menus belong to their process: the entries cannot be read from here, only chosen. A key that
  // matches an entry closes the menu at once, mostly before it can be seen; one that matches none
  // leaves it open.
  const HWND menu = WaitForWindow(process_.dwProcessId, L"#32768", nullptr, 500ms);
  return !menu || WaitFor([&] { return !IsWindowVisible(menu); });
}

Dialog WizardProcess::WaitForDialog(const std::string& title, std::chrono::milliseconds timeout) const {
  return {WaitForWindow(process_.dwProcessId, L"#32770", &title, timeout)};
}

bool WizardProcess::WaitForExit(std::chrono::milliseconds timeout) const {
  return WaitForSingleObject(process_.hProcess, static_cast<DWORD>(timeout.count())) == WAIT_OBJECT_0;
}

bool WizardProcess::Running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }

std::vector<COLORREF> ScreenPixels(const RECT& area) {
  const int width = area.right - area.left, height = area.bottom - area.top;
  std::vector<COLORREF> pixels;
  if (width <= 0 || height <= 0) return pixels;
  const winkit::ScreenDc screen;
  const winkit::UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const winkit::UniqueBitmap picture(CreateDIBSection(screen.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!picture) return pixels;
  const HGDIOBJ old = SelectObject(memory.get(), picture.get());
  const basekit::ScopeExit restore([&] { SelectObject(memory.get(), old); });
  BitBlt(memory.get(), 0, 0, width, height, screen.get(), area.left, area.top, SRCCOPY);
  GdiFlush();
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
  for (int y = 0; y < height; ++y) {
    const auto* row = static_cast<const std::uint8_t*>(bits) + static_cast<std::size_t>(y) * stride;
    for (int x = 0; x < width; ++x) pixels.push_back(RGB(row[x * 3 + 2], row[x * 3 + 1], row[x * 3]));
  }
  return pixels;
}

bool WizardProcess::Screenshot(const std::string& path, HWND window) const {
  if (!window) window = form_;
  // Whatever changed must be on the screen first.
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  SendTo(window, WM_NULL, 0, 0);
  std::this_thread::sleep_for(100ms);
  RECT area{};
  if (!GetWindowRect(window, &area)) return false;
  std::vector<std::uint8_t> rgb;
  for (const COLORREF pixel : ScreenPixels(area))
    rgb.insert(rgb.end(), {GetRValue(pixel), GetGValue(pixel), GetBValue(pixel)});
  return !rgb.empty() && PngFile::Save(path, area.right - area.left, area.bottom - area.top, rgb);
}

}  // namespace qelwipe::testing
