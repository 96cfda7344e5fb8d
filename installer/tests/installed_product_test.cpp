// The installed product as Windows and Explorer meet it. installation_test.sh
// runs these in a prefix of their own around the installer and the uninstaller.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <filesystem>

#include "com_ptr.h"
#include "control_ids.h"
#include "dornix.h"
#include "expected.h"
#include "handles.h"
#include "hdrop_selection.h"
#include "lintorel.h"
#include "menu_surface.h"
#include "registry.h"
#include "scope_exit.h"
#include "temp_folder.h"
#include "text.h"
#include "wizard_driver.h"

namespace {

namespace fs = std::filesystem;
using comkit::ComPtr;
using namespace installation;
using namespace std::chrono_literals;

std::wstring Text(HKEY root, const std::wstring& key, const wchar_t* name = nullptr) {
  wchar_t data[2048] = {};
  DWORD size = sizeof data - sizeof(wchar_t);
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS) return L"(missing)";
  return data;
}

std::wstring Lower(std::wstring text) {
  CharLowerW(text.data());
  return text;
}

std::wstring ClassId(REFCLSID clsid) { return *winkit::Utf8ToWide(comkit::GuidText(clsid)); }

std::wstring InstallFolder() {
  wchar_t programs[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_PROGRAM_FILES, nullptr, SHGFP_TYPE_CURRENT, programs);
  return std::wstring(programs) + L"\\" + kProduct;
}

DWORD RunAndWait(std::wstring command) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return GetLastError();
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = 1;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

// What the system's list of programs runs to remove the product without questions.
void Uninstall() {
  ASSERT_EQ(RunAndWait(Text(HKEY_LOCAL_MACHINE, kUninstallKey, L"QuietUninstallString")), 0u);
  // The uninstaller goes on as a copy of itself; its entry is the last thing it removes.
  EXPECT_TRUE(qelwipe::testing::WaitFor(
      [] { return Text(HKEY_LOCAL_MACHINE, kUninstallKey, L"DisplayName") == L"(missing)"; }, 30s));
}

void ExpectInstalledIn(const std::wstring& folder) {
  EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, lintorel::kInstallFolderKey), folder);
  std::uintmax_t bytes = 0;
  for (const wchar_t* name : {lintorel::kWizardFileName, kCommandLineFile, kEngineFile, kHandlerFile, L"help\\help.htm"}) {
    const fs::path built = fs::path(qelwipe::testing::DosPath(kShippedFolder)) / name;
    EXPECT_TRUE(testing_support::ReadFile(folder + L"\\" + name) == testing_support::ReadFile(built)) << built;
    bytes += fs::file_size(built);
  }
  const std::wstring uninstaller = folder + L"\\" + kUninstaller;
  ASSERT_TRUE(fs::exists(uninstaller));
  bytes += fs::file_size(uninstaller);

  // The shell's handler keys lead to the class its server registered, from the folder.
  const std::wstring menuClass = ClassId(CLSID_clsContextMenu);
  for (const std::wstring base : {L"*", L"Directory"})
    EXPECT_EQ(Text(HKEY_CLASSES_ROOT, base + L"\\shellex\\ContextMenuHandlers\\" + kHandlerName), menuClass);
  EXPECT_EQ(Lower(Text(HKEY_CLASSES_ROOT, L"CLSID\\" + menuClass + L"\\InprocServer32")),
            Lower(folder + L"\\" + kHandlerFile));
  EXPECT_NE(Text(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Shell Extensions\\Approved",
                 menuClass.c_str()),
            L"(missing)");
  EXPECT_EQ(Lower(Text(HKEY_CLASSES_ROOT, L"CLSID\\" + ClassId(CLSID_Wipe) + L"\\InprocServer32")),
            Lower(folder + L"\\" + kEngineFile));

  const std::pair<const wchar_t*, std::wstring> entry[] = {{L"DisplayName", kProduct},
                                                           {L"DisplayVersion", kVersion},
                                                           {L"Publisher", kCompany},
                                                           {L"InstallLocation", folder},
                                                           {L"UninstallString", L"\"" + uninstaller + L"\""},
                                                           {L"QuietUninstallString", L"\"" + uninstaller + L"\" /S"}};
  for (const auto& [name, value] : entry) EXPECT_EQ(Text(HKEY_LOCAL_MACHINE, kUninstallKey, name), value) << name;
  DWORD kilobytes = 0, size = sizeof kilobytes;
  EXPECT_EQ(
      RegGetValueW(HKEY_LOCAL_MACHINE, kUninstallKey, L"EstimatedSize", RRF_RT_REG_DWORD, nullptr, &kilobytes, &size),
      ERROR_SUCCESS);
  EXPECT_NEAR(kilobytes, bytes / 1024, 8);

  wchar_t menu[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, menu);
  EXPECT_TRUE(fs::exists(std::wstring(menu) + L"\\" + kProduct + L".lnk"));
}

DWORD ParentOf(DWORD process) {
  const winkit::UniqueFile snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = Process32FirstW(snapshot.get(), &entry); more; more = Process32NextW(snapshot.get(), &entry))
    if (entry.th32ProcessID == process) return entry.th32ParentProcessID;
  return 0;
}

