#pragma once
// In-memory stand-ins for the platform under the wizard's model.
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "erase_engine.h"
#include "file_system.h"
#include "file_type_registry.h"
#include "system_actions.h"
#include "wizard_view.h"

namespace qelwipe::fakes {

// A Windows-like tree: backslash paths, letter case ignored, folders listed in
// the order their entries were made, drive roots never removed.
class FakeFileSystem final : public FileSystem {
 public:
  void AddFolder(const std::string& path, FileAttributes attributes = {});
  void AddFile(const std::string& path, std::uint64_t length, FileAttributes attributes = {});
  void AddTextFile(const std::string& path, const std::string& text);
  // A link standing at `path` to `target`. Like the system, the fake follows it
  // when a path leads through it, so whatever enters it reaches the target.
  void AddLink(const std::string& path, const std::string& target, bool toFolder);
  // Another program holds it: its times cannot be read, a folder cannot be removed.
  void Lock(const std::string& path) { Find(path)->locked = true; }
  // Neither its attributes nor its content can be read.
  void HideAttributes(const std::string& path) { Find(path)->unreadable = true; }
  // Listed with its attributes, but no call by its name finds it: an ANSI listing
  // gives "?" for a character the code page lacks.
  void UnreachableByName(const std::string& path) { Find(path)->unreachable = true; }
  void Remove(const std::string& path);
  // Another program renames the folder away and puts a link to `target` in its place,
  // unless the folder is held (a held folder cannot be renamed).
  bool SwapForLink(const std::string& folder, const std::string& target);
  bool Exists(const std::string& path) const;

  char Separator() const override { return '\\'; }
  std::optional<FileAttributes> Attributes(const std::string& path) override;
  std::optional<std::uint64_t> FileLength(const std::string& path) override;
  std::vector<FolderEntry> ListFolder(const std::string& folder) override;
  std::optional<EntryTimes> FileTimes(const std::string& path) override;
  std::optional<EntryTimes> FolderTimes(const std::string& path) override;
  bool ClearAttributes(const std::string& path) override;
  bool Delete(const std::string& path) override;
  bool RemoveFolder(const std::string& path) override;
  std::optional<std::string> ReadRegularFile(const std::string& path, std::uint64_t limit) override;
  std::string TemporaryFolder() override { return temporaryFolder; }
  std::string FoldCase(const std::string& text) override;
  std::unique_ptr<FolderHold> HoldFolder(const std::string& path) override;

  std::string temporaryFolder = "C:\\Temp\\";
  // "delete <path>", "rmdir <path>" for every removal that happened, in order.
  std::vector<std::string> removals;
  EntryTimes times{{2004, 3, 5, 9, 7, 3}, {2004, 3, 6, 10, 0, 0}, {2004, 3, 7, 23, 59, 59}};

 private:
  struct Node {
    std::string path;
    FileAttributes attributes;
    std::uint64_t length = 0;
    std::string text;
    std::string target;
    bool locked = false;
    bool unreadable = false;
    bool unreachable = false;
    int holds = 0;
  };
  // The path with a link it leads through replaced by the link's target.
  std::string Resolve(const std::string& path) const;
  Node* Find(const std::string& path);
  const Node* Find(const std::string& path) const;
  static std::string Parent(const std::string& path);
  std::vector<Node> nodes_;
};

struct EngineCall {
  std::string operation;
  std::string path;
  std::vector<int> fills;
  bool operator==(const EngineCall&) const = default;
};

// Erases by removing the file from the fake tree, answering per path; once
// cancelled it answers kCancelled and leaves the file.
class RecordingEngine final : public EraseEngine {
 public:
  explicit RecordingEngine(FakeFileSystem& files) : files_(files) {}

  void Advise(EngineEvents* events) override { events_ = events; }
  std::int32_t WipeMethod() override { return method; }
  void SetWipeMethod(std::int32_t value) override { method = value; }
  void SetWipeRounds(std::int32_t value) override { rounds = value; }
  EraseResult WipeFile(const std::string& path) override { return Erase("WipeFile", path, {}); }
  EraseResult FastWipeFile(const std::string& path, std::uint8_t fill) override {
    return Erase("FastWipeFile", path, {fill});
  }
  EraseResult GovermentWipeFile(const std::string& path, std::uint8_t f1, std::uint8_t f2, std::uint8_t f3) override {
    return Erase("GovermentWipeFile", path, {f1, f2, f3});
  }
  void CancelWipe() override { ++cancels; }

  std::vector<std::string> Paths() const;

  std::int32_t method = 0;
  std::int32_t rounds = 0;
  int cancels = 0;
  std::map<std::string, EraseResult> results;  // by path; 0 when absent
  std::set<std::string> keptAfterErase;        // answered 0, yet their folder kept them
  std::vector<EngineCall> calls;
  // Runs inside every call, after the progress reports.
  std::function<void(const std::string& path)> during;

