// clsContextMenu as Explorer meets it: a data object with real paths, a menu,
// the command, and the wizard it starts.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <filesystem>
#include <fstream>

#include "com_ptr.h"
#include "control_ids.h"
#include "handles.h"
#include "hdrop_selection.h"
#include "menu_surface.h"
#include "temp_folder.h"
#include "text.h"
#include "wizard_driver.h"

namespace {

namespace fs = std::filesystem;
using comkit::ComPtr;
using namespace std::chrono_literals;

using Selection = testing_support::HdropSelection;

std::string ModuleFolder() {
  char path[MAX_PATH];
  return fs::path(std::string(path, GetModuleFileNameA(nullptr, path, MAX_PATH))).parent_path().string();
}

int RunProgram(std::string command) {
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return -1;
  WaitForSingleObject(process.hProcess, 30000);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return static_cast<int>(code);
}

// The install-folder record: a string with its NUL, or (`withNul` false) without
// one; the registry adds a NUL it finds just past the data, so none may follow.
void SetInstallFolder(const std::wstring& folder, bool withNul = true) {
  HKEY key = nullptr;
  ASSERT_EQ(RegCreateKeyW(HKEY_LOCAL_MACHINE, lintorel::kInstallFolderKey, &key), ERROR_SUCCESS);
  const std::wstring data = folder + (withNul ? L'\0' : L'x');
  const DWORD bytes = static_cast<DWORD>((withNul ? data.size() : folder.size()) * sizeof(wchar_t));
  RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(data.c_str()), bytes);
  RegCloseKey(key);
}

std::vector<fs::path> ListFiles() {
  std::vector<fs::path> lists;
  for (const auto& entry : fs::directory_iterator(fs::temp_directory_path()))
    if (entry.path().filename().string().starts_with("ss")) lists.push_back(entry.path());
  return lists;
}

// Removes the list files made since `before`; how many of them held `path`.
int RemoveNewLists(const std::vector<fs::path>& before, const std::string& path) {
  int holding = 0;
  for (const auto& list : ListFiles()) {
    if (std::find(before.begin(), before.end(), list) != before.end()) continue;
    if (testing_support::ReadFile(list).find(path) != std::string::npos) ++holding;
    fs::remove(list);
  }
  return holding;
}

class ContextMenuTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { ASSERT_EQ(RunProgram("regsvr32 /s \"" + ModuleFolder() + "\\Lintorel.dll\""), 0); }

  void SetUp() override {
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    CLSID clsid{};
    ASSERT_EQ(CLSIDFromProgID(winkit::Utf8ToWide(lintorel::kProgId)->c_str(), &clsid), S_OK);
    ASSERT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IContextMenu, menu.put_void()), S_OK);
    // One name outside any ANSI code page.
    paths = {folder.path().wstring() + L"\\\u0416\u4e2d\u2605.txt", folder.path().wstring() + L"\\b.txt"};
    for (const auto& path : paths) std::ofstream(fs::path(path)) << "x";
  }
  void TearDown() override {
    menu.reset();
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, lintorel::kInstallFolderKey);
    CoUninitialize();
  }

  HRESULT Initialize(std::vector<std::wstring> selected) {
    ComPtr<IShellExtInit> init;
    EXPECT_EQ(menu.As(init), S_OK);
    Selection data(std::move(selected));
    return init->Initialize(nullptr, &data, nullptr);
  }
  HRESULT Invoke(LPCSTR verb) {
    CMINVOKECOMMANDINFO info{};
    info.cbSize = sizeof info;
    info.lpVerb = verb;
    return menu->InvokeCommand(&info);
  }
  // A copy of the build's wizard in a folder with a blank in its name.
  fs::path InstallWizard() const {
    const fs::path tools = folder.path() / "Qel Tools";
    fs::create_directories(tools);
    fs::copy_file(qelwipe::testing::WizardProgram(), tools / "qelwipe.exe");
    return tools;
  }
  // Whether a wizard shows within `timeout`; the test closes it.
  static bool WizardStarts(std::chrono::milliseconds timeout) {
    return qelwipe::testing::WizardProcess({timeout}).Started();
  }

  testing_support::TempFolder folder;
  std::vector<std::wstring> paths;
  ComPtr<IContextMenu> menu;
};

TEST_F(ContextMenuTest, TakesUpTo255ItemsAndShowsThemThroughLateBinding) {
  std::vector<std::wstring> many(paths);
  while (many.size() < 256) many.push_back(paths[1]);
  EXPECT_EQ(Initialize(std::vector(many.begin(), many.end() - 1)), S_OK);
  ComPtr<IDispatch> selection;
  ASSERT_EQ(menu.As(selection), S_OK);
  LPOLESTR names[] = {const_cast<LPOLESTR>(L"FileCount"), const_cast<LPOLESTR>(L"FileName")};
  DISPID ids[2] = {};
  for (int i = 0; i < 2; ++i) ASSERT_EQ(selection->GetIDsOfNames(IID_NULL, &names[i], 1, 0, &ids[i]), S_OK);
  comkit::UniqueVariant count, name;
  DISPPARAMS none{};
  ASSERT_EQ(selection->Invoke(ids[0], IID_NULL, 0, DISPATCH_PROPERTYGET, &none, count.get(), nullptr, nullptr), S_OK);
  ASSERT_EQ(selection->Invoke(ids[1], IID_NULL, 0, DISPATCH_PROPERTYGET, &none, name.get(), nullptr, nullptr), S_OK);
  EXPECT_EQ((*count).bVal, 255);
  EXPECT_EQ(std::wstring((*name).bstrVal), paths[0]);
  EXPECT_TRUE(FAILED(Initialize(many)));
  // A name longer than the buffer is refused, never cut into another name.
  EXPECT_TRUE(FAILED(Initialize({paths[1] + std::wstring(1100, L'a')})));
}

