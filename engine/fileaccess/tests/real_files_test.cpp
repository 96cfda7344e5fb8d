// The engine on real files in a temporary folder, through the platform's file access.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <utility>

#include "links.h"
#include "platform_file_access.h"
#include "temp_folder.h"
#include "wipe_core.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#endif

namespace dornix {
namespace {

namespace fs = std::filesystem;
using testing_support::ListFolder;
using testing_support::MakeLink;
using testing_support::RemoveLink;
using testing_support::ReadFile;
using testing_support::TempFolder;
using testing_support::WriteFile;

// 2000-01-01 01:01:01.001 UTC in 100-nanosecond units since 1601.
constexpr std::uint64_t kFixedFileTime = 125911620610010000ull;

std::u16string Wide(const std::string& ascii) { return std::u16string(ascii.begin(), ascii.end()); }

#ifdef _WIN32
std::uint64_t LastWriteFileTime(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return 0;
  return (static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}
bool OthersCanOpen(const std::string& path) {
  const HANDLE handle =
      CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  CloseHandle(handle);
  return true;
}
void MakeReadOnly(const std::string& path) {
  SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
}
bool HasPlainAttributes(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES &&
         (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0;
}

// A second process that holds the file open with no sharing until released.
class HeldOpenElsewhere {
 public:
  explicit HeldOpenElsewhere(const std::string& path) {
    const std::string tag = std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount64());
    ready_ = CreateEventA(nullptr, TRUE, FALSE, ("hold-ready-" + tag).c_str());
    release_ = CreateEventA(nullptr, TRUE, FALSE, ("hold-release-" + tag).c_str());
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    const std::string helper = (fs::path(self).parent_path() / "hold_open.exe").string();
    std::string command = "\"" + helper + "\" \"" + path + "\" " + tag;
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessA(helper.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process_))
      ADD_FAILURE() << "cannot start " << helper << ": " << GetLastError();
    else
      EXPECT_EQ(WaitForSingleObject(ready_, 20000), WAIT_OBJECT_0) << "the helper did not open the file";
  }
  ~HeldOpenElsewhere() {
    SetEvent(release_);
    if (process_.hProcess) {
      WaitForSingleObject(process_.hProcess, 20000);
      CloseHandle(process_.hProcess);
      CloseHandle(process_.hThread);
    }
    CloseHandle(ready_);
    CloseHandle(release_);
  }

 private:
  HANDLE ready_, release_;
  PROCESS_INFORMATION process_{};
};
#else
std::uint64_t LastWriteFileTime(const struct stat& info) {
  return (static_cast<std::uint64_t>(info.st_mtim.tv_sec) + 11644473600ull) * 10000000ull +
         static_cast<std::uint64_t>(info.st_mtim.tv_nsec) / 100;
}
std::uint64_t LastWriteFileTime(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 ? LastWriteFileTime(info) : 0;
}
bool OthersCanOpen(const std::string& path) {
  // Non-blocking, so that a lease makes the open fail instead of waiting for it.
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK);
  if (fd < 0) return false;
  close(fd);
  return true;
}
void MakeReadOnly(const std::string& path) { chmod(path.c_str(), 0444); }
bool HasPlainAttributes(const std::string& path) {
  struct stat info {};
  return stat(path.c_str(), &info) == 0 && (info.st_mode & S_IWUSR);
}

// A child process that holds the file open until released.
class HeldOpenElsewhere {
 public:
  explicit HeldOpenElsewhere(const std::string& path) {
    int ready[2], release[2];
    if (pipe(ready) != 0 || pipe(release) != 0) ADD_FAILURE() << "pipe";
    child_ = fork();
    if (child_ == 0) {
      close(release[1]);
      const int fd = open(path.c_str(), O_RDONLY);
      char byte = fd >= 0 ? 'y' : 'n';
      (void)!write(ready[1], &byte, 1);
      (void)!read(release[0], &byte, 1);  // returns when the parent closes its end
      _exit(0);
    }
    close(ready[1]);
    close(release[0]);
    release_ = release[1];
    char byte = 0;
    EXPECT_EQ(read(ready[0], &byte, 1), 1);
    EXPECT_EQ(byte, 'y') << "the child could not open the file";
    close(ready[0]);
  }
  ~HeldOpenElsewhere() {
    close(release_);
    waitpid(child_, nullptr, 0);
  }

