// The list page's one-click sources and the keyboard, on the real qelwipe.exe.
#include <gtest/gtest.h>

#include <windows.h>
#include <shlobj.h>

#include <algorithm>
#include <filesystem>

#include "control_ids.h"
#include "scope_exit.h"
#include "temp_folder.h"
#include "wizard_driver.h"

namespace qelwipe::testing {
namespace {

namespace fs = std::filesystem;

class ShellSourcesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetEnvironmentVariableA("DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no display";
    ASSERT_TRUE(PrepareWizardPrefix());
  }
  std::string File(const std::string& name) const {
    testing_support::WriteFile(folder / name, 100);
    return folder / name;
  }
  testing_support::TempFolder folder;
};

// Wine's recycle bin holds deleted files and folders but names them without their folder,
// even in the parsing form: such names must not be looked for in the program's current
// folder, where the same names stand for other files.
TEST_F(ShellSourcesTest, RecentDocumentsAreListedOnceAndTheBinAddsNoLookAlikes) {
  wchar_t recent[MAX_PATH] = {};
  ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_RECENT, nullptr, 0, recent), S_OK);
  const std::string tag = "qelscan" + std::to_string(GetCurrentProcessId());
  std::vector<std::string> links;
  // Wine empties files from its bin but not folders: the prefix's own bin, in the build folder, is emptied here.
  const std::string bin = DosPath(TEST_BUILD_DIR "/home/.local/share/Trash");
  const auto emptyBin = [&] {
    std::error_code ignored;
    for (const char* part : {"\\files", "\\info"})
      for (const auto& entry : fs::directory_iterator(bin + part, ignored)) fs::remove_all(entry.path(), ignored);
  };
  emptyBin();
  const basekit::ScopeExit cleanUp([&] {
    for (const auto& link : links) fs::remove(link);
    emptyBin();
  });
  for (const char* name : {"-a.txt", "-b.txt", "-c.txt"}) SHAddToRecentDocs(SHARD_PATHA, File(tag + name).c_str());
  for (const auto& entry : fs::directory_iterator(recent))
    if (entry.path().filename().string().starts_with(tag)) links.push_back(entry.path().string());
  ASSERT_EQ(links.size(), 3u);
  fs::create_directories(folder / "bin\\gone");
  fs::create_directories(folder / "gone");
  File("bin\\gone.txt");
  File("gone.txt");

  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(folder.path().string().c_str()));
  WizardProcess wizard;
  SetCurrentDirectoryW(previous);
  ASSERT_TRUE(wizard.NextTo(1));
  // An empty bin adds nothing and leaves Next off.
  ASSERT_TRUE(wizard.ChooseFromMenu(ids::Browse, 'r'));
  EXPECT_FALSE(WaitFor([&] { return wizard.RowCount() > 0; }, 1s));
  EXPECT_FALSE(wizard.Enabled(ids::btnNext));

  const std::string deleted = (folder / "bin\\gone.txt") + '\0' + (folder / "bin\\gone") + std::string(2, '\0');
  SHFILEOPSTRUCTA operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = deleted.c_str();
  operation.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION | FOF_SILENT | FOF_NOERRORUI;
  ASSERT_EQ(SHFileOperationA(&operation), 0);
  ASSERT_EQ(std::distance(fs::directory_iterator(bin + "\\info"), {}), 2);  // the bin holds both
  ASSERT_TRUE(wizard.ChooseFromMenu(ids::Browse, 'r'));
  EXPECT_FALSE(WaitFor([&] { return wizard.RowCount() > 0; }, 2s)) << wizard.Cell(0, 0);

  wizard.Command(ids::mnurecentmru);
  ASSERT_TRUE(WaitFor([&] {
    int found = 0;
    for (int row = 0; row < wizard.RowCount(); ++row)
      found += std::count(links.begin(), links.end(), wizard.Cell(row, 1) + wizard.Cell(row, 0));
    return found == 3;
  }));
  EXPECT_TRUE(wizard.Enabled(ids::btnNext));
  const int rows = wizard.RowCount();
  // Again: every entry is listed already, and one box says so.
  wizard.Command(ids::mnurecentmru);
  const Dialog box = wizard.WaitForDialog("Qel Tarnwick Professional ");
  ASSERT_TRUE(box.window);
  EXPECT_EQ(box.Text().rfind("The following Item:", 0), 0u);
  // The scan is still under way behind its box: an erase started now would miss what it adds.
  EXPECT_FALSE(wizard.Enabled(ids::btnNext));
  EXPECT_FALSE(wizard.Enabled(ids::btnBack));
  box.Press(IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box.window); }));
  EXPECT_FALSE(wizard.WaitForDialog("Qel Tarnwick Professional ", 1500ms).window);
  EXPECT_EQ(wizard.RowCount(), rows);
  EXPECT_TRUE(wizard.Enabled(ids::btnNext) && wizard.Enabled(ids::btnBack));
}

TEST_F(ShellSourcesTest, EnterMovesOnEscCancelsAndTheLinkTakesTheKeyboard) {
  const std::string file = File("keys.txt");
  WizardProcess wizard;
  wizard.PressKey(ids::btnQuit, VK_RETURN);
  ASSERT_TRUE(WaitFor([&] { return wizard.Page() == 1; }));
  wizard.Drop(ids::lvSelecteds, {file});
  ASSERT_TRUE(WaitFor([&] { return wizard.RowCount() == 1; }));
  wizard.PressKey(ids::lvSelecteds, VK_RETURN);
  ASSERT_TRUE(WaitFor([&] { return wizard.Page() == 2; }));
  ASSERT_TRUE(wizard.ConfirmErase(IDOK).window);
  ASSERT_TRUE(WaitFor([&] { return wizard.Enabled(ids::btnNext) && !fs::exists(file); }));
  ASSERT_TRUE(wizard.NextTo(4));

  // Tab reaches the link; Space follows it, as Enter does.
  const auto focus = [&] {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(wizard.Form(), nullptr), &info);
    return info.hwndFocus ? info.hwndFocus : wizard.Form();
  };
  ASSERT_TRUE(WaitFor([&] {
    PostMessageW(focus(), WM_KEYDOWN, VK_TAB, 1);
    return WaitFor([&] { return focus() == wizard.Control(ids::Label28); }, 200ms);
  }));
  wizard.PressKey(ids::Label28, VK_SPACE);
  ASSERT_TRUE(WaitFor([&] { return wizard.Page() == 1; }));
  wizard.PressKey(ids::lvSelecteds, VK_ESCAPE);
  EXPECT_TRUE(wizard.WaitForExit());
}

}  // namespace
}  // namespace qelwipe::testing
