#pragma once
// Timing helpers shared by the benchmarks: rounds of measures, medians, child
// programs. Not a test: timings depend on the machine's load.
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fcntl.h>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <utility>
#include <vector>

extern char** environ;

namespace bench {

using Clock = std::chrono::steady_clock;

[[noreturn]] inline void Fail(const std::string& why) {
  std::fprintf(stderr, "bench: %s\n", why.c_str());
  std::exit(1);
}

inline double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const std::size_t mid = values.size() / 2;
  return values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
}

// One figure: `work` is timed, `prepare` and `finish` around it are not.
struct Measure {
  Measure(
      const char* name, std::function<void()> work, std::function<void()> prepare = [] {},
      std::function<void()> finish = [] {})
      : name(name), work(std::move(work)), prepare(std::move(prepare)), finish(std::move(finish)) {}
  const char* name;
  std::function<void()> work, prepare, finish;
  std::vector<double> seconds;
};

// Every measure once per round, so that a change in the machine's load (it is
// shared) falls on all of them alike and the ratios stay fair. A first round warms
// caches and the file's pages and is not counted.
inline void RunRounds(std::vector<Measure>& measures, int rounds) {
  for (int round = 0; round <= rounds; ++round)
    for (auto& m : measures) {
      m.prepare();
      const auto start = Clock::now();
      m.work();
      const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
      if (round > 0) m.seconds.push_back(seconds);
      m.finish();
    }
}

// Every run's rate, so that a disturbed run can be told from a slow figure.
inline void PrintRuns(const std::vector<Measure>& measures, double amount, const char* unit) {
  for (const auto& m : measures) {
    std::printf("%-18s", m.name);
    for (double seconds : m.seconds) std::printf(" %9.3f", amount / seconds);
    std::printf("  %s\n", unit);
  }
}

inline double MedianSeconds(const std::vector<Measure>& measures, const char* name) {
  for (const auto& m : measures)
    if (std::string(m.name) == name) return Median(m.seconds);
  Fail(std::string("no measure ") + name);
}

// Runs a program to its end, its output discarded when `quiet`.
inline void Run(std::vector<std::string> argv, bool quiet = false) {
  std::vector<char*> args;
  for (auto& arg : argv) args.push_back(arg.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (quiet) posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
  pid_t pid = 0;
  const int started = posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (started != 0) Fail("cannot start " + argv[0]);
  int status = 0;
  if (waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0) Fail(argv[0] + " failed");
}

struct Figure {
  const char* name;
  double value;
};

inline void PrintFigures(const char* unit, const std::vector<Figure>& figures, double base) {
  for (const auto& f : figures) std::printf("%s %.3f %s %.3f\n", f.name, f.value, unit, f.value / base);
}

}  // namespace bench
