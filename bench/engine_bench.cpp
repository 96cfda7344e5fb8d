// Measures the engine's passes against the plain write speed of the file system
// and against GNU shred, on files in one folder (a tmpfs, so the storage is not
// what is measured). Started by scripts/bench; not a test.
//   engine_bench FOLDER FILE_BYTES RUNS SMALL_FILES
#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "pass_fill.h"
#include "platform_file_access.h"
#include "wipe_core.h"

extern char** environ;

namespace {

using dornix::FillKind;
using Clock = std::chrono::steady_clock;

constexpr std::size_t kSmallFileBytes = 4096;

struct Options {
  std::string folder;
  std::uint64_t fileBytes = 0;
  int runs = 0;
  int smallFiles = 0;
};

[[noreturn]] void Fail(const std::string& why) {
  std::fprintf(stderr, "engine_bench: %s\n", why.c_str());
  std::exit(1);
}

// The median of `runs` timings, in seconds; `prepare` runs untimed before each.
double Median(int runs, const std::function<void()>& prepare, const std::function<void()>& work) {
  std::vector<double> seconds;
  for (int run = 0; run < runs; ++run) {
    prepare();
    const auto start = Clock::now();
    work();
    seconds.push_back(std::chrono::duration<double>(Clock::now() - start).count());
  }
  std::sort(seconds.begin(), seconds.end());
  const std::size_t mid = seconds.size() / 2;
  return seconds.size() % 2 ? seconds[mid] : (seconds[mid - 1] + seconds[mid]) / 2;
}

void Run(std::vector<std::string> argv) {
  std::vector<char*> args;
  for (auto& arg : argv) args.push_back(arg.data());
  args.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawnp(&pid, args[0], nullptr, nullptr, args.data(), environ) != 0) Fail("cannot start " + argv[0]);
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) Fail(argv[0] + " failed");
}

// Writes `bytes` bytes of `fill` to `path`, replacing what was there.
void MakeFile(const std::string& path, std::uint64_t bytes, std::uint8_t fill) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
  if (fd < 0) Fail("cannot create " + path);
  const std::vector<std::uint8_t> block(1 << 20, fill);
  for (std::uint64_t left = bytes; left != 0;) {
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size()));
    if (::write(fd, block.data(), count) != static_cast<ssize_t>(count)) Fail("cannot fill " + path);
    left -= count;
  }
  ::close(fd);
}

// The ceiling: 256,000-byte writes from the start of the file, then one fsync.
void PlainWrites(const std::string& path, std::uint64_t bytes) {
  static const std::vector<std::uint8_t> buffer(dornix::kPassBufferSize, 0x5A);
  const int fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC);
  for (std::uint64_t left = bytes; left != 0;) {
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(left, buffer.size()));
    if (::write(fd, buffer.data(), count) != static_cast<ssize_t>(count)) Fail("write failed");
    left -= count;
  }
  fsync(fd);
  ::close(fd);
}

struct Figure {
  const char* name;
  double value;
};