TEST_F(ContextMenuTest, InsertsItsCommandForTheMenusItServes) {
  for (const UINT flags : {0x0, 0x10, 0x4, 0x5, 0x1, 0x2, 0x6, 0x8}) {
    winkit::UniqueMenu popup(CreatePopupMenu());
    for (int i = 0; i < 5; ++i) AppendMenuW(popup.get(), MF_STRING, 1 + i, L"other");
    const bool served = flags == 0 || flags == 0x10 || flags == 0x4 || flags == 0x5;
    EXPECT_EQ(menu->QueryContextMenu(popup.get(), 3, 100, 200, flags), served ? 1 : 0) << flags;
    EXPECT_EQ(GetMenuItemCount(popup.get()), served ? 6 : 5) << flags;
    if (!served || flags) continue;
    wchar_t caption[64] = {};
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_CHECKMARKS;
    item.dwTypeData = caption;
    item.cch = 64;
    ASSERT_TRUE(GetMenuItemInfoW(popup.get(), 3, TRUE, &item));
    EXPECT_EQ(item.wID, 100u);
    EXPECT_STREQ(caption, lintorel::kCaption);
    EXPECT_TRUE(item.hbmpChecked && item.hbmpUnchecked);
  }
}

TEST_F(ContextMenuTest, HelpTextIsCutToTheBufferWithItsNul) {
  char ansi[16];
  wchar_t wide[16];
  std::fill(std::begin(ansi), std::end(ansi), 'x');
  EXPECT_EQ(menu->GetCommandString(1, GCS_HELPTEXTA, nullptr, ansi, 16), S_OK);
  EXPECT_STREQ(ansi, "");
  EXPECT_EQ(menu->GetCommandString(0, GCS_HELPTEXTA, nullptr, ansi, 10), S_OK);
  EXPECT_STREQ(ansi, "This will");
  EXPECT_EQ(menu->GetCommandString(0, GCS_HELPTEXTW, nullptr, reinterpret_cast<char*>(wide), 10), S_OK);
  EXPECT_STREQ(wide, L"This will");
  EXPECT_EQ(menu->GetCommandString(1, GCS_HELPTEXTW, nullptr, reinterpret_cast<char*>(wide), 16), S_OK);
  EXPECT_STREQ(wide, L"");
}

TEST_F(ContextMenuTest, TheCommandStartsTheWizardFromAFolderWithBlanks) {
  if (GetEnvironmentVariableA("DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no display";
  ASSERT_TRUE(qelwipe::testing::PrepareWizardPrefix());
  SetInstallFolder(InstallWizard().wstring());
  ASSERT_EQ(Initialize(paths), S_OK);

  // A verb given as text, or another handler's command, fails so that its own handler
  // runs; it writes no list and starts nothing.
  const auto before = ListFiles();
  EXPECT_EQ(Invoke("erase"), E_FAIL);
  EXPECT_EQ(Invoke(MAKEINTRESOURCEA(1)), E_FAIL);
  EXPECT_FALSE(WizardStarts(2s));
  EXPECT_EQ(RemoveNewLists(before, (folder.path() / "b.txt").string()), 0);

  EXPECT_EQ(Invoke(MAKEINTRESOURCEA(0)), S_OK);
  qelwipe::testing::WizardProcess wizard({10s});
  ASSERT_TRUE(wizard.Started());
  EXPECT_EQ(wizard.Text(qelwipe::ids::Label27), "You currently have (2) in your list to erase and wipe");
  RemoveNewLists(before, {});
}

TEST_F(ContextMenuTest, WithoutAUsableInstallRecordNothingStarts) {
  ASSERT_EQ(Initialize(paths), S_OK);
  const fs::path tools = InstallWizard();
  const auto before = ListFiles();
  EXPECT_EQ(Invoke(MAKEINTRESOURCEA(0)), S_OK);
  EXPECT_FALSE(WizardStarts(2s));
  // A record cut off without its NUL is refused, not read past its end.
  SetInstallFolder(tools.wstring(), false);
  EXPECT_EQ(Invoke(MAKEINTRESOURCEA(0)), S_OK);
  EXPECT_FALSE(WizardStarts(2s));
  // Both lists stay where they were written.
  EXPECT_EQ(RemoveNewLists(before, (folder.path() / "b.txt").string()), 2);
}

TEST_F(ContextMenuTest, TheModuleMayUnloadAfterTheLastRelease) {
  const auto canUnloadNow = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
      reinterpret_cast<void (*)()>(GetProcAddress(GetModuleHandleA("Lintorel.dll"), "DllCanUnloadNow")));
  ASSERT_TRUE(canUnloadNow);
  EXPECT_EQ(canUnloadNow(), S_FALSE);
  menu.reset();
  EXPECT_EQ(canUnloadNow(), S_OK);
}

}  // namespace
