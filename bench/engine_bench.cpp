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
#include <filesystem>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "fill/pass_fill.h"
#include "measure.h"
#include "platform_file_access.h"
#include "wipe_core.h"

namespace {

using bench::Fail;
using bench::Figure;
using bench::Measure;
using bench::MedianSeconds;
using bench::PrintFigures;
using bench::PrintRuns;
using bench::Run;
using bench::RunRounds;
using dornix::FillKind;

constexpr std::size_t kSmallFileBytes = 4096;

struct Options {
  std::string folder;
  std::uint64_t fileBytes = 0;
  int runs = 0;
  int smallFiles = 0;
};

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

// The ceiling: 256,000-byte writes from the start of the file, then one fsync, from a
// buffer aligned as the engine's is (the copy into the file is faster from aligned memory).
void PlainWrites(int fd, const dornix::PassBuffer& buffer, std::uint64_t bytes) {
  for (std::uint64_t left = bytes; left != 0;) {
    const auto count = static_cast<std::size_t>(std::min<std::uint64_t>(left, dornix::kPassBufferSize));
    if (::write(fd, buffer.data(), count) != static_cast<ssize_t>(count)) Fail("write failed");
    left -= count;
  }
  fsync(fd);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 5) Fail("usage: engine_bench FOLDER FILE_BYTES RUNS SMALL_FILES");
  const Options options{argv[1], std::strtoull(argv[2], nullptr, 10), std::atoi(argv[3]), std::atoi(argv[4])};
  if (options.fileBytes == 0 || options.runs < 1 || options.smallFiles < 1) Fail("bad arguments");

  const std::string big = options.folder + "/big.bin";
  MakeFile(big, options.fileBytes, 0xC3);
  const double gigabytes = static_cast<double>(options.fileBytes) / 1e9;

  std::printf("file %s, %llu bytes, median of %d runs; random fills use the %s path\n", big.c_str(),
              static_cast<unsigned long long>(options.fileBytes), options.runs,
              dornix::NameOf(dornix::CurrentFillPath()));

  // The engine's passes, each one call of its pass writer. The file is opened for
  // each run only: while the engine holds it, no other opener gets in.
  auto files = dornix::MakePlatformFileAccess();
  std::unique_ptr<dornix::OpenFile> file;
  dornix::WipeCore core(*files);
  dornix::PassBuffer buffer;
  if (!buffer.valid()) Fail("no memory for the pass buffer");
  using FillAhead = dornix::WipeCore::FillAhead;
  auto enginePass = [&](const char* name, FillKind kind, std::span<const std::uint8_t> pattern,
                        FillAhead fillAhead = FillAhead::WhenItPays) {
    return Measure{name,
                   [&, kind, pattern, fillAhead] {
                     if (!pattern.empty()) dornix::TilePattern(buffer.span(), pattern);
                     dornix::generator::Seed(static_cast<std::uint32_t>(std::time(nullptr)));
                     core.SetFillAhead(fillAhead);
                     core.WritePass(*file, buffer, options.fileBytes, kind);
                   },
                   [&] {
                     if (files->OpenExclusive(std::filesystem::path(big).u16string(), file) != 0)
                       Fail("cannot open " + big);
                   },
                   [&] { file->Close(); }};
  };
  static const std::uint8_t kZero[] = {0x00};
  static const std::uint8_t kGutmann[] = {0x92, 0x49, 0x24};  // method 8's first pattern
  std::vector<Measure> bigMeasures;
  dornix::PassBuffer plain;
  if (!plain.valid()) Fail("no memory for the write buffer");
  dornix::TilePattern(plain.span(), kGutmann);
  int fd = -1;
  bigMeasures.push_back({"limit", [&] { PlainWrites(fd, plain, options.fileBytes); },
                         [&] { fd = ::open(big.c_str(), O_WRONLY | O_CLOEXEC); }, [&] { ::close(fd); }});
  bigMeasures.push_back(enginePass("zero", FillKind::FixedByte, kZero));
  bigMeasures.push_back(enginePass("pattern", FillKind::TiledPattern, kGutmann));
  bigMeasures.push_back(enginePass("pairs", FillKind::RandomPairs, {}));
  bigMeasures.push_back(enginePass("letters", FillKind::RandomLetters, {}));
  // The same on one processor: what filling ahead on a second one buys.
  bigMeasures.push_back(enginePass("pairs_one_thread", FillKind::RandomPairs, {}, FillAhead::Never));
  bigMeasures.push_back(enginePass("letters_one_thread", FillKind::RandomLetters, {}, FillAhead::Never));
  bigMeasures.push_back({"shred_random", [&] { Run({"shred", "-n", "1", big}); }});
  bigMeasures.push_back({"shred_zero", [&] { Run({"shred", "-n", "0", "-z", big}); }});
  RunRounds(bigMeasures, options.runs);

