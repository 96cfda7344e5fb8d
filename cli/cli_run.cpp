#include "cli_run.h"

#include <algorithm>
#include <functional>
#include <iostream>
#include <iterator>
#include <optional>
#include <utility>
#include <vector>

#include "console_text.h"
#include "deferred_deletion.h"
#include "erase_run.h"
#include "file_type_registry.h"
#include "folder_walk.h"
#include "hand_off.h"
#include "items_list.h"
#include "list_file.h"
#include "method_page.h"
#include "product_version.h"
#include "progress_page.h"
#include "shell_folders.h"
#include "wizard_view.h"

namespace qelwipe::cli {
namespace {

// A script has no use for file-type descriptions.
class NoTypes final : public FileTypeRegistry {
 public:
  std::optional<std::string> ClassesRootDefault(const std::string&) override { return std::nullopt; }
};

// The items list's one message (a path listed twice) goes to standard error.
class ConsoleView final : public WizardView {
 public:
  explicit ConsoleView(std::ostream& err) : err_(err) {}
  MessageAnswer ShowMessage(const MessageBoxRequest& request) override {
    std::string text = request.text;
    for (std::size_t at; (at = text.find("\r\n")) != std::string::npos;) text.replace(at, 2, " ");
    err_ << "qelwipe-cli: " << text << '\n';
    return MessageAnswer::Ok;
  }
  void ShowPage(int) override {}
  void Refresh() override {}
  void SetTimerEnabled(bool) override {}
  UserResult AskAboutHeldFiles(const std::vector<std::string>&) override { return UserResult::None; }
  void CloseWizard() override {}

 private:
  std::ostream& err_;
};

struct FileReport {
  std::string path, status, reason;
  EraseResult code = 0;
  std::uint64_t bytes = 0;
  int passes = 0;
};

// What each result means for the file, as its report names it; any other code leaves it.
struct ResultText {
  EraseResult code;
  const char* status;
  const char* reason;
};
constexpr ResultText kResultTexts[] = {
    {kErased, "erased", "erased"},
    {win_error::kFileNotFound, "left", "not found"},
    {win_error::kPathNotFound, "left", "not found"},
    {win_error::kAccessDenied, "refused", "not a plain file with a single name, or reached through a link"},
    {kSharingViolation, "in-use", "held open by another program"},
    {win_error::kNotSupported, "refused",
     "stored compressed, encrypted, sparse or elsewhere: cannot be overwritten in place"},
    {win_error::kInvalidName, "refused", "not a path"},
    {win_error::kDataError, "left", "what was read back differs from what the last pass wrote"},
    {kCancelled, "left", "interrupted"},
};

// The report's status and reason for a file the engine answered `code` for.
void Describe(FileReport& report, bool stillThere) {
  const auto* known = std::find_if(std::begin(kResultTexts), std::end(kResultTexts),
                                   [&](const ResultText& text) { return text.code == report.code; });
  if (stillThere) {
    report.status = "left";
    report.reason = "emptied, but its folder would not let it be removed";
  } else if (known != std::end(kResultTexts)) {
    report.status = known->status;
    report.reason = known->reason;
  } else {
    report.status = "left";
    report.reason = "system error " + std::to_string(report.code);
  }
}

// The engine as the erase run drives it, with every file's outcome reported as it ends.
class ReportingEngine final : public EraseEngine, public EngineEvents {
 public:
  // `progress` hears of the file under way: its path, its length and the percent of the pass.
  using Progress = std::function<void(const std::string& path, std::uint64_t bytes, int pass, std::int32_t percent)>;
  ReportingEngine(EraseEngine& engine, FileSystem& files, Console& console, std::function<void(const FileReport&)> report,
                  Progress progress)
      : engine_(engine), files_(files), console_(console), report_(std::move(report)), progress_(std::move(progress)) {
    engine_.Advise(this);
  }
  ~ReportingEngine() override { engine_.Advise(nullptr); }

  void Advise(EngineEvents*) override {}
  std::int32_t WipeMethod() override { return engine_.WipeMethod(); }
  void SetWipeMethod(std::int32_t method) override { engine_.SetWipeMethod(method); }
  void SetWipeRounds(std::int32_t rounds) override { engine_.SetWipeRounds(rounds); }
  EraseResult WipeFile(const std::string& path) override {
    return Reported(path, [&] { return engine_.WipeFile(path); });
  }
  EraseResult FastWipeFile(const std::string& path, std::uint8_t fill) override {
    return Reported(path, [&] { return engine_.FastWipeFile(path, fill); });
  }
  EraseResult GovermentWipeFile(const std::string& path, std::uint8_t f1, std::uint8_t f2, std::uint8_t f3) override {
    return Reported(path, [&] { return engine_.GovermentWipeFile(path, f1, f2, f3); });
  }
  void CancelWipe() override { engine_.CancelWipe(); }