 private:
  EraseResult Erase(const char* operation, const std::string& path, std::vector<int> fills);
  FakeFileSystem& files_;
  EngineEvents* events_ = nullptr;
};

class FakeRegistry final : public FileTypeRegistry {
 public:
  std::optional<std::string> ClassesRootDefault(const std::string& key) override;
  std::map<std::string, std::string> values;
};

class RecordingView final : public WizardView {
 public:
  MessageAnswer ShowMessage(const MessageBoxRequest& request) override {
    messages.push_back(request);
    return answer;
  }
  void ShowPage(int page) override { pages.push_back(page); }
  void Refresh() override {
    ++refreshes;
    if (onRefresh) onRefresh();
  }
  void SetTimerEnabled(bool enabled) override { timerEnabled = enabled; }
  UserResult AskAboutHeldFiles(const std::vector<std::string>& files) override {
    dialogs.push_back(files);
    return userResult;
  }
  void CloseWizard() override { closed = true; }

  MessageAnswer answer = MessageAnswer::Ok;
  UserResult userResult = UserResult::Ignore;
  std::vector<MessageBoxRequest> messages;
  std::vector<int> pages;
  std::vector<std::vector<std::string>> dialogs;
  int refreshes = 0;
  std::function<void()> onRefresh;
  bool timerEnabled = false;
  bool closed = false;
};

// Records what would outlive the program. A call fails for a name in `failing`:
// a folder, "<folder>\\ss" for its holding files, a source of moves, "list".
class RecordingSystem final : public SystemActions {
 public:
  void RefreshRecycleBinIcon() override { ++recycleBinRefreshes; }
  std::string ProgramPath() override { return "C:\\Program Files\\Qel Tarnwick\\qelwipe.exe"; }
  std::optional<std::string> EnvironmentVariable(const std::string&) override { return os; }
  HoldingFolderState EnsureHoldingFolder(const std::string& folder) override {
    if (failing.contains(folder)) return HoldingFolderState::Unusable;
    return existing.insert(folder).second ? HoldingFolderState::Made : HoldingFolderState::Found;
  }
  void RemoveOwnFolder(const std::string& folder) override { removedFolders.push_back(folder); }
  std::optional<std::string> CreateTempFile(const std::string& folder, const std::string& prefix) override {
    if (failing.contains(folder + "\\" + prefix)) return std::nullopt;
    return folder + "\\" + prefix + std::to_string(++made) + ".tmp";
  }
  void RemoveOwnFile(const std::string& path) override { removed.push_back(path); }
  bool MoveAtNextStart(const std::string& source, const std::string& target) override {
    if (!failing.contains(source)) moves.push_back((elevated ? "elevated " : "") + source + " > " + target);
    return !failing.contains(source);
  }
  bool MayMoveAtNextStart() override { return administrator || elevated; }
  // As the program started again with the rights does it: in order, up to the first failure.
  std::size_t MoveAtNextStartElevated(const std::vector<std::pair<std::string, std::string>>& list) override {
    ++elevations;
    if (elevationRefused) return 0;
    elevated = true;
    std::size_t made = 0;
    while (made < list.size() && MoveAtNextStart(list[made].first, list[made].second)) ++made;
    elevated = false;
    return made;
  }
  std::vector<std::string> PendingMoveTargets() override { return pending; }
  std::optional<std::string> ShortPath(const std::string& path) override { return path.substr(0, 3) + "SHORT~1"; }
  std::optional<std::string> ReadIniSection(const std::string&, const std::string&) override { return ini; }
  bool WriteIniSection(const std::string& file, const std::string& section, const std::string& text) override {
    ini = file + "[" + section + "]" + text;
    return true;
  }
  std::optional<std::string> WriteListFile(const std::vector<std::string>& paths) override {
    if (failing.contains("list")) return std::nullopt;
    lists.push_back(paths);
    return "C:\\Temp\\ss" + std::to_string(lists.size()) + ".tmp";
  }
  std::optional<std::vector<std::string>> ReadListFile(const std::string& path) override {
    for (std::size_t i = 0; i < lists.size(); ++i)
      if (path == "C:\\Temp\\ss" + std::to_string(i + 1) + ".tmp") return lists[i];
    return std::nullopt;
  }
  bool RegisterRunOnce(const std::string& name, const std::string& command) override {
    runOnce = name + ": " + command;
    return true;
  }
  std::optional<std::string> RunOnceCommand(const std::string& name) override {
    if (!runOnce.starts_with(name + ": ")) return std::nullopt;
    return runOnce.substr(name.size() + 2);
  }
  bool RebootNow() override {
    ++reboots;
    return !rebootRefused;
  }

  std::optional<std::string> os = "Windows_NT", ini;
  std::set<std::string> failing, existing;
  std::vector<std::string> moves, removed, removedFolders, pending;
  bool administrator = true, elevationRefused = false, elevated = false;
  int elevations = 0;
  std::vector<std::vector<std::string>> lists;
  std::string runOnce;
  int made = 0, reboots = 0, recycleBinRefreshes = 0;
  bool rebootRefused = false;
};

}  // namespace qelwipe::fakes
