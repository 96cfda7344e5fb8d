// The real qelwipe.exe, driven from outside through its controls while the
// registered Wipe control erases files in a temporary folder.
#include <gtest/gtest.h>

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <thread>

#include "control_ids.h"
#include "frm_user_confirmation_layout.h"
#include "scope_exit.h"
#include "temp_folder.h"
#include "text.h"
#include "texts.h"
#include "wizard_driver.h"

namespace qelwipe::testing {
namespace {

namespace fs = std::filesystem;
using testing_support::ListFolder;
using testing_support::ReadFile;
using testing_support::TempFolder;
using testing_support::WriteFile;

constexpr char kAllWiped[] = "You have successfully wiped all items.";
constexpr char kConfirmTitle[] = "WARNING: Please confirm the erase operation";
constexpr char kNeedsRestart[] =
    "Some files will need for computer to restart to complete the erase process! Click Finish to see a list of items!";
constexpr char kIgnored[] =
    "You have chosen not to erase the file/folder being used by Windows or another application when selected Ignore "
    "Option.";

class FrmMainTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (GetEnvironmentVariableA("DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no display";
    // Other suites unregister the control; each test puts it back first.
    ASSERT_TRUE(PrepareWizardPrefix());
  }

  std::string File(const std::string& name, std::size_t size) const {
    const std::string path = folder / name;
    fs::create_directories(fs::path(path).parent_path());
    WriteFile(path, size);
    return path;
  }

  // A file below the folder named in UTF-8, made by its extended path so that no length limits it; its path.
  std::string Utf8File(const std::string& name, std::size_t size) {
    const std::u8string base = folder.path().u8string();
    const std::string path = std::string(base.begin(), base.end()) + "\\" + name;
    const std::wstring wide = Extended(path);
    for (std::size_t at = wide.find(L'\\', Extended(folder.path().string()).size() + 1); at != std::wstring::npos;
         at = wide.find(L'\\', at + 1))
      if (CreateDirectoryW(wide.substr(0, at).c_str(), nullptr)) made_.push_back(wide.substr(0, at));
    WriteFile(wide, size);
    made_.push_back(wide);
    return path;
  }
  static std::wstring Extended(const std::string& path) {
    return winkit::ExtendedLengthPath(winkit::Utf8ToWide(path).value_or(L""));
  }
  static bool Exists(const std::string& path) {
    return GetFileAttributesW(Extended(path).c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  // A list file in the temporary folder, named as the writers name one, holding `content` as it is.
  static std::string ListFile(const std::string& content) {
    wchar_t temporary[MAX_PATH + 1] = {}, list[MAX_PATH] = {};
    GetTempPathW(MAX_PATH + 1, temporary);
    GetTempFileNameW(temporary, L"ss", 0, list);
    std::ofstream(fs::path(list), std::ios::binary) << content;
    return winkit::WideToUtf8(list).value_or("");
  }

  static void ExpectButtons(const WizardProcess& wizard, bool back, const std::string& next, bool nextEnabled) {
    // The page may show a moment before its buttons are set.
    WaitFor([&] {
      return wizard.Enabled(ids::btnBack) == back && wizard.Text(ids::btnNext) == next &&
             wizard.Enabled(ids::btnNext) == nextEnabled;
    });
    EXPECT_EQ(wizard.Enabled(ids::btnBack), back);
    EXPECT_EQ(wizard.Text(ids::btnNext), next);
    EXPECT_EQ(wizard.Enabled(ids::btnNext), nextEnabled);
  }

  static void Next(const WizardProcess& wizard, int page) { ASSERT_TRUE(wizard.NextTo(page)) << "page " << page; }

  // From the welcome page to the method page, the paths listed by a drop.
  static void ListAndChoose(const WizardProcess& wizard, const std::vector<std::string>& paths) {
    Next(wizard, 1);
    wizard.Drop(ids::lvSelecteds, paths);
    ASSERT_TRUE(WaitFor([&] { return wizard.RowCount() == static_cast<int>(paths.size()); }));
    Next(wizard, 2);
  }

  // After the confirmation: the text needs the program's thread, which serves it
  // only inside the run (Next off) or after it.
  static bool Finished(const WizardProcess& wizard) {
    return wizard.Text(ids::Label17) == kAllWiped && wizard.Enabled(ids::btnNext);
  }

  static void Screenshot(const WizardProcess& wizard, const std::string& name, HWND window = nullptr) {
    CreateDirectoryA(DosPath(SCREENSHOT_DIR).c_str(), nullptr);
    EXPECT_TRUE(wizard.Screenshot(DosPath(SCREENSHOT_DIR) + "\\" + name, window)) << name;
  }

  // The folder's own removal cannot reach past MAX_PATH: what Utf8File made goes first, deepest first.
  void TearDown() override {
    for (auto at = made_.rbegin(); at != made_.rend(); ++at) DeleteFileW(at->c_str()) || RemoveDirectoryW(at->c_str());
  }

  TempFolder folder;
  std::vector<std::wstring> made_;
};

TEST_F(FrmMainTest, ButtonsOnEveryPageFromWelcomeToExit) {
  const std::string file = File("Note.txt", 700);
  WizardProcess wizard;
  ASSERT_TRUE(wizard.Started());
  EXPECT_EQ(wizard.Caption(), "Qel Tarnwick Professional ");
  EXPECT_EQ(wizard.Text(ids::h), "Help");
  EXPECT_EQ(wizard.Text(ids::btnQuit), "Cancel");
  EXPECT_EQ(wizard.Text(ids::btnBack), "< &Back");
  EXPECT_EQ(wizard.Page(), 0);
  EXPECT_NE(wizard.Text(ids::Label2).find("computer’s hard drive"), std::string::npos);
  EXPECT_FALSE(wizard.Visible(ids::Label27));
  ExpectButtons(wizard, false, "&Next >>", true);

  // An empty list keeps Next off; Back from it leaves Next on at the welcome page.
  Next(wizard, 1);
  ExpectButtons(wizard, true, "&Next >>", false);
  wizard.Click(ids::btnBack);
  ASSERT_TRUE(WaitFor([&] { return wizard.Page() == 0; }));
  ExpectButtons(wizard, false, "&Next >>", true);

  ListAndChoose(wizard, {file});
  EXPECT_EQ(wizard.Text(ids::Label6), "Please select erase method from the following to erase (1) items?");
  ExpectButtons(wizard, true, "&Next >>", true);

  ASSERT_TRUE(wizard.ConfirmErase(IDOK).window);
  ASSERT_TRUE(WaitFor([&] { return Finished(wizard); }));
  EXPECT_EQ(wizard.Page(), 3);
  ExpectButtons(wizard, false, "&Finish >>", true);
  EXPECT_FALSE(fs::exists(file));

  Next(wizard, 4);
  ExpectButtons(wizard, false, "&Exit>>", true);
  EXPECT_EQ(wizard.Text(ids::Label13), "Congratulations");
  EXPECT_EQ(wizard.Text(ids::Label28), "Click here to erase more items");

  // More items: the list page again, emptied by the run.
  wizard.ClickLabel(ids::Label28);
  ASSERT_TRUE(WaitFor([&] { return wizard.Page() == 1; }));
  EXPECT_EQ(wizard.RowCount(), 0);
  ExpectButtons(wizard, true, "&Next >>", false);

  wizard.Click(ids::btnBack);
  ASSERT_TRUE(WaitFor([&] { return wizard.Page() == 0; }));
  Next(wizard, 1);
  wizard.Drop(ids::lvSelecteds, {File("second.txt", 10)});
  ASSERT_TRUE(WaitFor([&] { return wizard.RowCount() == 1; }));
  Next(wizard, 2);
  ASSERT_TRUE(wizard.ConfirmErase(IDOK).window);
  ASSERT_TRUE(WaitFor([&] { return Finished(wizard); }));
  Next(wizard, 4);
  wizard.Click(ids::btnNext);  // Exit
  EXPECT_TRUE(wizard.WaitForExit());
}

TEST_F(FrmMainTest, WelcomePageCountsTheItemsOfTheHandOffList) {
  // Made where and as the writers make it: only such a list is deleted after reading.
  char temporary[MAX_PATH + 1] = {}, list[MAX_PATH] = {};
  ASSERT_NE(GetTempPathA(sizeof temporary, temporary), 0u);
  ASSERT_NE(GetTempFileNameA(temporary, "ss", 0, list), 0u);
  std::ofstream(list, std::ios::binary) << File("a.txt", 1) << "\r\n"
                                        << File("b.txt", 2) << "\r\n"
                                        << File("c.txt", 3) << "\r\n";
  WizardProcess wizard(list);
  ASSERT_TRUE(wizard.Started());
  EXPECT_TRUE(wizard.Visible(ids::Label27));
  EXPECT_EQ(wizard.Text(ids::Label27), "You currently have (3) in your list to erase and wipe");
  EXPECT_FALSE(fs::exists(list));
  Next(wizard, 1);
  EXPECT_EQ(wizard.RowCount(), 3);
  EXPECT_TRUE(wizard.Enabled(ids::btnNext));
}

TEST_F(FrmMainTest, RunOverAFolderTreeAndFilesLeavesNothingOnDisk) {
  File("Tree\\a.txt", 1000);
  File("Tree\\Sub\\b.bin", 70000);
  File("Tree\\Sub\\Deeper\\c.dat", 10);
  fs::create_directories(folder / "Tree\\Empty");
  const std::vector<std::string> items{folder / "Tree", File("one.txt", 5000), File("Two.doc", 300)};

  WizardProcess wizard;
  ASSERT_TRUE(wizard.Started());
  Screenshot(wizard, "run-0-welcome.png");
  Next(wizard, 1);
  wizard.Drop(ids::lvSelecteds, items);
  ASSERT_TRUE(WaitFor([&] { return wizard.RowCount() == 3; }));
  EXPECT_EQ(wizard.Cell(0, 0), "Tree");
  EXPECT_EQ(wizard.Cell(0, 2), " 69.35 KB");
  EXPECT_EQ(wizard.Cell(0, 3), "File Folder");
  Screenshot(wizard, "run-1-list.png");

  Next(wizard, 2);
  wizard.Choose(ids::Combo1, 10);
  ASSERT_TRUE(WaitFor([&] { return wizard.Visible(ids::Text4); }));
  Screenshot(wizard, "run-2-method.png");

  wizard.Click(ids::btnNext);
  const Dialog box = wizard.WaitForDialog(kConfirmTitle);
  ASSERT_TRUE(box.window);
  Screenshot(wizard, "run-2-confirmation.png", box.window);
  box.Press(IDOK);
  ASSERT_TRUE(WaitFor([&] { return Finished(wizard); }, 30s));
  EXPECT_EQ(wizard.Text(ids::Label18), "Government Wipe (3 passes)");
  EXPECT_EQ(wizard.Text(ids::lblFiles), " 5 Out of  5");
  EXPECT_EQ(wizard.Text(ids::lblFolders), " 3 Out of  3");
  EXPECT_EQ(wizard.Text(ids::lblSize), " 76310 Out of  76310 bytes");
  EXPECT_EQ(wizard.Text(ids::Label7), " 100%");
  EXPECT_EQ(wizard.Send(ids::pbMain, PBM_GETPOS), 100);
  Screenshot(wizard, "run-3-progress.png");
  EXPECT_EQ(ListFolder(folder.path()), "");

  Next(wizard, 4);
  EXPECT_EQ(wizard.Text(ids::Label22), "you have successfully erased all items");
  Screenshot(wizard, "run-4-final.png");
}

TEST_F(FrmMainTest, FinalPageLabelsStandOnTheFaceColourAfterTheLinkIsDrawn) {
  WizardProcess wizard;
  ASSERT_TRUE(wizard.Started());
  ListAndChoose(wizard, {File("x.txt", 10)});
  ASSERT_TRUE(wizard.ConfirmErase(IDOK).window);
  ASSERT_TRUE(WaitFor([&] { return Finished(wizard); }));
  Next(wizard, 4);
  const HWND label = wizard.Control(ids::Label29);
  const auto drawn = [](HWND window) { return WaitFor([&] { return !GetUpdateRect(window, nullptr, FALSE); }); };
  // A label drawn again once the link has been drawn, and on the screen.
  ASSERT_TRUE(drawn(wizard.Control(ids::Label28)));
  RedrawWindow(label, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE);
  ASSERT_TRUE(drawn(label));
  wizard.Send(ids::Label29, WM_NULL);
  std::this_thread::sleep_for(100ms);
  // Its right end, far from its short text.
  RECT area{};
  GetWindowRect(label, &area);
  const auto pixels = ScreenPixels({area.right - 20, area.top + 2, area.right, area.bottom - 2});
  ASSERT_FALSE(pixels.empty());
  EXPECT_EQ(std::count(pixels.begin(), pixels.end(), GetSysColor(COLOR_BTNFACE)), std::ssize(pixels))
      << std::hex << pixels.front();
}

TEST_F(FrmMainTest, AFileHeldOpenIsListedWithItsIconIgnoredInRedAndTheCloseBoxChoosesNothing) {
  const std::string held = File("held.txt", 400);
  const std::string free = File("free.txt", 400);
  const HANDLE holder = CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(holder, INVALID_HANDLE_VALUE);
  const basekit::ScopeExit release([&] { CloseHandle(holder); });
  WizardProcess wizard;
  ASSERT_TRUE(wizard.Started());
  ListAndChoose(wizard, {held, free});
  ASSERT_TRUE(wizard.ConfirmErase(IDOK).window);
  const auto runEnded = [&] { return wizard.Text(ids::Label17) == kNeedsRestart && wizard.Enabled(ids::btnNext); };
  ASSERT_TRUE(WaitFor(runEnded));
  EXPECT_TRUE(fs::exists(held));
  EXPECT_FALSE(fs::exists(free));

  wizard.Click(ids::btnNext);  // Finish
  Dialog dialog = wizard.WaitForDialog("Some files could not be erased ");
  ASSERT_TRUE(dialog.window);
  namespace c = ids::confirmation;
  const HWND list = dialog.Item(c::lvfiles);
  ASSERT_EQ(ListRowCount(list), 1);
  EXPECT_EQ(ListCell(wizard.Process(), list, 0, 0), held);
  // The shell's icon drawn over the placeholder: colours neither of the list nor of the placeholder.
  EXPECT_TRUE(WaitFor([&] {
    const auto icon = ScreenPixels(ListIconRect(wizard.Process(), list, 0));
    return std::count_if(icon.begin(), icon.end(), [](COLORREF pixel) {
             return pixel != GetSysColor(COLOR_WINDOW) && pixel != GetSysColor(COLOR_BTNFACE);
           }) > 20;
  }));
  Screenshot(wizard, "restart-dialog.png", dialog.window);

  // Ignore: back on the progress page with its text in red; the next Finish the final page.
  dialog.Press(c::cmdignore);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(dialog.window) && wizard.Page() == 3; }));
  EXPECT_EQ(wizard.Text(ids::Label17), kIgnored);
  RECT label{};
  GetWindowRect(wizard.Control(ids::Label17), &label);
  const auto status = ScreenPixels(label);
  EXPECT_GT(std::count(status.begin(), status.end(), RGB(255, 0, 0)), 20);
  Next(wizard, 4);
  EXPECT_EQ(wizard.Text(ids::Label22), kIgnored);

