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
#include "text.h"

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
    const std::wstring wide = winkit::ExtendedLengthPath(*winkit::Utf8ToWide(path));
    if (!DeleteFileW(wide.c_str())) return static_cast<EraseResult>(GetLastError());
    return 0;
  }
  std::int32_t method_ = 0;
};

std::string Utf8(const std::wstring& text) { return *winkit::WideToUtf8(text); }

// Names out of the code page (one of full-width dots and backslash, which a best-fit
// conversion turns into "..\z") and a path of more than 300 characters are reached as themselves.
TEST_F(WinFileSystemTest, NamesOutsideTheCodePageAndLongPathsAreErasedAsThemselves) {
  const std::wstring top = folder.path().wstring() + L"\\D";
  const std::wstring deep = top + L"\\" + std::wstring(120, L'x') + L"\\" + std::wstring(120, L'y');
  std::filesystem::create_directories(deep);
  WriteFile(folder / "z", 20, 'z');
  const std::vector<std::wstring> names{top + L"\\\uFF0E\uFF0E\uFF3Cz", top + L"\\b\u4E2D.txt",
                                        deep + L"\\\U0001F600.txt"};
  for (const auto& name : names) WriteFile(name, 30);
  RecordingEngine engine;
  FolderWalk walk{*files, {}};
  MethodPage methods;
  methods.SelectDefaults();
  ProgressPage progress;
  EraseRun run{*files, engine, walk, methods, progress, {}};
  run.Prepare();
  run.EraseFolder(Utf8(top));

  EXPECT_EQ(testing_support::ReadFile(folder / "z"), std::string(20, 'z'));
  std::vector<std::string> expected{Utf8(names[0]), Utf8(names[1]), Utf8(names[2])};
  std::sort(expected.begin(), expected.end());
  std::sort(engine.paths.begin(), engine.paths.end());
  EXPECT_EQ(engine.paths, expected);
  EXPECT_EQ(run.Counters().NotErased, 0u);
  EXPECT_FALSE(std::filesystem::exists(top));
}

// While held, the folder cannot be renamed away and a link put in its place.
TEST_F(WinFileSystemTest, AHeldFolderCannotBeRenamed) {
  std::filesystem::create_directory(folder / "D");
  const std::wstring from = (folder.path() / "D").wstring(), to = (folder.path() / "E").wstring();
  {
    const auto hold = files->HoldFolder(folder / "D");
    ASSERT_TRUE(hold);
    EXPECT_FALSE(MoveFileW(from.c_str(), to.c_str()));
  }
  EXPECT_TRUE(MoveFileW(from.c_str(), to.c_str()));
}

TEST_F(WinFileSystemTest, AFileWithAnotherNameKeepsItsAttributes) {
  WriteFile(folder / "a.txt", 5);
  const std::wstring name = (folder.path() / "a.txt").wstring(), other = (folder.path() / "b.txt").wstring();
  ASSERT_TRUE(CreateHardLinkW(other.c_str(), name.c_str(), nullptr));
  ASSERT_TRUE(SetFileAttributesW(name.c_str(), FILE_ATTRIBUTE_HIDDEN));
  files->ClearAttributes(folder / "a.txt");
  EXPECT_TRUE(files->Attributes(folder / "a.txt")->hidden);
}

TEST_F(WinFileSystemTest, LetterCaseIsFoldedBeyondAsciiForDuplicates) {
  EXPECT_EQ(files->FoldCase("C:\\\xC3\x84\xD0\x96.TXT"), "c:\\\xC3\xA4\xD0\xB6.txt");  // "ÄЖ"
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
