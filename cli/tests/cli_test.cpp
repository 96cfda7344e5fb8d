// qelwipe-cli end to end over real files in a temporary folder.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "cli_run.h"
#include "core_engine.h"
#include "posix_file_system.h"
#include "temp_folder.h"

namespace qelwipe::cli {
namespace {

namespace fs = std::filesystem;
using testing_support::ListFolder;
using testing_support::ReadFile;
using testing_support::TempFolder;
using testing_support::WriteFile;

class ScriptedConsole final : public Console {
 public:
  std::ostream& Out() override { return out; }
  std::ostream& Err() override { return err; }
  bool Interactive() override { return interactive; }
  bool Ask(const std::string& question) override {
    asked += question;
    return answer;
  }
  bool Interrupted() override { return false; }
  bool ShowsProgress() override { return false; }

  std::ostringstream out, err;
  bool interactive = false, answer = false;
  std::string asked;
};

class CliTest : public ::testing::Test {
 protected:
  int Run(std::vector<std::string> arguments) {
    const Parsed parsed = ParseArguments(arguments);
    EXPECT_EQ(parsed.error, "");
    console = std::make_unique<ScriptedConsole>();
    return cli::Run(parsed.options, *files, engine, *console);
  }

  TempFolder folder;
  std::unique_ptr<FileSystem> files = MakePosixFileSystem();
  CoreEngine engine;
  std::unique_ptr<ScriptedConsole> console;
};

// The exit code is the truth of the run: what another program holds stays, and says so.
TEST_F(CliTest, ExitCodesSayWhetherEveryItemIsGone) {
  fs::create_directories(folder.path() / "tree/sub");
  WriteFile(folder / "tree/a.txt", 10);
  WriteFile(folder / "tree/sub/b.txt", 300000);
  WriteFile(folder / "tree/sub/r\xC3\xA9sum\xC3\xA9 \xF0\x9F\x94\x90.txt", 10);  // beyond ASCII, one beyond 16 bits
  engine.SetVerify(true);
  EXPECT_EQ(Run({"--yes", "--json", "--verify", "-m", "zero", folder / "tree"}), kAllGone);
  EXPECT_EQ(ListFolder(folder.path()), "");
  EXPECT_EQ(console->out.str().substr(0, console->out.str().find('\n')),
            "{\"path\":" + JsonString(folder / "tree/a.txt") +
                ",\"status\":\"erased\",\"code\":0,\"reason\":\"erased\",\"bytes\":10,\"passes\":1,\"verified\":true}");

  WriteFile(folder / "busy.txt", 100, 'b');
  const int holder = open((folder / "busy.txt").c_str(), O_RDONLY);
  EXPECT_EQ(Run({"--yes", folder / "busy.txt"}), kSomethingLeft);
  close(holder);
  EXPECT_EQ(ReadFile(folder / "busy.txt"), std::string(100, 'b'));
  EXPECT_NE(console->err.str().find("held open by another program"), std::string::npos);

  EXPECT_EQ(Run({"--yes", folder / "no-such-file"}), kRefused);
  EXPECT_NE(ParseArguments({"--method", "nine"}).error, "");
  EXPECT_NE(ParseArguments({}).error, "");
}

// Without a person to answer, nothing is erased unasked; a dry run touches nothing either way.
TEST_F(CliTest, ADryRunOrAnUnansweredRunTouchesNothing) {
  fs::create_directories(folder.path() / "d");
  WriteFile(folder / "d/a.txt", 7, 'a');
  EXPECT_EQ(Run({"--dry-run", folder / "d"}), kAllGone);
  EXPECT_EQ(console->out.str(), folder / "d/a.txt" + "\t7\nwould erase 1 files, 7 bytes\n");
  EXPECT_EQ(Run({folder / "d"}), kRefused);
  EXPECT_NE(console->err.str().find("--yes"), std::string::npos);
  EXPECT_EQ(ReadFile(folder / "d/a.txt"), "aaaaaaa");
}

// Ctrl+C stops the erase under way at its next chunk; the file stays whole under its name.
TEST(CliProgramTest, AnInterruptEndsWith130AndLeavesTheFileUnderItsName) {
  TempFolder folder;
  const std::string big = folder / "big.bin";
  WriteFile(big, 64u << 20, 'x');
  const pid_t child = fork();
  if (child == 0) {
    execl(QELWIPE_CLI, QELWIPE_CLI, "--yes", "--quiet", "-m", "gutmann", "-c", "5", big.c_str(), nullptr);
    _exit(127);
  }
  // Once the program has written a few chunks, the overwrite is under way.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(20);
  const auto written = [&] {
    std::ifstream io("/proc/" + std::to_string(child) + "/io");
    std::string key;
    std::uint64_t value = 0;
    while (io >> key >> value)
      if (key == "wchar:") return value;
    return std::uint64_t{0};
  };
  while (written() < (4u << 20) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  kill(child, SIGINT);
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), kInterrupted);
  EXPECT_EQ(fs::file_size(big), 64u << 20);
}

}  // namespace
}  // namespace qelwipe::cli