  // Held again in a second run, the close box leaves the choice of the first dialog behind.
  wizard.ClickLabel(ids::Label28);
  ASSERT_TRUE(WaitFor([&] { return wizard.Page() == 1; }));
  wizard.Drop(ids::lvSelecteds, {held});
  ASSERT_TRUE(WaitFor([&] { return wizard.RowCount() == 1; }));
  Next(wizard, 2);
  ASSERT_TRUE(wizard.ConfirmErase(IDOK).window);
  ASSERT_TRUE(WaitFor(runEnded));
  wizard.Click(ids::btnNext);
  dialog = wizard.WaitForDialog("Some files could not be erased ");
  ASSERT_TRUE(dialog.window);
  PostMessageW(dialog.window, WM_CLOSE, 0, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(dialog.window) && wizard.Page() == 4; }));
  EXPECT_EQ(wizard.Text(ids::btnNext), "&Finish >>");
  EXPECT_TRUE(fs::exists(held));
}

// A copy that was never installed, as from the portable zip.
TEST_F(FrmMainTest, UnregisteredTheControlBesideTheProgramErases) {
  ASSERT_TRUE(SetDornixRegistered(false));
  const basekit::ScopeExit registerAgain([] { SetDornixRegistered(true); });
  const std::string file = File("gone.txt", 900);
  WizardProcess wizard;
  ASSERT_TRUE(wizard.Started());
  ListAndChoose(wizard, {file});
  ASSERT_TRUE(wizard.ConfirmErase(IDOK).window);
  ASSERT_TRUE(WaitFor([&] { return Finished(wizard); }));
  EXPECT_FALSE(fs::exists(file));
}

