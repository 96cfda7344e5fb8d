// The wizard's Windows file system and registry over real files of the prefix.
#include "win_file_system.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "erase_run.h"
#include "handles.h"
#include "items_list.h"
#include "temp_folder.h"

namespace qelwipe::win {
namespace {

using testing_support::TempFolder;
using testing_support::WriteFile;

class WinFileSystemTest : public ::testing::Test {
 protected:
  std::unique_ptr<FileSystem> files = MakeWinFileSystem();
  TempFolder folder;
};

TEST_F(WinFileSystemTest, AttributesLengthsAndListing) {
  WriteFile(folder / "plain.txt", 1234);
  WriteFile(folder / "marked.txt", 5);
  SetFileAttributesA((folder / "marked.txt").c_str(),
                     FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE);
  std::filesystem::create_directory(folder / "Sub");

  const auto marked = files->Attributes(folder / "marked.txt");
  ASSERT_TRUE(marked);
  EXPECT_TRUE(marked->readOnly && marked->hidden && marked->system && marked->archive);
  EXPECT_FALSE(marked->directory || marked->link);
  EXPECT_TRUE(files->Attributes(folder / "Sub")->directory);
  EXPECT_FALSE(files->Attributes(folder / "missing"));
  EXPECT_EQ(files->FileLength(folder / "plain.txt"), 1234u);
  EXPECT_EQ(files->FileLength(folder / "Sub"), 0u);
  EXPECT_FALSE(files->FileLength(folder / "missing"));

  auto entries = files->ListFolder(folder.path().string());
  std::sort(entries.begin(), entries.end(), [](const auto& a, const auto& b) { return a.name < b.name; });
  ASSERT_EQ(entries.size(), 3u);
  EXPECT_EQ(entries[0].name, "Sub");
  EXPECT_TRUE(entries[0].attributes->directory);
  EXPECT_EQ(entries[1].name, "marked.txt");
  EXPECT_TRUE(entries[1].attributes->hidden);
  EXPECT_TRUE(files->ListFolder(folder / "missing").empty());

  // Cleared, so the engine may open it.
  files->ClearAttributes(folder / "marked.txt");
  const auto cleared = files->Attributes(folder / "marked.txt");
  EXPECT_FALSE(cleared->readOnly || cleared->hidden || cleared->system);
}

TEST_F(WinFileSystemTest, TimesInLocalTime) {
  const std::string path = folder / "dated.txt";
  WriteFile(path, 10);
  SYSTEMTIME local{2004, 3, 0, 5, 9, 7, 3, 0};
  FILETIME localTime{}, stored{};
  ASSERT_TRUE(SystemTimeToFileTime(&local, &localTime));
  ASSERT_TRUE(LocalFileTimeToFileTime(&localTime, &stored));
  {
    const winkit::UniqueFile file(
        CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(file);
    ASSERT_TRUE(SetFileTime(file.get(), &stored, &stored, &stored));
  }
  const auto times = files->FileTimes(path);
  ASSERT_TRUE(times);
  for (const LocalTime& time : {times->created, times->accessed, times->modified}) {
    EXPECT_EQ(time.year, 2004);
    EXPECT_EQ(time.month, 3);
    EXPECT_EQ(time.day, 5);
    EXPECT_EQ(time.hour, 9);
    EXPECT_EQ(time.minute, 7);
    EXPECT_EQ(time.second, 3);
  }
  EXPECT_TRUE(files->FolderTimes(folder.path().string()));
  EXPECT_FALSE(files->FolderTimes(folder / "missing"));
  EXPECT_FALSE(files->FileTimes(folder / "missing"));
}

TEST_F(WinFileSystemTest, RemovesFilesAndOnlyEmptyFolders) {
  std::filesystem::create_directory(folder / "Full");
  std::filesystem::create_directory(folder / "Empty");
  WriteFile(folder / "Full\\inside.txt", 3);
  EXPECT_FALSE(files->RemoveFolder(folder / "Full"));
  EXPECT_TRUE(files->Delete(folder / "Full\\inside.txt"));
  EXPECT_FALSE(files->Delete(folder / "Full\\inside.txt"));
  EXPECT_TRUE(files->RemoveFolder(folder / "Full"));
  EXPECT_TRUE(files->RemoveFolder(folder / "Empty"));
  EXPECT_EQ(testing_support::ListFolder(folder.path()), "");
}

// Records the files handed to it and removes each one it can reach, as the engine does.
class RecordingEngine final : public EraseEngine {
 public:
  void Advise(EngineEvents*) override {}
  std::int32_t WipeMethod() override { return method_; }
  void SetWipeMethod(std::int32_t method) override { method_ = method; }
  void SetWipeRounds(std::int32_t) override {}
  EraseResult WipeFile(const std::string& path) override { return Erase(path); }
  EraseResult FastWipeFile(const std::string& path, std::uint8_t) override { return Erase(path); }
  EraseResult GovermentWipeFile(const std::string& path, std::uint8_t, std::uint8_t, std::uint8_t) override {
    return Erase(path);
  }
  void CancelWipe() override {}
  std::vector<std::string> paths;

 private:
  EraseResult Erase(const std::string& path) {
    paths.push_back(path);
    if (!SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL)) return static_cast<EraseResult>(GetLastError());
    DeleteFileA(path.c_str());
    return 0;
  }
  std::int32_t method_ = 0;
};

// The ANSI listing gives "..\z" for a name of full-width dots and backslash, and
// "?" for a character the code page lacks: neither may lead the run anywhere else.
TEST_F(WinFileSystemTest, NamesTheAnsiListingCannotGiveBackStayAndAreReported) {
  std::filesystem::create_directory(folder / "D");
  WriteFile(folder / "D\\a.txt", 10);
  WriteFile(folder / "z", 20, 'z');
  const std::wstring inside = (folder.path() / "D").wstring() + L"\\";
  for (const wchar_t* name : {L"\uFF0E\uFF0E\uFF3Cz", L"b\u4E2D.txt"}) WriteFile(inside + name, 30);
  RecordingEngine engine;
  FolderWalk walk{*files, {}};
  MethodPage methods;
  methods.FillMethodList();
  ProgressPage progress;
  EraseRun run{*files, engine, walk, methods, progress, {}};
  run.Prepare();
  run.EraseFolder(folder / "D");

  EXPECT_EQ(testing_support::ReadFile(folder / "z"), std::string(20, 'z'));
  EXPECT_EQ(engine.paths, (std::vector<std::string>{folder / "D\\a.txt", folder / "D\\b?.txt"}));
  EXPECT_EQ(run.Counters().NotErased, 2u);
  EXPECT_FALSE(std::filesystem::exists(folder / "D\\a.txt"));
}

TEST(WinFileTypeRegistryTest, TypeTextFromTheClassesRoot) {
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, ".qeltest", REG_SZ, "QelTest.File", 12), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueA(HKEY_CLASSES_ROOT, "QelTest.File", REG_SZ, "Qel test file", 13), ERROR_SUCCESS);
  const auto registry = MakeWinFileTypeRegistry();
  EXPECT_EQ(FileTypeText("C:\\x\\report.qeltest", *registry), "Qel test file");
  EXPECT_EQ(FileTypeText("C:\\x.d\\noext", *registry), "File");
  RegDeleteKeyA(HKEY_CLASSES_ROOT, ".qeltest");
  RegDeleteKeyA(HKEY_CLASSES_ROOT, "QelTest.File");
}

}  // namespace
}  // namespace qelwipe::win
