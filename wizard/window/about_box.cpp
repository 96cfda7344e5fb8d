#include "about_box.h"

#include <commctrl.h>

#include <string_view>

#include "com_object.h"
#include "control_ids.h"
#include "resource_ids.h"
#include "text.h"
#include "texts.h"
#include "version_block.h"

namespace qelwipe::win {
namespace {

constexpr wchar_t kAboutClass[] = L"QelWipeAbout";
constexpr int kWidth = 5880, kHeight = 3000;  // client area, twips

enum class Kind { Label, BoldLabel, Line, Picture, Icon, Button };

struct AboutControl {
  int id;
  Kind kind;
  const char* text;
  int left, top, width, height;  // twips
};

constexpr AboutControl kAboutControls[] = {
    {ids::about::Picture1, Kind::Picture, "", 240, 240, 1440, 1440},
    {ids::about::Label9, Kind::BoldLabel, texts::kAppTitle, 1800, 300, 3840, 375},
    {ids::about::Line1, Kind::Line, "", 1800, 780, 3840, 30},
    {ids::about::Label6, Kind::Label, "Version:", 1800, 960, 960, 285},
    {ids::about::Label7, Kind::Label, "", 2820, 960, 2820, 285},
    {ids::about::Label4, Kind::Label, "Build:", 1800, 1320, 960, 285},
    {ids::about::Label2, Kind::Label, "", 2820, 1320, 2820, 285},
    {ids::about::Line2, Kind::Line, "", 240, 1920, 5400, 30},
    {ids::about::Picture2, Kind::Icon, "", 240, 2160, 480, 480},
    {ids::about::Command1, Kind::Button, "OK", 4425, 2280, 1215, 375},
};

std::wstring Wide(std::string_view text) { return winkit::Utf8ToWide(text).value_or(std::wstring()); }


}  // namespace

std::optional<VersionTexts> ReadVersionTexts(HMODULE module) {
  // From the module's own resource, not through version.dll: see version_block.h.
  const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(VS_VERSION_INFO), RT_VERSION);
  const HGLOBAL loaded = resource ? LoadResource(module, resource) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  if (!bytes) return std::nullopt;
  const auto fixed =
      version_block::ReadFileVersion({static_cast<const std::byte*>(bytes), SizeofResource(module, resource)});
  if (!fixed) return std::nullopt;
  const std::string majorMinor = std::to_string(fixed->major) + "." + std::to_string(fixed->minor);
  // The third number is not shown.
  return VersionTexts{majorMinor, majorMinor + "." + std::to_string(fixed->revision)};
}

AboutBox::AboutBox(HINSTANCE instance) : instance_(instance) {}

AboutBox::~AboutBox() {
  if (window_) DestroyWindow(window_);
}

void AboutBox::Show(HWND owner) {
  if (window_) {
    SetForegroundWindow(window_);
    return;
  }
  WNDCLASSEXW type{};
  type.cbSize = sizeof type;
  type.lpfnWndProc = winkit::WindowProcOf<AboutBox, &AboutBox::window_>;
  type.hInstance = instance_;
  type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  type.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  type.lpszClassName = kAboutClass;
  WNDCLASSEXW known{};
  if (!GetClassInfoExW(instance_, kAboutClass, &known) && !RegisterClassExW(&type)) return;
  {
    const winkit::ScreenDc screen;
    if (screen.get()) dpi_ = GetDeviceCaps(screen.get(), LOGPIXELSY);
  }
  constexpr DWORD style = WS_POPUP | WS_CAPTION | WS_SYSMENU;
  RECT frame{0, 0, Twips(kWidth), Twips(kHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  // Centred over the main window, or the screen.
  RECT over{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner) GetWindowRect(owner, &over);
  const int left = over.left + (over.right - over.left - width) / 2,
            top = over.top + (over.bottom - over.top - height) / 2;
  CreateWindowExW(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT, kAboutClass,
                  Wide(std::string("About ") + texts::kAppTitle).c_str(), style, left, top, width, height, owner,
                  nullptr, instance_, this);
  if (!window_) return;
  CreateControls();
  ShowWindow(window_, SW_SHOWNORMAL);
  SetFocus(GetDlgItem(window_, ids::about::Command1));
}

void AboutBox::CreateControls() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
    LOGFONTW font = metrics.lfMessageFont;
    normalFont_.reset(CreateFontIndirectW(&font));
    font.lfWeight = FW_BOLD;
    boldFont_.reset(CreateFontIndirectW(&font));
  }
  // The picture's light grey (192, 192, 192) becomes the window's face colour.
  picture_.reset(static_cast<HBITMAP>(
      LoadImageW(instance_, MAKEINTRESOURCEW(QELWIPE_PRODUCT_PICTURE), IMAGE_BITMAP, 0, 0, LR_LOADMAP3DCOLORS)));
  const auto versions = ReadVersionTexts(instance_);
  for (const AboutControl& control : kAboutControls) {
    const wchar_t* className = control.kind == Kind::Button ? WC_BUTTONW : WC_STATICW;
    DWORD style = WS_CHILD | WS_VISIBLE;
    switch (control.kind) {
      case Kind::Label:
      case Kind::BoldLabel:
        style |= SS_LEFT | SS_NOPREFIX;
        break;
      case Kind::Line:
        style |= SS_ETCHEDHORZ;
        break;
      case Kind::Picture:
        style |= SS_BITMAP | SS_CENTERIMAGE;
        break;
      case Kind::Icon:
        style |= SS_ICON;
        break;
      case Kind::Button:
        style |= WS_TABSTOP | BS_DEFPUSHBUTTON;
        break;
    }
    std::string text = control.text;
    if (versions && control.id == ids::about::Label7) text = versions->version;
    if (versions && control.id == ids::about::Label2) text = versions->build;
    const HWND made = CreateWindowExW(0, className, Wide(text).c_str(), style, Twips(control.left), Twips(control.top),
                                      Twips(control.width), Twips(control.height), window_,
                                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)), instance_, nullptr);
    if (!made) continue;
    const HFONT font = control.kind == Kind::BoldLabel ? boldFont_.get() : normalFont_.get();
    if (font) SendMessageW(made, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (control.kind == Kind::Picture && picture_)
      SendMessageW(made, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(picture_.get()));
    if (control.kind == Kind::Icon)
      SendMessageW(made, STM_SETICON, reinterpret_cast<WPARAM>(LoadIconW(nullptr, IDI_APPLICATION)), 0);
  }
}

bool AboutBox::PreTranslate(MSG& message) {
  return window_ && (message.hwnd == window_ || IsChild(window_, message.hwnd)) && IsDialogMessageW(window_, &message);
}

LRESULT AboutBox::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case DM_GETDEFID:
      return MAKELRESULT(ids::about::Command1, DC_HASDEFID);
    case WM_COMMAND:
      if (LOWORD(wParam) == ids::about::Command1 || LOWORD(wParam) == IDCANCEL) DestroyWindow(window_);
      return 0;
    case WM_CLOSE:
      DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      // The box is made again, from its resources, the next time it is asked for.
      window_ = nullptr;
      return 0;
  }
  return DefWindowProcW(window_, message, wParam, lParam);
}

int AboutBox::Twips(int twips) const { return MulDiv(twips, dpi_, 1440); }

}  // namespace qelwipe::win