TEST_F(FrmMainTest, WithoutTheControlNothingIsDeleted) {
  ASSERT_TRUE(SetDornixRegistered(false));
  // Nor beside the program.
  const fs::path engine = fs::path(WizardProgram()).parent_path() / "dornix.dll";
  const fs::path aside = engine.string() + ".aside";
  fs::rename(engine, aside);
  const basekit::ScopeExit registerAgain([&] {
    fs::rename(aside, engine);
    SetDornixRegistered(true);
  });
  const std::string file = File("kept.txt", 900);
  const std::string before = ReadFile(file);
  WizardProcess wizard;
  ASSERT_TRUE(wizard.Started());
  ListAndChoose(wizard, {file});
  ASSERT_TRUE(wizard.ConfirmErase(IDOK).window);
  ASSERT_TRUE(WaitFor([&] { return wizard.Text(ids::Label17).rfind("Some items could not be erased", 0) == 0; }));
  EXPECT_EQ(ReadFile(file), before);
}

TEST_F(FrmMainTest, CancelInTheConfirmationKeepsTheMethodPageAndErasesNothing) {
  const std::string file = File("keep.txt", 2000);
  const std::string before = ReadFile(file);
  WizardProcess wizard;
  ASSERT_TRUE(wizard.Started());
  ListAndChoose(wizard, {file});

  wizard.Click(ids::btnNext);
  const Dialog box = wizard.WaitForDialog(kConfirmTitle);
  ASSERT_TRUE(box.window);
  EXPECT_EQ(box.Text(),
            "Before proceeding, be advised that you are about to erase \r\n"
            "files/folders from your computer that can NOT be recovered once\r\n"
            "the action is taken. Even special utilities and recovery laboratories \r\n"
            "will not recover data erased using this program.");
  EXPECT_TRUE(box.Item(IDOK));
  EXPECT_TRUE(box.IsDefault(IDCANCEL));
  EXPECT_FALSE(box.IsDefault(IDOK));
  box.Press(IDCANCEL);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box.window); }));

  EXPECT_EQ(wizard.Page(), 2);
  ExpectButtons(wizard, true, "&Next >>", true);
  EXPECT_EQ(ReadFile(file), before);
  wizard.Click(ids::btnBack);
  ASSERT_TRUE(WaitFor([&] { return wizard.Page() == 1; }));
  EXPECT_EQ(wizard.RowCount(), 1);

  // The close box ends the program without a question, erasing nothing.
  PostMessageA(wizard.Form(), WM_CLOSE, 0, 0);
  EXPECT_TRUE(wizard.WaitForExit());
  EXPECT_EQ(ReadFile(file), before);
}

