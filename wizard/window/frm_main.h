#pragma once
// The main window FrmMain: renders the wizard model's state and forwards the
// user's commands to it.
#include <windows.h>

#include <array>
#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "about_box.h"
#include "handles.h"
#include "wizard.h"
#include "window_proc.h"

namespace qelwipe::win {

class FrmMain final : public WizardView {
 public:
  explicit FrmMain(HINSTANCE instance);
  ~FrmMain() override;
  FrmMain(const FrmMain&) = delete;
  FrmMain& operator=(const FrmMain&) = delete;

  // Creates the window and the engine control and loads the model with the
  // command line's argument text. False when the window cannot be made.
  bool Create(const std::string& argumentText, int show);
  // Until the window is gone.
  int Run();

  // WizardView.
  MessageAnswer ShowMessage(const MessageBoxRequest& request) override;
  void ShowPage(int page) override;
  void Refresh() override;
  void SetTimerEnabled(bool enabled) override;
  UserResult AskAboutHeldFiles(const std::vector<std::string>& files) override;
  void CloseWizard() override;

 private:
  template <class Window, HWND Window::*handle>
  friend LRESULT CALLBACK winkit::WindowProcOf(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR self);

  bool RegisterClasses();
  void CreateFonts();
  void CreateControls();
  void SetUpList();
  void SetUpMenus();

  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void OnCommand(int id, int code);
  // The list page's buttons, and the method page's fields; false for any other command.
  bool OnListCommand(int id, bool clicked);
  bool OnMethodCommand(int id, int code);
  LRESULT OnNotify(const NMHDR& header);
  LRESULT OnControlColour(HDC dc, HWND control);
  void OnDropFiles(HDROP drop);
  void PopUp(HMENU menu);

  void AddFiles();
  void AddFolder();
  int SelectedRow() const;

  void PumpMessages();
  int Twips(int twips) const;
  HWND Control(int id) const;
  std::string TextOf(int id) const;
  void SetText(int id, const std::string& text);
  void SetShown(int id, bool shown);
  void SetEnabled(int id, bool enabled);
  void RenderMethodPage();
  void RenderProgressPage();
  void RenderList();
  int IconFor(const std::string& path);

  HINSTANCE instance_;
  std::unique_ptr<SystemActions> system_;
  std::unique_ptr<FileSystem> files_;
  std::unique_ptr<FileTypeRegistry> registry_;
  std::unique_ptr<EraseEngine> engine_;
  std::unique_ptr<ShellFolders> shell_;
  std::unique_ptr<Wizard> wizard_;

  HWND form_ = nullptr;                    // owned by the system once created; gone after WM_DESTROY
  std::array<HWND, kPageCount> panels_{};  // Frame1
  std::map<int, HWND> controls_;
  std::map<int, std::string> shownTexts_;
  std::map<int, TextColour> shownColours_;
  int dpi_ = 96;
  bool settingText_ = false;
  bool shownBusy_ = false;
  std::uint64_t shownRevision_ = ~std::uint64_t{0};

  winkit::UniqueFont normalFont_, boldFont_, titleFont_;
  winkit::UniqueBitmap placeholder_;
  winkit::UniqueImageList iconList_;
  std::map<std::string, int> icons_;
  winkit::UniqueMenu addMenu_, helpMenu_;
  AboutBox about_;
};

}  // namespace qelwipe::win
