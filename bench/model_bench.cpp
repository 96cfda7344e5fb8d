// Measures how the wizard's own work grows with the work: adding a large tree
// to the list, adding many separate files, and the whole erase run over the
// tree, each against a reference timed in the same rounds. Started by
// scripts/bench; not a test.
//   model_bench FOLDER RUNS
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "core_engine.h"
#include "measure.h"
#include "platform_file_access.h"
#include "posix_file_system.h"
#include "wipe_core.h"
#include "wizard.h"

namespace {

using bench::Fail;
using bench::Measure;
using bench::MedianSeconds;
using namespace qelwipe;

constexpr int kFolders = 1000;
constexpr int kFilesPerFolder = 100;
constexpr int kTreeFiles = kFolders * kFilesPerFolder;
constexpr std::size_t kFileBytes = 4096;
constexpr int kFewItems = 2000;
constexpr int kManyItems = 20000;

class QuietView final : public WizardView {
 public:
  MessageAnswer ShowMessage(const MessageBoxRequest&) override {
    ++messages;
    return MessageAnswer::Ok;
  }
  void ShowPage(int) override {}
  void Refresh() override {}
  void SetTimerEnabled(bool) override {}
  UserResult AskAboutHeldFiles(const std::vector<std::string>&) override { return UserResult::Ignore; }
  void CloseWizard() override {}
  int messages = 0;
};

class NoActions final : public SystemActions {
 public:
  void RefreshRecycleBinIcon() override {}
  std::string ProgramPath() override { return {}; }
  std::optional<std::string> EnvironmentVariable(const std::string&) override { return std::nullopt; }
  HoldingFolderState EnsureHoldingFolder(const std::string&) override { return HoldingFolderState::Unusable; }
  void RemoveOwnFolder(const std::string&) override {}
  std::optional<std::string> CreateTempFile(const std::string&, const std::string&) override { return std::nullopt; }
  void RemoveOwnFile(const std::string&) override {}
  bool MoveAtNextStart(const std::string&, const std::string&) override { return false; }
  bool MayMoveAtNextStart() override { return false; }
  std::size_t MoveAtNextStartElevated(const std::vector<std::pair<std::string, std::string>>&) override { return 0; }
  std::vector<std::string> PendingMoveTargets() override { return {}; }
  std::optional<std::string> ShortPath(const std::string&) override { return std::nullopt; }
  std::optional<std::string> ReadIniSection(const std::string&, const std::string&) override { return std::nullopt; }
  bool WriteIniSection(const std::string&, const std::string&, const std::string&) override { return false; }
  std::optional<std::string> WriteListFile(const std::vector<std::string>&) override { return std::nullopt; }
  std::optional<std::vector<std::string>> ReadListFile(const std::string&) override { return std::nullopt; }
  bool RegisterRunOnce(const std::string&, const std::string&) override { return false; }
  std::optional<std::string> RunOnceCommand(const std::string&) override { return std::nullopt; }
  bool RebootNow() override { return true; }
};

class NoTypes final : public FileTypeRegistry {
 public:
  std::optional<std::string> ClassesRootDefault(const std::string&) override { return std::nullopt; }
};

struct Tree {
  std::string root;
  std::vector<std::string> folders, files;
};

Tree PlanTree(const std::string& root) {
  Tree tree{root, {}, {}};
  for (int folder = 0; folder < kFolders; ++folder) {
    tree.folders.push_back(root + "/d" + std::to_string(folder));
    for (int file = 0; file < kFilesPerFolder; ++file)
      tree.files.push_back(tree.folders.back() + "/f" + std::to_string(file) + ".dat");
  }
  return tree;
}

// Folders and files as planned; what is already there is written anew.
void MakeTree(const Tree& tree) {
  static const std::vector<char> content(kFileBytes, 'x');
  ::mkdir(tree.root.c_str(), 0700);
  for (const auto& folder : tree.folders) ::mkdir(folder.c_str(), 0700);
  for (const auto& file : tree.files) {
    const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || ::write(fd, content.data(), content.size()) != static_cast<ssize_t>(content.size()))
      Fail("cannot make " + file);
    ::close(fd);
  }
}

// The list with its own walk, as the wizard holds them.
struct ListOnly {
  std::unique_ptr<FileSystem> files = MakePosixFileSystem();
  NoTypes types;
  QuietView view;
  FolderWalk walk{*files, {}};
  ItemsList items{*files, types, walk, view};
};

// A wizard over the real file system and the engine core, as one erase run needs it.
struct WizardRun {
  std::unique_ptr<FileSystem> files = MakePosixFileSystem();
  QuietView view;
  NoActions actions;
  NoTypes types;
  CoreEngine engine;
  Wizard wizard{view, actions, *files, engine, types, {}};
};