  // Each pass reports first at 0 percent: a new round or pass is a new pass written.
  void OnProgress(std::int32_t round, std::int32_t pass, std::int32_t percent) override {
    if (std::pair{round, pass} != lastPass_) ++passes_;
    lastPass_ = {round, pass};
    if (progress_) progress_(current_.path, current_.bytes, passes_, percent);
    if (console_.Interrupted()) engine_.CancelWipe();
  }

 private:
  template <class Erase>
  EraseResult Reported(const std::string& path, Erase erase) {
    FileReport report{path, "", "", 0, files_.FileLength(path).value_or(0), 0};
    current_ = report;
    passes_ = 0;
    lastPass_ = {0, 0};
    report.code = erase();
    Describe(report, report.code == kErased && files_.Exists(path));
    report.passes = report.code == kErased ? passes_ : 0;
    report_(report);
    return report.code;
  }

  EraseEngine& engine_;
  FileSystem& files_;
  Console& console_;
  std::function<void(const FileReport&)> report_;
  Progress progress_;
  FileReport current_;
  int passes_ = 0;
  std::pair<std::int32_t, std::int32_t> lastPass_{0, 0};
};

// Every file below `path` (or `path` itself), as the erase would meet it; links as they stand.
void ListFiles(FileSystem& files, const std::string& path, const std::function<void(const std::string&, std::uint64_t)>& file) {
  const auto attributes = files.Attributes(path);
  if (!IsFolder(attributes) || IsLink(attributes)) {
    file(path, IsLink(attributes) ? 0 : files.FileLength(path).value_or(0));
    return;
  }
  for (const auto& entry : files.ListFolder(path))
    if (!LeavesItsFolder(entry.name, files.Separator())) ListFiles(files, JoinPath(path, files.Separator(), entry.name), file);
}

// The erase's line on a terminal: files and bytes done, speed, time left, the file under way.
class ProgressLine {
 public:
  ProgressLine(std::ostream& terminal, std::uint64_t files, std::uint64_t bytes)
      : line_(terminal), totalFiles_(files), totalBytes_(bytes) {}

  // Off the terminal, for a line of another kind; drawn again at the next report.
  void Clear() { line_.Clear(); }

  // Every file gets as many passes as the first one did.
  void FileDone(std::uint64_t bytes, int passes) {
    ++filesDone_;
    bytesDone_ += bytes;
    if (passes > 0 && passesPerFile_ == 0) passesPerFile_ = passes;
  }
  // `pass` counts the passes of the file under way from 1.
  void Show(const std::string& path, std::uint64_t bytes, int pass, std::int32_t percent) {
    if (!line_.Due()) return;
    const double ofFile = passesPerFile_ ? ((pass - 1) + percent / 100.0) / passesPerFile_ : 0;
    const std::uint64_t done = bytesDone_ + static_cast<std::uint64_t>(static_cast<double>(bytes) * std::min(ofFile, 1.0));
    line_.Draw(std::to_string(filesDone_) + "/" + std::to_string(totalFiles_) + " files, " + SizeText(done) + " of " +
               SizeText(totalBytes_) + ", " + line_.RateText(done, totalBytes_) + ", pass " + std::to_string(pass) +
               ": " + path);
  }