 private:
  pid_t child_ = -1;
  int release_ = -1;
};
#endif

class RealFilesTest : public ::testing::Test {
 protected:
  TempFolder folder;
  std::unique_ptr<FileAccess> files = MakePlatformFileAccess();
  std::vector<std::int32_t> percents;
  std::function<void()> duringErase = [] {};
  WipeCore core{*files, [this](std::int32_t, std::int32_t, std::int32_t percent) {
                  percents.push_back(percent);
                  duringErase();
                }};

  void SetUp() override { core.SetWipeRounds(1); }
};

TEST_F(RealFilesTest, ErasesTheFileUnderExclusiveAccessAndLeavesNoTemporaryFile) {
  const std::string victim = folder / "secret.txt";
  WriteFile(victim, 600000);
  WriteFile(folder / "keep.txt", 1000);
  bool checked = false;
  duringErase = [&] {
    if (checked) return;
    checked = true;
    EXPECT_EQ(LastWriteFileTime(victim), kFixedFileTime);
    EXPECT_FALSE(OthersCanOpen(victim));
  };
  core.SetWipeMethod(3);
  core.SetWipeRounds(2);
  EXPECT_EQ(core.WipeFile(Wide(victim)), 0);
  EXPECT_TRUE(checked);
  EXPECT_EQ(ListFolder(folder.path()), "keep.txt");
  EXPECT_EQ(ReadFile(folder / "keep.txt").size(), 1000u);
  EXPECT_EQ(percents.size(), 2u * 3u * (3 + 2));
}

// Read back past the cache in chunks that neither start nor end on a sector, then deleted.
TEST_F(RealFilesTest, AVerifiedEraseReadsTheLastPassBackAndStillDeletesTheFile) {
  WriteFile(folder / "checked.bin", 3 * 256000 + 1234);
  core.SetVerify(true);
  core.SetWipeMethod(1);
  EXPECT_EQ(core.WipeFile(Wide(folder / "checked.bin")), 0);
  EXPECT_EQ(ListFolder(folder.path()), "");
}

TEST_F(RealFilesTest, EmptyReadOnlyAndOddlyNamedFilesAreErasedToo) {
  const std::string empty = folder / "empty.txt";
  WriteFile(empty, 0);
  EXPECT_EQ(core.FastWipeFile(Wide(empty), 0xAA), 0);
  EXPECT_EQ(percents, (std::vector<std::int32_t>{0, 100}));

  const std::string readOnly = folder / "read-only.txt";
  WriteFile(readOnly, 3000);
  MakeReadOnly(readOnly);
  EXPECT_EQ(core.GovermentWipeFile(Wide(readOnly), 1, 2, 3), 0);

  const fs::path accented = folder.path() / fs::path(u"r\u00e9sum\u00e9 2.txt");
  WriteFile(accented, 10);
  EXPECT_EQ(core.WipeFile(accented.u16string()), 0);

  EXPECT_EQ(ListFolder(folder.path()), "");
}

TEST_F(RealFilesTest, MissingFilesAndFoldersGiveTheirOwnCodes) {
  EXPECT_EQ(core.WipeFile(Wide(folder / "absent.txt")), 2);
  EXPECT_EQ(core.WipeFile(Wide(folder / "no-such-folder/absent.txt")), 3);
  EXPECT_EQ(core.WipeFile(u""), core.WipeFile(u"")) << "an empty name fails the same way each time";
  EXPECT_NE(core.WipeFile(u""), 0);
}

TEST_F(RealFilesTest, AFileHeldOpenElsewhereIsRefusedWithItsContentsKept) {
  const std::string busy = folder / "busy.txt";
  WriteFile(busy, 5000);
  MakeReadOnly(busy);
  const std::string before = ReadFile(busy);
  {
    HeldOpenElsewhere holder(busy);
    EXPECT_EQ(core.WipeFile(Wide(busy)), 32);
  }
  EXPECT_EQ(ReadFile(busy), before);
  EXPECT_TRUE(HasPlainAttributes(busy));
  EXPECT_TRUE(percents.empty());
  EXPECT_EQ(ListFolder(folder.path()), "busy.txt");
  // Once released it can be erased.
  EXPECT_EQ(core.WipeFile(Wide(busy)), 0);
  EXPECT_EQ(ListFolder(folder.path()), "");
}

TEST_F(RealFilesTest, AFolderIsNotAFileToErase) {
  fs::create_directory(folder.path() / "sub");
  EXPECT_EQ(core.WipeFile(Wide(folder / "sub")), 5);
  EXPECT_TRUE(fs::is_directory(folder.path() / "sub"));
}

// Refusing a folder must not have changed it first; a bare name is erased in the current folder.
TEST_F(RealFilesTest, ARefusedFolderKeepsItsAttributesAndABareNameIsErasedWhereItIs) {
  const std::string sub = folder / "sub";
  fs::create_directory(sub);
#ifdef _WIN32
  SetFileAttributesA(sub.c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
  const DWORD attributes = GetFileAttributesA(sub.c_str());
  EXPECT_EQ(core.WipeFile(Wide(sub)), 5);
  EXPECT_EQ(GetFileAttributesA(sub.c_str()), attributes);
  SetFileAttributesA(sub.c_str(), FILE_ATTRIBUTE_DIRECTORY);
#endif
  WriteFile(folder / "loose.txt", 100);
  const fs::path previous = fs::current_path();
  fs::current_path(folder.path());
  EXPECT_EQ(core.WipeFile(u"loose.txt"), 0);
  fs::current_path(previous);
  EXPECT_EQ(ListFolder(folder.path()), "sub");
}

// Overwriting a file with a second name would empty it under that name too, maybe outside the selection.
TEST_F(RealFilesTest, AFileWithASecondNameIsRefusedAndKeepsItsContents) {
  TempFolder outside;
  WriteFile(outside / "original.txt", 3000, 'o');
  fs::create_hard_link(outside / "original.txt", folder.path() / "second.txt");
  EXPECT_EQ(core.WipeFile(Wide(folder / "second.txt")), 5);
  EXPECT_EQ(ReadFile(outside / "original.txt"), std::string(3000, 'o'));
  EXPECT_EQ(ListFolder(folder.path()), "second.txt");
}

// A folder swapped for a link while its file is erased must not carry the erase elsewhere.
TEST_F(RealFilesTest, AFolderSwappedForALinkDuringTheEraseLeadsNowhereElse) {
  TempFolder outside;
  WriteFile(outside / "secret.txt", 2000, 'o');
  const fs::path inside = folder.path() / "D";
  fs::create_directory(inside);
  WriteFile(inside / "secret.txt", 2000, 'i');
  std::error_code refused;
  bool tried = false, linked = false;
  duringErase = [&] {
    if (std::exchange(tried, true)) return;
    fs::rename(inside, folder.path() / "moved", refused);
    linked = !refused && MakeLink(outside.path(), inside);
  };
  const ErrorCode result = core.WipeFile((inside / "secret.txt").u16string());
  // The next erase by the same path, as a folder's next file would be, meets the link.
  if (linked) {
    EXPECT_EQ(core.WipeFile((inside / "secret.txt").u16string()), 5);
  }
  EXPECT_EQ(ReadFile(outside / "secret.txt"), std::string(2000, 'o'));
  EXPECT_EQ(ListFolder(outside.path()), "secret.txt");
#ifdef _WIN32
  // Windows refuses to rename a folder held without delete sharing. Wine does not, and then
  // renames the file by its old path, which fails: it stays, emptied, and says so.
  EXPECT_EQ(refused ? ListFolder(inside) : ReadFile(folder.path() / "moved" / "secret.txt"), "");
  EXPECT_EQ(result != 0, !refused);
#else
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ListFolder(folder.path() / "moved"), "");
#endif
  if (linked) RemoveLink(inside);
}

// Names reach the system as the caller wrote them, whatever their script or length.
TEST_F(RealFilesTest, UnicodeNamesLongPathsAndTrailingDotsAreErasedAndNothingElse) {
  WriteFile(folder / "report.txt", 100);
  const fs::path fullWidth = folder.path() / u"\uFF52\uFF45\uFF50\uFF4F\uFF52\uFF54.txt";
  WriteFile(fullWidth, 100);
  EXPECT_EQ(core.WipeFile(fullWidth.u16string()), 0);
  EXPECT_EQ(ListFolder(folder.path()), "report.txt");
#ifdef _WIN32
  const std::wstring dotted = LR"(\\?\)" + (folder.path() / "dotted.").wstring();
  CloseHandle(CreateFileW(dotted.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
  ASSERT_EQ(ListFolder(folder.path()), "dotted. report.txt");
  EXPECT_EQ(core.WipeFile(std::u16string(dotted.begin(), dotted.end())), 0);
  EXPECT_EQ(ListFolder(folder.path()), "report.txt");
#endif

  fs::path deep = folder.path();
#ifdef _WIN32
  deep = LR"(\\?\)" + deep.wstring();
#endif
  for (int i = 0; i < 4; ++i)
    fs::create_directory(deep /= u"\u6587\u4EF6-\u043F\u0430\u043F\u043A\u0430-" + std::u16string(70, u'x'));
  const fs::path secret = deep / u"\U0001F510 \u0441\u0435\u043A\u0440\u0435\u0442.txt";
  WriteFile(secret, 5000);
  ASSERT_GT(secret.u16string().size(), 300u);
  EXPECT_EQ(core.WipeFile(secret.u16string()), 0);
  EXPECT_FALSE(std::ifstream(secret).is_open());
}

#ifndef _WIN32
// Watches the emptied file at the moment it is renamed away.
class RenameWatcher final : public FileAccess {
 public:
  explicit RenameWatcher(FileAccess& real) : real_(real) {}
  std::uint64_t timeAtRename = 0;
  std::uintmax_t sizeAtRename = 1;

  ErrorCode OpenExclusive(std::u16string_view name, std::unique_ptr<OpenFile>& file) override {
    std::unique_ptr<OpenFile> opened;
    const ErrorCode error = real_.OpenExclusive(name, opened);
    if (!error) file = std::make_unique<Watched>(*this, std::move(opened), std::string(name.begin(), name.end()));
    return error;
  }

 private:
  class Watched final : public OpenFile {
   public:
    Watched(RenameWatcher& owner, std::unique_ptr<OpenFile> file, std::string path)
        : owner_(owner), file_(std::move(file)), path_(std::move(path)) {}
    std::uint64_t Length() override { return file_->Length(); }
    ErrorCode SetFixedTimes() override { return file_->SetFixedTimes(); }
    void Rewind() override { file_->Rewind(); }
    std::uint64_t Position() override { return file_->Position(); }
    ErrorCode Write(const std::uint8_t* bytes, std::uint32_t count) override { return file_->Write(bytes, count); }
    ErrorCode Flush() override { return file_->Flush(); }
    ErrorCode TruncateHere() override { return file_->TruncateHere(); }
    ErrorCode RenameAwayAndDelete(const char* prefix) override {
      // Holds the file without opening it, which would break the engine's lease.
      const int held = open(path_.c_str(), O_PATH);
      const ErrorCode result = file_->RenameAwayAndDelete(prefix);
      struct stat info {};
      if (fstat(held, &info) == 0) {
        owner_.timeAtRename = LastWriteFileTime(info);
        owner_.sizeAtRename = static_cast<std::uintmax_t>(info.st_size);
      }
      close(held);
      return result;
    }
    void Close() override { file_->Close(); }

   private:
    RenameWatcher& owner_;
    std::unique_ptr<OpenFile> file_;
    std::string path_;
  };
  FileAccess& real_;
};

TEST_F(RealFilesTest, TheEmptiedFileLeavesWithTheFixedDate) {
  const std::string victim = folder / "dated.txt";
  WriteFile(victim, 70000);
  RenameWatcher watcher(*files);
  WipeCore watched(watcher);
  watched.SetWipeRounds(2);
  watched.SetWipeMethod(6);
  EXPECT_EQ(watched.WipeFile(Wide(victim)), 0);
  EXPECT_EQ(watcher.sizeAtRename, 0u);
  EXPECT_EQ(watcher.timeAtRename, kFixedFileTime);
  EXPECT_EQ(ListFolder(folder.path()), "");
}

TEST_F(RealFilesTest, LinksPipesAndDevicesAreRefusedAndLeftAlone) {
  const std::string target = folder / "target.txt";
  WriteFile(target, 4000);
  chmod(target.c_str(), 0400);
  const std::string link = folder / "link.txt";
  ASSERT_EQ(symlink(target.c_str(), link.c_str()), 0);
  EXPECT_EQ(core.WipeFile(Wide(link)), 5);
  EXPECT_EQ(ReadFile(target).size(), 4000u);
  struct stat info {};
  ASSERT_EQ(stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0400u) << "the target's mode must not change";
  EXPECT_TRUE(fs::is_symlink(link));
  // Nor is a link on the way: it may lead anywhere.
  ASSERT_EQ(symlink(folder.path().c_str(), (folder / "way").c_str()), 0);
  EXPECT_EQ(core.WipeFile(Wide(folder / "way/target.txt")), 5);
  EXPECT_EQ(core.WipeFile(Wide(folder / "way/../" + folder.path().filename().string() + "/target.txt")), 5);
  EXPECT_EQ(ReadFile(target).size(), 4000u);

  // Neither a pipe nor a device is a file to overwrite; opening a pipe must not wait for a reader.
  const std::string pipe = folder / "pipe";
  ASSERT_EQ(mkfifo(pipe.c_str(), 0600), 0);
  EXPECT_EQ(core.WipeFile(Wide(pipe)), 5);
  EXPECT_EQ(core.WipeFile(u"/dev/null"), 5);

  const std::string dangling = folder / "dangling.txt";
  ASSERT_EQ(symlink((folder / "gone.txt").c_str(), dangling.c_str()), 0);
  EXPECT_EQ(core.WipeFile(Wide(dangling)), 5);
  EXPECT_FALSE(fs::exists(folder.path() / "gone.txt"));
}

// Bytes a refused write left as they were must not be deleted along with the file.
TEST_F(RealFilesTest, AFileTheSystemWillNotLetBeOverwrittenWhollyIsLeftInPlace) {
  const std::string victim = folder / "secret.txt";
  WriteFile(victim, 600000, 'v');
  // Writes past 300,000 bytes fail with EFBIG instead of ending the process.
  const auto oldSignal = signal(SIGXFSZ, SIG_IGN);
  rlimit old{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
  const rlimit small{300000, old.rlim_max};
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  const ErrorCode result = core.FastWipeFile(Wide(victim), 0);
  setrlimit(RLIMIT_FSIZE, &old);
  signal(SIGXFSZ, oldSignal);

  EXPECT_NE(result, 0);
  EXPECT_EQ(ListFolder(folder.path()), "secret.txt");
  const std::string left = ReadFile(victim);
  ASSERT_EQ(left.size(), 600000u);
  EXPECT_EQ(left[299999], '\0');
  EXPECT_EQ(left[300000], 'v');
}
#endif

}  // namespace
}  // namespace dornix