  // A whole erase of the file, one zero pass, with and without reading it back (--verify).
  const auto eraseBig = [&](bool verify) {
    return [&, verify] {
      core.SetVerify(verify);
      core.SetWipeMethod(0);
      core.SetWipeRounds(1);
      if (core.WipeFile(std::filesystem::path(big).u16string()) != 0) Fail("cannot erase " + big);
      core.SetVerify(false);
    };
  };
  const auto remake = [&] { MakeFile(big, options.fileBytes, 0xC3); };
  std::vector<Measure> verifyMeasures{{"erase", eraseBig(false), remake}, {"erase_verified", eraseBig(true), remake}};
  RunRounds(verifyMeasures, options.runs);
  const double verifyCost = MedianSeconds(verifyMeasures, "erase_verified") / MedianSeconds(verifyMeasures, "erase");
  ::unlink(big.c_str());
  std::printf("\nevery run:\n");
  PrintRuns(bigMeasures, gigabytes, "GB/s");
  auto rateOf = [&](const char* name) { return gigabytes / MedianSeconds(bigMeasures, name); };
  const double limit = rateOf("limit"), shredRandom = rateOf("shred_random"), shredZero = rateOf("shred_zero");

  // Fills alone, in memory: what the passes spend besides writing.
  std::printf("\nfill only, GB/s:");
  for (dornix::FillPath path : dornix::SupportedFillPaths()) {
    dornix::SetFillPath(path);
    constexpr int kBuffers = 2000;
    std::vector<Measure> fills{{"pairs",
                                [&] {
                                  for (int i = 0; i < kBuffers; ++i) dornix::FillRandomPairs(buffer.span());
                                }},
                               {"letters", [&] {
                                  for (int i = 0; i < kBuffers; ++i) dornix::FillRandomLetters(buffer.span());
                                }}};
    RunRounds(fills, options.runs);
    const double filled = kBuffers * static_cast<double>(dornix::kPassBufferSize) / 1e9;
    std::printf("  %s pairs %.1f letters %.1f;", dornix::NameOf(path), filled / MedianSeconds(fills, "pairs"),
                filled / MedianSeconds(fills, "letters"));
  }
  dornix::SetFillPath(dornix::SupportedFillPaths().back());
  std::printf("\n");

  // Small files: the same names made anew before every run.
  const std::string smallFolder = options.folder + "/small";
  ::mkdir(smallFolder.c_str(), 0700);
  std::vector<std::string> names;
  for (int i = 0; i < options.smallFiles; ++i) names.push_back(smallFolder + "/file" + std::to_string(i) + ".dat");
  auto makeSmall = [&] {
    ::mkdir(smallFolder.c_str(), 0700);  // the command line erases the folder too
    for (const auto& name : names) MakeFile(name, kSmallFileBytes, 0xC3);
  };
  core.SetWipeMethod(0);
  core.SetWipeRounds(1);
  std::vector<std::string> shredSmallArgs{"shred", "-u", "-n", "1"};
  shredSmallArgs.insert(shredSmallArgs.end(), names.begin(), names.end());
  std::vector<Measure> smallMeasures{{"small_files",
                                      [&] {
                                        for (const auto& name : names)
                                          if (core.WipeFile(std::u16string(name.begin(), name.end())) != 0)
                                            Fail("cannot erase " + name);
                                      },
                                      makeSmall},
                                     {"shred_small_files", [&] { Run(shredSmallArgs); }, makeSmall},
                                     // The same through the command line: the wizard's erase run, with its checks.
                                     {"cli_small_files",
                                      [&] { Run({QELWIPE_CLI, "--yes", "--quiet", "-m", "zero", smallFolder}); },
                                      makeSmall}};
  RunRounds(smallMeasures, options.runs);
  ::rmdir(smallFolder.c_str());
  PrintRuns(smallMeasures, options.smallFiles, "files/s");
  const double engineSmall = MedianSeconds(smallMeasures, "small_files");
  const double shredSmall = MedianSeconds(smallMeasures, "shred_small_files");
  const double cliSmall = MedianSeconds(smallMeasures, "cli_small_files");

  const double count = options.smallFiles;
  std::vector<Figure> bigFigures;
  for (const auto& m : bigMeasures) bigFigures.push_back({m.name, rateOf(m.name)});
  // Random passes are compared with shred's random pass, the others with its zero pass.
  std::printf("\n%-18s %10s %9s %9s\n", "", "GB/s", "/limit", "/shred");
  for (const auto& f : bigFigures) {
    const bool random = std::string_view(f.name).starts_with("pairs") || std::string_view(f.name).starts_with("letters");
    std::printf("%-18s %10.3f %9.3f %9.3f\n", f.name, f.value, f.value / limit,
                f.value / (random ? shredRandom : shredZero));
  }
  std::printf("%-18s %10s %9s\n", "", "files/s", "/shred");
  std::printf("%-18s %10.0f %9.3f\n", "small_files", count / engineSmall, shredSmall / engineSmall);
  std::printf("%-18s %10.0f %9.3f\n", "cli_small_files", count / cliSmall, shredSmall / cliSmall);
  std::printf("%-18s %10.0f %9.3f\n\n", "shred_small_files", count / shredSmall, 1.0);

  std::printf("%-18s %10.3f  (time with --verify / without)\n\n", "verify_cost", verifyCost);
  PrintFigures("GB/s", bigFigures, limit);
  std::printf("verify_cost %.3f x %.3f\n", verifyCost, verifyCost);
  PrintFigures("files/s",
               {{"small_files", count / engineSmall},
                {"cli_small_files", count / cliSmall},
                {"shred_small_files", count / shredSmall}},
               count / shredSmall);
  return 0;
}