class Installed : public ::testing::Test {
 protected:
  void SetUp() override { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  void TearDown() override { CoUninitialize(); }
  const std::wstring folder = InstallFolder();
};

TEST_F(Installed, FilesAndRecordsAreInPlace) { ExpectInstalledIn(folder); }

TEST_F(Installed, ExplorersCommandStartsTheInstalledWizardWithTheSelection) {
  testing_support::TempFolder temp;
  std::vector<std::wstring> paths;
  for (const char* name : {"a.txt", "b.txt"}) {
    testing_support::WriteFile(temp.path() / name, 10);
    paths.push_back((temp.path() / name).wstring());
  }
  // As Explorer: the class named by the handler key, initialised with the
  // selection, its menu built, its command invoked.
  CLSID handler{};
  ASSERT_EQ(
      CLSIDFromString(
          Text(HKEY_CLASSES_ROOT, std::wstring(L"*\\shellex\\ContextMenuHandlers\\") + kHandlerName).c_str(), &handler),
      S_OK);
  ComPtr<IShellExtInit> init;
  ASSERT_EQ(CoCreateInstance(handler, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, init.put_void()), S_OK);
  testing_support::HdropSelection selection(paths);
  ASSERT_EQ(init->Initialize(nullptr, &selection, nullptr), S_OK);
  ComPtr<IContextMenu> menu;
  ASSERT_EQ(init.As(menu), S_OK);
  const HMENU popup = CreatePopupMenu();
  EXPECT_EQ(menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL), 1);
  DestroyMenu(popup);
  CMINVOKECOMMANDINFO invoke{};
  invoke.cbSize = sizeof invoke;
  invoke.lpVerb = MAKEINTRESOURCEA(0);
  ASSERT_EQ(menu->InvokeCommand(&invoke), S_OK);

  qelwipe::testing::WizardProcess wizard(qelwipe::testing::StartedElsewhere{15s});
  ASSERT_TRUE(wizard.Started());
  EXPECT_EQ(wizard.Text(qelwipe::ids::Label27), "You currently have (2) in your list to erase and wipe");
}

TEST_F(Installed, UninstallsQuietly) { Uninstall(); }

// Explorer holds the handler while the product is upgraded and then removed:
// the held DLL goes at the next restart, which the test script carries out.
TEST_F(Installed, UpgradeAndUninstallWhileExplorerHoldsTheHandler) {
  ComPtr<IShellExtInit> held;
  ASSERT_EQ(CoCreateInstance(CLSID_clsContextMenu, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, held.put_void()),
            S_OK);
  wchar_t setup[MAX_PATH] = {};
  ASSERT_TRUE(GetEnvironmentVariableW(L"QELWIPE_SETUP", setup, MAX_PATH));
  ASSERT_EQ(RunAndWait(L"\"" + std::wstring(setup) + L"\" /S"), 0u);
  ExpectInstalledIn(folder);
  Uninstall();
  EXPECT_FALSE(fs::exists(folder + L"\\" + lintorel::kWizardFileName));
}

// A program the elevated setup starts itself is elevated too: the finish page's run box
// leaves the start to the shell, so the wizard is no child of the setup's.
TEST_F(Installed, FinishPageStartsTheWizardThroughTheShell) {
  wchar_t path[MAX_PATH] = {};
  ASSERT_TRUE(GetEnvironmentVariableW(L"QELWIPE_SETUP", path, MAX_PATH));
  std::wstring command = L"\"" + std::wstring(path) + L"\"";
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started{};
  ASSERT_TRUE(
      CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started));
  const winkit::UniqueKernelObject setup(started.hProcess), thread(started.hThread);
  const basekit::ScopeExit ended([&] { TerminateProcess(setup.get(), 1); });  // when the test fails
  HWND window = nullptr;
  ASSERT_TRUE(qelwipe::testing::WaitFor(
      [&] {
        for (window = FindWindowExW(nullptr, nullptr, L"#32770", nullptr); window;
             window = FindWindowExW(nullptr, window, L"#32770", nullptr)) {
          DWORD owner = 0;
          GetWindowThreadProcessId(window, &owner);
          if (owner == started.dwProcessId && IsWindowVisible(window)) return true;
        }
        return false;
      },
      30s));
  for (const char* caption : {"&Install", "&Finish"}) {  // the folder page, then the finish page
    char text[32] = {};
    ASSERT_TRUE(qelwipe::testing::WaitFor(
        [&] { return GetWindowTextA(GetDlgItem(window, IDOK), text, sizeof text) && text == std::string(caption); },
        60s))
        << caption;
    PostMessageW(window, WM_COMMAND, IDOK, 0);
  }
  ASSERT_EQ(WaitForSingleObject(setup.get(), 30000), WAIT_OBJECT_0);
  {
    qelwipe::testing::WizardProcess wizard(qelwipe::testing::StartedElsewhere{30s});
    ASSERT_TRUE(wizard.Started());
    DWORD id = 0;
    GetWindowThreadProcessId(wizard.Form(), &id);
    const DWORD parent = ParentOf(id);
    EXPECT_TRUE(parent != 0 && parent != started.dwProcessId) << parent;
  }
  Uninstall();
}

}  // namespace
