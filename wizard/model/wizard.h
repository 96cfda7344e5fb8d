#pragma once
// The main form: pages, buttons and the commands that move between them, the
// list page's commands, and the erase run with its progress. The window only
// renders this state and forwards the user's commands here.
#include <string>
#include <vector>

#include "erase_engine.h"
#include "erase_run.h"
#include "file_system.h"
#include "file_type_registry.h"
#include "folder_walk.h"
#include "items_list.h"
#include "message_pump.h"
#include "method_page.h"
#include "progress_page.h"
#include "shell_folders.h"
#include "system_actions.h"
#include "wizard_view.h"

namespace qelwipe {

struct Button {
  std::string caption;
  bool enabled = true;
};

enum Page { kWelcomePage, kListPage, kMethodPage, kProgressPage, kCongratulationsPage, kPageCount };

class Wizard final : public EngineEvents {
 public:
  Wizard(WizardView& view, SystemActions& system, FileSystem& files, EraseEngine& engine, FileTypeRegistry& registry,
         MessagePump pump);
  ~Wizard() override;
  Wizard(const Wizard&) = delete;
  Wizard& operator=(const Wizard&) = delete;

  // The form's load: list and methods set up, buttons refreshed, the list file
  // named by `argumentText` taken in, the item count shown.
  void Load(const std::string& argumentText);
  // The same in two steps, so that the window shows while a long list is taken in:
  // the pages set up, then the hand-off list, with the busy pointer and nothing to
  // move on with until it is in.
  void Load();
  void TakeHandOff(const std::string& argumentText);

  void Next();
  void Back();
  // "Click here to erase more items" on the final page.
  void EraseMoreItems();
  // Cancel, or the window closing by any means: ends the program.
  void Cancel();
  void UpdateButtons();

  // List page commands. The file picker gives full paths, or names picked in one folder.
  void AddPaths(const std::vector<std::string>& paths);
  void AddPicked(const std::string& folder, const std::vector<std::string>& names);
  void AddFolder(const std::string& path);
  void DropFiles(const std::vector<std::string>& paths);
  // `selected` is the 1-based selected row, 0 for none.
  void ClearItem(int selected);
  void ClearList();
  void SortByColumn(int column);
  // "Recently Used Files" and "Recycle Bin Contents": every entry of the folder through AddItem.
  void ScanShellFolder(ShellFolders& shell, SpecialFolder folder);

  // Raised by the engine from inside each erase call.
  void OnProgress(std::int32_t round, std::int32_t pass, std::int32_t percent) override;
  // Every 100 ms while a run works.
  void TimerTick();

  int PageIndex() const { return page_; }
  const Button& BackButton() const { return back_; }
  const Button& NextButton() const { return next_; }
  // The item count on the welcome page; hidden when empty.
  const std::string& ItemCountText() const { return itemCountText_; }
  // The heading of the method page.
  const std::string& MethodHeading() const { return methodHeading_; }
  bool RestartPending() const { return restartPending_; }
  bool CancelRequested() const { return run_.CancelRequested(); }
  // A scan of a shell folder or the hand-off list is under way: the window shows the busy pointer.
  bool Busy() const { return busy_; }

  ItemsList& Items() { return items_; }
  MethodPage& Methods() { return methods_; }
  const ProgressPage& Progress() const { return progress_; }
  const EraseRun& Run() const { return run_; }

 private:
  // The entries of a shell folder through AddItem, while the wizard is busy.
  void Scan(ShellFolders& shell, SpecialFolder folder);
  void StartErase();
  void FinishWithFilesLeft();
  void ShowStillOnDisk(const std::vector<std::string>& files);
  void TakeOutcome(RunOutcome outcome);
  void ShowPage();
  void EnableNextWhenListed() { next_.enabled = items_.Count() > 0; }
  void Pump();

  WizardView& view_;
  SystemActions& system_;
  EraseEngine& engine_;
  MessagePump pump_;
  FileSystem& files_;
  FolderWalk walk_;
  ItemsList items_;
  MethodPage methods_;
  ProgressPage progress_;
  EraseRun run_;

  int page_ = kWelcomePage;
  int lastPage_ = kPageCount - 1;
  Button back_{"< &Back", true};
  Button next_{"", true};
  std::string itemCountText_;
  std::string methodHeading_ = "Items....................";
  bool restartPending_ = false;
  bool inTimerTick_ = false;
  bool busy_ = false;
};

}  // namespace qelwipe
