// The About box and the Help menu's shell commands in this test program, whose own
// version block (2.3.0.7) and folder stand for the program's.
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

TEST(AboutBoxTest, ShowsEveryLabelWithVersionAndBuildFromTheVersionBlock) {
  if (GetEnvironmentVariableA("DISPLAY", nullptr, 0) == 0) GTEST_SKIP() << "no display";
  AboutBox about(GetModuleHandleW(nullptr));
  about.Show(nullptr);
  const HWND box = about.Window();
  ASSERT_TRUE(box);
  const auto text = [](HWND window) {
    char text[256] = {};
    GetWindowTextA(window, text, sizeof text);
    return std::string(text);
  };
  EXPECT_EQ(text(box), "About Qel Tarnwick Professional ");
  using namespace ids::about;
  const std::pair<int, const char*> labels[] = {{Label9, "Qel Tarnwick Professional "},
                                                {Label6, "Version:"},
                                                {Label7, "2.3"},
                                                {Label4, "Build:"},
                                                {Label2, "2.3.7"},
                                                {Command1, "OK"}};
  for (const auto& [id, caption] : labels) EXPECT_EQ(text(GetDlgItem(box, id)), caption) << id;
  EXPECT_TRUE(SendMessageW(GetDlgItem(box, Picture1), STM_GETIMAGE, IMAGE_BITMAP, 0));

  about.Show(nullptr);  // modeless: still the one box
  EXPECT_EQ(about.Window(), box);
  SendMessageW(GetDlgItem(box, Command1), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindow(box));
}

TEST(HelpCommandsTest, HelpTopicsOpensThePageBelowTheProgramWhateverTheCurrentFolder) {
  const testing_support::TempFolder elsewhere;
  wchar_t previous[MAX_PATH] = {};
  GetCurrentDirectoryW(MAX_PATH, previous);
  ASSERT_TRUE(SetCurrentDirectoryA(elsewhere.path().string().c_str()));
  std::vector<ShellRequest> requests;
  const auto record = [&](const ShellRequest& request) { requests.push_back(request); };
  for (const int id : {ids::Hmenu, ids::CSmenu, ids::UpdateMen, ids::AboutMenu}) RunHelpCommand(id, nullptr, record);
  SetCurrentDirectoryW(previous);
  ASSERT_EQ(requests.size(), 3u);

  const std::wstring folder = winkit::Utf8ToWide(testing::DosPath(TEST_PROGRAM_FOLDER) + "\\").value_or(L"");
  EXPECT_EQ(requests[0].file, folder + L"help\\help.htm");
  EXPECT_EQ(requests[0].directory, folder);
  EXPECT_TRUE(requests[1].file.starts_with(L"https://") && requests[1].file.ends_with(L"/productsupport.htm"));
  EXPECT_TRUE(requests[2].file.starts_with(L"https://") && requests[2].file.ends_with(L"/downloads"));
}

}  // namespace
}  // namespace qelwipe::win