 private:
  StatusLine line_;
  const std::uint64_t totalFiles_, totalBytes_;
  std::uint64_t filesDone_ = 0, bytesDone_ = 0;
  int passesPerFile_ = 0;
};

void WriteReport(const Options& options, Console& console, const FileReport& report) {
  if (options.json) {
    const bool verified = options.verify && report.status == "erased";
    console.Out() << "{\"path\":" << JsonString(report.path) << ",\"status\":\"" << report.status
                  << "\",\"code\":" << report.code << ",\"reason\":" << JsonString(report.reason)
                  << ",\"bytes\":" << report.bytes << ",\"passes\":" << report.passes
                  << ",\"verified\":" << (verified ? "true" : "false") << "}\n";
  } else if (report.status != "erased") {
    console.Err() << "qelwipe-cli: left: " << report.path << ": " << report.reason << '\n';
  }
}

// A path given that is not erased at all.
void Skipped(const Options& options, Console& console, const std::string& path, const char* status, const char* reason) {
  if (options.json)
    console.Out() << "{\"path\":" << JsonString(path) << ",\"status\":\"" << status << "\",\"reason\":\"" << reason
                  << "\"}\n";
  else
    console.Err() << "qelwipe-cli: " << reason << ": " << path << '\n';
}

// The items: the paths given, then those of the lists; nothing when a list cannot be read.
std::optional<std::vector<std::string>> GatheredPaths(const Options& options, FileSystem& files, Console& console) {
  std::vector<std::string> paths = options.paths;
  for (const auto& list : options.listFiles) {
    const auto content = files.ReadRegularFile(list, kLongestListFile);
    if (!content) {
      console.Err() << "qelwipe-cli: cannot read the list " << list << '\n';
      return std::nullopt;
    }
    for (const auto& path : listfile::ReadPaths(*content)) {
      if (IsFullPath(path, files.Separator()))
        paths.push_back(path);
      else
        console.Err() << "qelwipe-cli: not a full path, skipped: " << path << '\n';
    }
  }
  return paths;
}

// Each path checked before it is listed; whether a link was among them.
bool ListItems(const Options& options, FileSystem& files, Console& console, const std::vector<std::string>& paths,
               ItemsList& items) {
  bool linkGiven = false;
  for (const auto& path : paths) {
    const auto attributes = files.Attributes(path);
    if (!attributes) {
      Skipped(options, console, path, "not found", "no such file or folder");
    } else if (attributes->link) {
      // Named here, a link is not what the user means to erase through: it is not followed.
      Skipped(options, console, path, "refused", "a link, not followed");
      linkGiven = true;
    } else {
      items.AddItem(path);
    }
  }
  return linkGiven;
}

struct Totals {
  std::uint64_t files = 0, bytes = 0;
  std::string Text() const { return Grouped(files) + " files, " + SizeText(bytes); }
};

// Every file below the items, each listed for a dry run.
Totals Count(const Options& options, FileSystem& files, Console& console, const ItemsList& items) {
  Totals totals;
  for (int i = 1; i <= items.Count(); ++i)
    ListFiles(files, items.PathAt(i), [&](const std::string& path, std::uint64_t bytes) {
      ++totals.files;
      totals.bytes += bytes;
      if (!options.dryRun) return;
      if (options.json)
        console.Out() << "{\"path\":" << JsonString(path) << ",\"status\":\"would-erase\",\"bytes\":" << bytes << "}\n";
      else
        console.Out() << path << '\t' << bytes << '\n';
    });
  return totals;
}

// What the erase came to; files held open are reported after it, once it is known whether
// they could be scheduled for the next restart.
struct Outcome {
  std::uint64_t erased = 0, left = 0, scheduled = 0, erasedBytes = 0;
  std::vector<FileReport> held;
};

// The erase run over the items; whether Ctrl+C ended it.
bool Erase(const Options& options, FileSystem& files, EraseEngine& engine, Console& console, FolderWalk& walk,
           const ItemsList& items, const Totals* progressOf, Outcome& outcome) {
  MethodPage methods;
  methods.SelectDefaults();
  if (options.method >= 0) methods.SelectMethod(options.method);
  methods.SetCyclesText(std::to_string(options.cycles));
  ProgressPage progress;
  std::optional<ProgressLine> line;
  if (progressOf) line.emplace(console.Err(), progressOf->files, progressOf->bytes);
  ReportingEngine reporting(
      engine, files, console,
      [&](const FileReport& report) {
        const bool erased = report.status == "erased";
        (erased ? outcome.erased : outcome.left) += 1;
        if (erased) outcome.erasedBytes += report.bytes;
        if (line) line->FileDone(report.bytes, report.passes);
        if (options.atRestart && report.status == "in-use") {
          outcome.held.push_back(report);
          return;
        }
        if (line && !erased) line->Clear();  // the report takes a line of its own
        WriteReport(options, console, report);
      },
      [&](const std::string& path, std::uint64_t bytes, int pass, std::int32_t percent) {
        if (line) line->Show(path, bytes, pass, percent);
      });
  // Between files the run looks for Ctrl+C; within one, the engine's reports do.
  EraseRun* running = nullptr;
  EraseRun run(files, reporting, walk, methods, progress, [&] {
    if (running && console.Interrupted()) running->RequestCancel();
  });
  running = &run;
  run.Prepare();
  run.CountingPass(items);
  run.ErasePass(items);
  return run.CancelRequested() || console.Interrupted();
}

// Files held open moved aside at the next restart, for the wizard to erase at the next logon.
void ScheduleHeld(SystemActions& restarts, Outcome& outcome) {
  std::vector<std::string> paths;
  for (const auto& report : outcome.held) paths.push_back(report.path);
  if (paths.empty()) return;
  const auto unscheduled = RestartLater(restarts, paths);
  for (auto& report : outcome.held) {
    if (std::find(unscheduled.begin(), unscheduled.end(), report.path) != unscheduled.end()) {
      report.reason += "; could not be scheduled for the next restart";
      continue;
    }
    report.status = "scheduled";
    report.reason = "held open by another program: moved aside at the next restart, then erased at the next logon";
    ++outcome.scheduled;
  }
}

std::string ScheduledText(std::uint64_t scheduled) {
  return scheduled ? " (" + Grouped(scheduled) + " of them scheduled for the next restart)" : std::string();
}

// The exit code when the run ends before erasing: a dry run told, or no yes to erase.
std::optional<int> StopBeforeErasing(const Options& options, Console& console, int items, const Totals& totals) {
  if (options.dryRun) {
    if (options.json)
      console.Out() << "{\"summary\":true,\"dryRun\":true,\"files\":" << totals.files << ",\"bytes\":" << totals.bytes
                    << "}\n";
    else if (!options.quiet)
      console.Out() << "would erase " << totals.Text() << '\n';
    return kAllGone;
  }
  if (options.yes) return std::nullopt;
  if (!console.Interactive()) {
    console.Err() << "qelwipe-cli: not run from a terminal: nothing erased; add --yes to erase without asking\n";
    return kRefused;
  }
  if (!console.Ask("Erase " + std::to_string(items) + " items: " + totals.Text() + "? [y/N] ")) return kRefused;
  return std::nullopt;
}

// Whether every item is gone; each one still there is named on standard error.
bool NoneLeft(const Options& options, FileSystem& files, Console& console, const ItemsList& items) {
  bool noneLeft = true;
  for (int i = 1; i <= items.Count(); ++i)
    if (files.Exists(items.PathAt(i))) {
      noneLeft = false;
      if (!options.json) console.Err() << "qelwipe-cli: still on disk: " << items.PathAt(i) << '\n';
    }
  return noneLeft;
}

void WriteSummary(const Options& options, Console& console, const Outcome& outcome, int exitCode) {
  if (options.json)
    console.Out() << "{\"summary\":true,\"erased\":" << outcome.erased << ",\"left\":" << outcome.left
                  << ",\"scheduled\":" << outcome.scheduled << ",\"bytes\":" << outcome.erasedBytes
                  << ",\"exit\":" << exitCode << "}\n";
  else if (!options.quiet)
    console.Out() << "erased " << Grouped(outcome.erased) << " files (" << SizeText(outcome.erasedBytes) << "), "
                  << Grouped(outcome.left) << " left" << ScheduledText(outcome.scheduled) << "\n";
}

}  // namespace

std::ostream& StandardConsole::Out() { return std::cout; }
std::ostream& StandardConsole::Err() { return std::cerr; }

bool StandardConsole::Ask(const std::string& question) {
  std::cerr << question << std::flush;
  std::string answer;
  return std::getline(std::cin, answer) && (answer == "y" || answer == "Y" || answer == "yes");
}

int Run(const Options& options, FileSystem& files, EraseEngine& engine, Console& console, SystemActions* restarts) {
  if (options.help) {
    console.Out() << UsageText();
    return kAllGone;
  }
  if (options.version) {
    console.Out() << "qelwipe-cli " << PRODUCT_VERSION_TEXT << '\n';
    return kAllGone;
  }
  if (options.atRestart && !restarts) {
    console.Err() << "qelwipe-cli: --at-restart is for Windows, where files held open are moved aside at its start: "
                     "nothing erased\n";
    return kRefused;
  }
  const auto paths = GatheredPaths(options, files, console);
  if (!paths) return kRefused;
  ConsoleView view(console.Err());
  NoTypes types;
  FolderWalk walk(files, {}, [&] { return console.Interrupted(); });
  ItemsList items(files, types, walk, view);
  const bool linkGiven = ListItems(options, files, console, *paths, items);
  // Nothing left to erase of what was named: a mistyped path must not read as success.
  if (items.Count() == 0) return paths->empty() ? kAllGone : kRefused;

  // Counted for a dry run, the question and the progress line only: a script that says
  // --yes and reads no progress need not have the tree walked once more.
  const bool showsProgress = !options.quiet && console.ShowsProgress();
  const Totals totals = options.dryRun || !options.yes || showsProgress ? Count(options, files, console, items) : Totals{};
  if (const auto stopped = StopBeforeErasing(options, console, items.Count(), totals)) return *stopped;

  Outcome outcome;
  const bool interrupted = Erase(options, files, engine, console, walk, items, showsProgress ? &totals : nullptr, outcome);
  if (options.atRestart && !interrupted) ScheduleHeld(*restarts, outcome);
  for (const auto& report : outcome.held) WriteReport(options, console, report);

  const bool noneLeft = NoneLeft(options, files, console, items);
  const int exitCode = interrupted ? kInterrupted : noneLeft && !linkGiven ? kAllGone : kSomethingLeft;
  WriteSummary(options, console, outcome, exitCode);
  return exitCode;
}

}  // namespace qelwipe::cli
