// The About box and the Help menu's shell commands, in this test program: its own
// version block (2.3.0.7) stands for the program's.
#include <gtest/gtest.h>

#include <windows.h>

#include "about_box.h"
#include "control_ids.h"
#include "help_commands.h"
#include "temp_folder.h"
#include "text.h"
#include "wizard_driver.h"

namespace qelwipe::win {
namespace {

using qelwipe::testing::DosPath;

std::string TextOf(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

TEST(AboutBoxTest, ShowsEveryLabelWithVersionAndBuildFromTheVersionBlock) {
  if (GetEnvironmentVariableA("DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no display";
  AboutBox about(GetModuleHandleW(nullptr));
  about.Show(nullptr);
  const HWND box = about.Window();
  ASSERT_TRUE(box);
  EXPECT_EQ(TextOf(box), "About Qel Tarnwick Professional ");
  const struct {
    int id;
    const char* text;
  } labels[] = {{ids::about::Label9, "Qel Tarnwick Professional "},
                {ids::about::Label6, "Version:"},
                {ids::about::Label7, "2.3"},
                {ids::about::Label4, "Build:"},
                {ids::about::Label2, "2.3.7"},
                {ids::about::Command1, "OK"}};
  for (const auto& label : labels) EXPECT_EQ(TextOf(GetDlgItem(box, label.id)), label.text) << label.id;
  EXPECT_TRUE(SendMessageW(GetDlgItem(box, ids::about::Picture1), STM_GETIMAGE, IMAGE_BITMAP, 0));

  // Modeless: asking again keeps the one box; OK closes it.
  about.Show(nullptr);
  EXPECT_EQ(about.Window(), box);
  SendMessageW(GetDlgItem(box, ids::about::Command1), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindow(box));
  EXPECT_FALSE(about.Window());
}

TEST(HelpCommandsTest, HelpTopicsOpensThePageBelowTheProgramWhateverTheCurrentFolder) {
  const testing_support::TempFolder elsewhere;
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.path().string().c_str()));
  std::vector<ShellRequest> requests;
  const auto record = [&](const ShellRequest& request) { requests.push_back(request); };
  const bool ran = RunHelpCommand(ids::Hmenu, nullptr, record) && RunHelpCommand(ids::CSmenu, nullptr, record) &&
                   RunHelpCommand(ids::UpdateMen, nullptr, record);
  SetCurrentDirectoryW(previous);
  ASSERT_TRUE(ran);
  EXPECT_FALSE(RunHelpCommand(ids::AboutMenu, nullptr, record));
  ASSERT_EQ(requests.size(), 3u);

  const std::wstring folder = winkit::Utf8ToWide(DosPath(TEST_PROGRAM_FOLDER) + "\\").value_or(L"");
  EXPECT_EQ(requests[0].file, folder + L"help\\help.htm");
  EXPECT_EQ(requests[0].directory, folder);
  EXPECT_EQ(requests[0].show, SW_SHOWNORMAL);
  for (const std::size_t page : {1u, 2u}) EXPECT_TRUE(requests[page].file.starts_with(L"https://")) << page;
  EXPECT_TRUE(requests[1].file.ends_with(L"/productsupport.htm"));
  EXPECT_TRUE(requests[2].file.ends_with(L"/downloads"));
}

}  // namespace
}  // namespace qelwipe::win