// The tree added to the list, against du; files added one by one, the first and the last
// thousands of a long list timed apart.
std::vector<Measure> MeasureList(const Tree& tree, int runs, std::vector<double>& firstItems,
                                 std::vector<double>& lastItems) {
  std::unique_ptr<ListOnly> list;
  auto freshList = [&] { list = std::make_unique<ListOnly>(); };
  auto addItems = [&] {
    auto addRange = [&](int from, int to) {
      const auto start = bench::Clock::now();
      for (int i = from; i < to; ++i) list->items.AddItem(tree.files[static_cast<std::size_t>(i)]);
      return std::chrono::duration<double>(bench::Clock::now() - start).count();
    };
    firstItems.push_back(addRange(0, kFewItems));
    addRange(kFewItems, kManyItems - kFewItems);
    lastItems.push_back(addRange(kManyItems - kFewItems, kManyItems));
    if (list->items.Count() != kManyItems || list->view.messages != 0) Fail("not every file was listed");
  };
  std::vector<Measure> measures{
      {"add_tree",
       [&] {
         list->items.AddItem(tree.root);
         if (list->items.Count() != 1) Fail("the tree was not listed");
       },
       freshList},
      {"du_tree",
       [&] {
         bench::Run({"du", "-s", tree.root}, true);
       }},
      {"add_items_20000", addItems, freshList},
  };
  bench::RunRounds(measures, runs);
  return measures;
}

// The whole erase run over the tree with one zero pass, against the engine alone on the
// same files one by one.
std::vector<Measure> MeasureErase(const Tree& tree, int runs) {
  std::unique_ptr<dornix::FileAccess> access = dornix::MakePlatformFileAccess();
  dornix::WipeCore core(*access);
  core.SetWipeMethod(0);
  core.SetWipeRounds(1);
  std::unique_ptr<WizardRun> run;
  std::vector<Measure> measures{
      {"engine_tree",
       [&] {
         for (const auto& file : tree.files)
           if (core.WipeFile(std::u16string(file.begin(), file.end())) != 0) Fail("cannot erase " + file);
       },
       [&] { MakeTree(tree); }},
      {"erase_tree",
       [&] {
         for (int page = run->wizard.PageIndex(); page < kPageCount - 1; page = run->wizard.PageIndex())
           run->wizard.Next();
       },
       [&] {
         MakeTree(tree);
         run = std::make_unique<WizardRun>();
         run->wizard.Load("");
         run->wizard.Next();
         run->wizard.AddFolder(tree.root);
         run->wizard.Methods().SelectMethod(0);
         run->wizard.Methods().SetCyclesText("1");
         run->wizard.Next();
       },
       [&] {
         const RunCounters counters = run->wizard.Run().Counters();
         if (counters.FilesDone != kTreeFiles || counters.NotErased != 0 || ::access(tree.root.c_str(), F_OK) == 0)
           Fail("the erase run left files behind");
         run.reset();
       }},
  };
  bench::RunRounds(measures, runs);
  return measures;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) Fail("usage: model_bench FOLDER RUNS");
  const std::string folder = argv[1];
  const int runs = std::atoi(argv[2]);
  if (runs < 1) Fail("bad arguments");
  const Tree tree = PlanTree(folder + "/tree");
  MakeTree(tree);
  std::printf("\ntree %s: %d files of %zu bytes in %d folders, median of %d runs\n", tree.root.c_str(), kTreeFiles,
              kFileBytes, kFolders, runs);

  std::vector<double> firstItems, lastItems;
  const std::vector<Measure> listMeasures = MeasureList(tree, runs, firstItems, lastItems);
  const std::vector<Measure> eraseMeasures = MeasureErase(tree, runs);
  std::printf("\nevery run:\n");
  bench::PrintRuns(listMeasures, 1, "runs/s");
  bench::PrintRuns(eraseMeasures, kTreeFiles, "files/s");

  auto seconds = [](const std::vector<Measure>& measures, const char* name) { return MedianSeconds(measures, name); };
  const double addTree = seconds(listMeasures, "add_tree"), du = seconds(listMeasures, "du_tree");
  // The first round warmed caches only.
  firstItems.erase(firstItems.begin());
  lastItems.erase(lastItems.begin());
  const double fewPerItem = bench::Median(firstItems) / kFewItems;
  const double manyPerItem = bench::Median(lastItems) / kFewItems;
  const double engineRate = kTreeFiles / seconds(eraseMeasures, "engine_tree");
  const double eraseRate = kTreeFiles / seconds(eraseMeasures, "erase_tree");
  std::printf("\n");
  std::printf("du_tree %.3f s 1.000\n", du);
  std::printf("add_tree %.3f s %.3f\n", addTree, addTree / du);
  // Per item with up to 2,000 listed, and with 18,000 to 20,000 listed.
  std::printf("add_items_2000 %.3f us/item 1.000\n", fewPerItem * 1e6);
  std::printf("add_items %.3f us/item %.3f\n", manyPerItem * 1e6, manyPerItem / fewPerItem);
  std::printf("engine_tree %.0f files/s 1.000\n", engineRate);
  std::printf("erase_tree %.0f files/s %.3f\n", eraseRate, eraseRate / engineRate);
  return 0;
}