TEST_F(FrmMainTest, CancelDuringTheOverwriteOfALargeFileEndsTheProgram) {
  const std::string large = File("large.bin", 32 << 20);
  const std::string later = File("later.txt", 3000);
  const std::string laterBefore = ReadFile(later);
  WizardProcess wizard;
  ASSERT_TRUE(wizard.Started());
  ListAndChoose(wizard, {large, later});
  wizard.Choose(ids::Combo1, 8);  // 35 passes: far longer than the test waits

  ASSERT_TRUE(wizard.ConfirmErase(IDOK).window);
  // The engine reports its first pass.
  ASSERT_TRUE(WaitFor([&] { return wizard.Send(ids::pbFile, PBM_GETPOS) > 0; }, 20s));
  EXPECT_EQ(wizard.Text(ids::Label17), large);
  EXPECT_EQ(wizard.Text(ids::lblRound), "1 Out of 3");
  ExpectButtons(wizard, false, "&Finish >>", false);
  // Timer1 shows the totals while the engine works.
  EXPECT_TRUE(WaitFor([&] { return wizard.Text(ids::lblFiles) == " 0 Out of  2"; }));
  Screenshot(wizard, "cancel-during-large-file.png");

  wizard.Click(ids::btnQuit);
  EXPECT_TRUE(wizard.WaitForExit(5s));
  EXPECT_EQ(ReadFile(later), laterBefore);
}

