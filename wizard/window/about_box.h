#pragma once
// The About box: product name, version and build from the program's own version
// block, and the product picture. Modeless; OK or Esc closes it.
#include <windows.h>

#include <optional>
#include <string>

#include "handles.h"
#include "window_proc.h"

namespace qelwipe::win {

// "major.minor" and "major.minor.revision" of the module's version block.
struct VersionTexts {
  std::string version, build;
};
std::optional<VersionTexts> ReadVersionTexts(HMODULE module);

class AboutBox {
 public:
  // The box's texts come from `instance`'s version block, its picture from its resources.
  explicit AboutBox(HINSTANCE instance);
  ~AboutBox();
  AboutBox(const AboutBox&) = delete;
  AboutBox& operator=(const AboutBox&) = delete;

  // Opens the box above `owner`, or brings the open one to the front.
  void Show(HWND owner);
  HWND Window() const { return window_; }
  // Tab, Enter and Esc for the box; true when the message was the box's.
  bool PreTranslate(MSG& message);

 private:
  template <class Window, HWND Window::*handle>
  friend LRESULT CALLBACK winkit::WindowProcOf(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void CreateControls();
  int Twips(int twips) const;

  HINSTANCE instance_;
  HWND window_ = nullptr;
  int dpi_ = 96;
  winkit::UniqueFont normalFont_, boldFont_;
  winkit::UniqueBitmap picture_;
};

}  // namespace qelwipe::win