void PrintFigures(const char* unit, const std::vector<Figure>& figures, double base) {
  for (const auto& f : figures) std::printf("%s %.3f %s %.3f\n", f.name, f.value, unit, f.value / base);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) Fail("usage: engine_bench FOLDER FILE_BYTES RUNS SMALL_FILES");
  const Options options{argv[1], std::strtoull(argv[2], nullptr, 10), std::atoi(argv[3]), std::atoi(argv[4])};
  if (options.fileBytes == 0 || options.runs < 1 || options.smallFiles < 1) Fail("bad arguments");

  const std::string big = options.folder + "/big.bin";
  MakeFile(big, options.fileBytes, 0xC3);
  const double gigabytes = static_cast<double>(options.fileBytes) / 1e9;
  auto rate = [&](double seconds) { return gigabytes / seconds; };
  auto nothing = [] {};

  std::printf("file %s, %llu bytes, median of %d runs; random fills use the %s path\n", big.c_str(),
              static_cast<unsigned long long>(options.fileBytes), options.runs,
              dornix::NameOf(dornix::CurrentFillPath()));

  const double limit = rate(Median(options.runs, nothing, [&] { PlainWrites(big, options.fileBytes); }));

  // The engine's passes, each one call of its pass writer over the open file.
  auto files = dornix::MakePlatformFileAccess();
  std::unique_ptr<dornix::OpenFile> file;
  if (files->OpenExclusive(big, file) != 0) Fail("cannot open " + big);
  dornix::WipeCore core(*files);
  dornix::PassBuffer buffer;
  if (!buffer.valid()) Fail("no memory for the pass buffer");
  auto pass = [&](FillKind kind, std::span<const std::uint8_t> pattern) {
    return rate(Median(options.runs, nothing, [&] {
      file->Rewind();
      if (!pattern.empty()) dornix::TilePattern(buffer.span(), pattern);
      dornix::generator::Seed(static_cast<std::uint32_t>(std::time(nullptr)));
      core.WritePass(*file, buffer, options.fileBytes, kind);
    }));
  };
  const std::uint8_t zero[] = {0x00};
  const std::uint8_t gutmann[] = {0x92, 0x49, 0x24};  // method 8's first pattern
  const double zeroRate = pass(FillKind::FixedByte, zero);
  const double patternRate = pass(FillKind::TiledPattern, gutmann);
  const double pairsRate = pass(FillKind::RandomPairs, {});
  const double lettersRate = pass(FillKind::RandomLetters, {});
  file->Close();

  const double shredRandom = rate(Median(options.runs, nothing, [&] { Run({"shred", "-n", "1", big}); }));
  const double shredZero = rate(Median(options.runs, nothing, [&] { Run({"shred", "-n", "0", "-z", big}); }));
  ::unlink(big.c_str());

  // Fills alone, in memory: what the passes spend besides writing.
  std::printf("\nfill only, GB/s:");
  for (dornix::FillPath path : dornix::SupportedFillPaths()) {
    dornix::SetFillPath(path);
    constexpr int kBuffers = 2000;
    const double pairs = Median(options.runs, nothing, [&] {
      for (int i = 0; i < kBuffers; ++i) dornix::FillRandomPairs(buffer.span());
    });
    const double letters = Median(options.runs, nothing, [&] {
      for (int i = 0; i < kBuffers; ++i) dornix::FillRandomLetters(buffer.span());
    });
    const double filled = kBuffers * static_cast<double>(dornix::kPassBufferSize) / 1e9;
    std::printf("  %s pairs %.1f letters %.1f;", dornix::NameOf(path), filled / pairs, filled / letters);
  }
  dornix::SetFillPath(dornix::SupportedFillPaths().back());
  std::printf("\n");

  // Small files: the same names made anew before every run.
  const std::string smallFolder = options.folder + "/small";
  ::mkdir(smallFolder.c_str(), 0700);
  std::vector<std::string> names;
  for (int i = 0; i < options.smallFiles; ++i) names.push_back(smallFolder + "/file" + std::to_string(i) + ".dat");
  auto makeSmall = [&] {
    for (const auto& name : names) MakeFile(name, kSmallFileBytes, 0xC3);
  };
  core.SetWipeMethod(0);
  core.SetWipeRounds(1);
  const double engineSmall = Median(options.runs, makeSmall, [&] {
    for (const auto& name : names)
      if (core.WipeFile(std::u16string(name.begin(), name.end())) != 0) Fail("cannot erase " + name);
  });
  std::vector<std::string> shredSmallArgs{"shred", "-u", "-n", "1"};
  shredSmallArgs.insert(shredSmallArgs.end(), names.begin(), names.end());
  const double shredSmall = Median(options.runs, makeSmall, [&] { Run(shredSmallArgs); });
  ::rmdir(smallFolder.c_str());

  const double count = options.smallFiles;
  const std::vector<Figure> big_figures{{"limit", limit},           {"zero", zeroRate},
                                        {"pattern", patternRate},   {"pairs", pairsRate},
                                        {"letters", lettersRate},   {"shred_random", shredRandom},
                                        {"shred_zero", shredZero}};
  std::printf("\n%-18s %10s %9s %9s\n", "", "GB/s", "/limit", "/shred");  // random to shred -n 1, the rest to -n 0 -z
  for (const auto& f : big_figures)
    std::printf("%-18s %10.3f %9.3f %9.3f\n", f.name, f.value, f.value / limit,
                f.value / (f.name == std::string("pairs") || f.name == std::string("letters") ? shredRandom : shredZero));
  std::printf("%-18s %10s %9s\n", "", "files/s", "/shred");
  std::printf("%-18s %10.0f %9.3f\n", "small_files", count / engineSmall, shredSmall / engineSmall);
  std::printf("%-18s %10.0f %9.3f\n\n", "shred_small_files", count / shredSmall, 1.0);

  PrintFigures("GB/s", big_figures, limit);
  PrintFigures("files/s", {{"small_files", count / engineSmall}, {"shred_small_files", count / shredSmall}},
               count / shredSmall);
  return 0;
}