TEST_F(FrmMainTest, MethodPageShowsTheHexFieldsTheMethodUses) {
  WizardProcess wizard;
  ASSERT_TRUE(wizard.Started());
  ListAndChoose(wizard, {File("x.txt", 1)});
  const int hexControls[] = {ids::Label14, ids::Text2, ids::Label15, ids::Text3, ids::Label16, ids::Text4};
  const auto shown = [&] {
    std::string pattern;
    for (const int id : hexControls) pattern += wizard.Visible(id) ? '1' : '0';
    return pattern;
  };
  EXPECT_EQ(wizard.Text(ids::Combo1), "Quick Random Wiping (1 pass)");
  EXPECT_EQ(wizard.Text(ids::Text1), "3");
  EXPECT_EQ(shown(), "000000");
  EXPECT_EQ(wizard.Text(ids::Label21).rfind("Quick Random Wiping uses 1-pass", 0), 0u);

  wizard.Choose(ids::Combo1, 9);
  ASSERT_TRUE(WaitFor([&] { return shown() == "110000"; }));
  EXPECT_EQ(wizard.Text(ids::Text2), "FF");
  EXPECT_EQ(wizard.Send(ids::Text2, EM_GETLIMITTEXT), 2);

  wizard.Choose(ids::Combo1, 10);
  ASSERT_TRUE(WaitFor([&] { return shown() == "111111"; }));
  EXPECT_EQ(wizard.Text(ids::Text3), "00");
  EXPECT_EQ(wizard.Text(ids::Text4), "FF");
  EXPECT_EQ(wizard.Text(ids::Label18), "Government Wipe (3 passes)");

  wizard.Choose(ids::Combo1, 0);
  ASSERT_TRUE(WaitFor([&] { return shown() == "000000"; }));
  EXPECT_EQ(wizard.Text(ids::Label21).rfind("Quick Zero Wiping uses just 1-pass", 0), 0u);

  // The spin control keeps the cycles within 0 to 100.
  wizard.Send(ids::Text1, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(L"100"));
  wizard.PressKey(ids::Text1, VK_UP);
  wizard.PressKey(ids::Text1, VK_DOWN);
  ASSERT_TRUE(WaitFor([&] { return wizard.Text(ids::Text1) == "99"; }));
  wizard.PressKey(ids::Text1, VK_UP);
  wizard.PressKey(ids::Text1, VK_UP);
  ASSERT_TRUE(WaitFor([&] { return wizard.Text(ids::Text1) == "100"; }));
}

TEST_F(FrmMainTest, ListPageDropsRefusesDuplicatesSortsAndClears) {
  const std::string first = File("Alpha.TXT", 1024);
  const std::string second = File("dir.d\\noext", 1025);
  WizardProcess wizard;
  ASSERT_TRUE(wizard.Started());
  Next(wizard, 1);
  wizard.Drop(ids::lvSelecteds, {first, second});
  ASSERT_TRUE(WaitFor([&] { return wizard.RowCount() == 2; }));
  EXPECT_TRUE(wizard.Enabled(ids::btnNext));
  EXPECT_EQ(wizard.Cell(0, 0), "Alpha.TXT");
  EXPECT_EQ(wizard.Cell(0, 1) + wizard.Cell(0, 0), first);
  EXPECT_EQ(wizard.Cell(0, 2), " 1024 bytes");
  EXPECT_EQ(wizard.Cell(1, 2), " 1 KB");
  EXPECT_EQ(wizard.Cell(1, 3), "File");
  EXPECT_NE(wizard.Cell(1, 7).find('/'), std::string::npos);

  wizard.Drop(ids::lvSelecteds, {first});
  const Dialog box = wizard.WaitForDialog("Qel Tarnwick Professional ");
  ASSERT_TRUE(box.window);
  EXPECT_EQ(box.Text(), "The following Item:Alpha.TXT\r\nHas already been added to the list!");
  box.Press(IDOK);
  ASSERT_TRUE(WaitFor([&] { return !IsWindow(box.window); }));
  EXPECT_EQ(wizard.RowCount(), 2);

  // The first click on "Name" sorts as the rows stand; each further click turns the order.
  wizard.ClickHeader(0);
  wizard.ClickHeader(0);
  ASSERT_TRUE(WaitFor([&] { return wizard.Cell(0, 0) == "noext"; }));
  wizard.ClickHeader(0);
  ASSERT_TRUE(WaitFor([&] { return wizard.Cell(0, 0) == "Alpha.TXT"; }));

  // Clear Item takes the selected row only.
  wizard.Click(ids::btnDeleteItem);
  wizard.SelectRow(0);
  wizard.Click(ids::btnDeleteItem);
  ASSERT_TRUE(WaitFor([&] { return wizard.RowCount() == 1; }));
  EXPECT_EQ(wizard.Cell(0, 0), "noext");
  EXPECT_TRUE(wizard.Enabled(ids::btnNext));

  wizard.Click(ids::btnClear);
  ASSERT_TRUE(WaitFor([&] { return wizard.RowCount() == 0; }));
  EXPECT_FALSE(wizard.Enabled(ids::btnNext));
}

TEST_F(FrmMainTest, AddMenuPickersAddFilesLowerCasedAndFoldersAsTheyAre) {
  const std::string file = File("MiXed.Txt", 64);
  WizardProcess wizard;
  ASSERT_TRUE(wizard.Started());
  Next(wizard, 1);

  EXPECT_TRUE(wizard.ChooseFromMenu(ids::h, VK_ESCAPE));
  // "&File..." of the add menu opens the picker.
  ASSERT_TRUE(wizard.ChooseFromMenu(ids::Browse, 'f'));
  const Dialog picker = wizard.WaitForDialog("Select Files");
  ASSERT_TRUE(picker.window);
  constexpr int kFileNameBox = 0x47c;  // cmb13
  SendMessageA(picker.Item(kFileNameBox), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(file.c_str()));
  picker.Press(IDOK);
  ASSERT_TRUE(WaitFor([&] { return wizard.RowCount() == 1; }));
  EXPECT_EQ(wizard.Cell(0, 0), "mixed.txt");
  std::string lower = file;
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(wizard.Cell(0, 1) + wizard.Cell(0, 0), lower);
  EXPECT_TRUE(wizard.Enabled(ids::btnNext));

  // "F&older..." opens the folder browser; the folder keeps its case.
  const std::string chosen = folder / "Chosen Folder";
  fs::create_directory(chosen);
  ASSERT_TRUE(wizard.ChooseFromMenu(ids::Browse, 'o'));
  const Dialog browser = wizard.WaitForDialog("Browse for Folder");
  ASSERT_TRUE(browser.window);
  ASSERT_TRUE(SelectInFolderBrowser(browser, wizard.Process(), chosen));
  browser.Press(IDOK);
  ASSERT_TRUE(WaitFor([&] { return wizard.RowCount() == 2; }));
  EXPECT_EQ(wizard.Cell(1, 0), "Chosen Folder");
  EXPECT_EQ(wizard.Cell(1, 3), "File Folder");
}

TEST_F(FrmMainTest, NamesOutsideTheCodePageAndPathsPastMaxPathAreListedAndErased) {
  const std::string longName = std::string(150, 'l') + "\\" + std::string(150, 'p') + "\\long.txt";
  const std::vector<std::string> items{Utf8File("中文名.txt", 100), Utf8File("Кириллица.txt", 200),
                                       Utf8File("😀.txt", 300), Utf8File(longName, 400),
                                       "\\\\?\\" + Utf8File("dot.", 500)};
  ASSERT_GT(items[3].size(), 300u);
  WizardProcess wizard;
  ASSERT_TRUE(wizard.Started());
  Next(wizard, 1);
  wizard.Drop(ids::lvSelecteds, items);
  ASSERT_TRUE(WaitFor([&] { return wizard.RowCount() == static_cast<int>(items.size()); }));
  for (int row = 0; row < wizard.RowCount(); ++row)
    EXPECT_EQ(wizard.Cell(row, 1) + wizard.Cell(row, 0), items[static_cast<std::size_t>(row)]);
  Next(wizard, 2);
  ASSERT_TRUE(wizard.ConfirmErase(IDOK).window);
  ASSERT_TRUE(WaitFor([&] { return Finished(wizard); }, 30s)) << wizard.Text(ids::Label17);
  for (const std::string& item : items) EXPECT_FALSE(Exists(item)) << item;
}

TEST_F(FrmMainTest, AFullWidthNameErasesOnlyItself) {
  const std::string plain = Utf8File("report.txt", 300);
  const std::string before = ReadFile(Extended(plain));
  const std::string fullWidth = Utf8File("ｒｅｐｏｒｔ.txt", 300);
  WizardProcess wizard;
  ASSERT_TRUE(wizard.Started());
  ListAndChoose(wizard, {fullWidth});
  ASSERT_TRUE(wizard.ConfirmErase(IDOK).window);
  ASSERT_TRUE(WaitFor([&] { return Finished(wizard); })) << wizard.Text(ids::Label17);
  EXPECT_FALSE(Exists(fullWidth));
  EXPECT_EQ(ReadFile(Extended(plain)), before);
}

TEST_F(FrmMainTest, AUtf8ListFileAndAnAnsiOneBothGiveTheirPaths) {
  // Names without capitals: a list file's texts are shown lower-cased.
  const std::string cyrillic = Utf8File("список.txt", 10);
  const std::string emoji = Utf8File("📄.txt", 10);
  const std::string accented = Utf8File("café.txt", 10);
  char ansi[MAX_PATH * 2] = {};
  BOOL lossy = FALSE;
  const std::wstring accentedWide = winkit::Utf8ToWide(accented).value_or(L"");
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, accentedWide.c_str(), -1, ansi, sizeof ansi, nullptr, &lossy);
  ASSERT_FALSE(lossy) << "the code page has no é";

  const struct {
    std::string content;
    std::vector<std::string> names;
  } lists[] = {{"\xEF\xBB\xBF" + cyrillic + "\r\n" + emoji + "\r\n", {"список.txt", "📄.txt"}},
               {std::string(ansi) + "\r\n", {"café.txt"}}};
  for (const auto& list : lists) {
    WizardProcess wizard(ListFile(list.content));
    ASSERT_TRUE(wizard.Started());
    Next(wizard, 1);
    ASSERT_EQ(wizard.RowCount(), static_cast<int>(list.names.size()));
    for (int row = 0; row < wizard.RowCount(); ++row)
      EXPECT_EQ(wizard.Cell(row, 0), list.names[static_cast<std::size_t>(row)]);
  }
}

// Any file can be handed to the program: one far beyond any list is refused with a word, never read whole.
TEST_F(FrmMainTest, AHugeArgumentFileGivesAMessageNotACrash) {
  const std::string huge = folder / "huge.txt";
  std::ofstream(huge, std::ios::binary).put('C');
  fs::resize_file(huge, 100u << 20);
  WizardProcess wizard("\"" + huge + "\"");
  ASSERT_TRUE(wizard.Started());
  const Dialog box = wizard.WaitForDialog(qelwipe::texts::kAppTitle);
  ASSERT_TRUE(box.window);
  EXPECT_EQ(box.Text(), qelwipe::texts::kListTooLarge + huge);
  box.Press(IDOK);
  EXPECT_TRUE(WaitFor([&] { return !IsWindow(box.window); }));
  EXPECT_TRUE(wizard.Running());
  EXPECT_TRUE(fs::exists(huge));
}

}  // namespace
}  // namespace qelwipe::testing
