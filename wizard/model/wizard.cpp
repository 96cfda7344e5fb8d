#include "wizard.h"

#include "deferred_deletion.h"
#include "hand_off.h"
#include "scope_exit.h"
#include "texts.h"

namespace qelwipe {

Wizard::Wizard(WizardView& view, SystemActions& system, FileSystem& files, EraseEngine& engine,
               FileTypeRegistry& registry, MessagePump pump)
    : view_(view),
      system_(system),
      engine_(engine),
      pump_(std::move(pump)),
      files_(files),
      walk_(files, [this] { Pump(); }, [this] { return run_.CancelRequested(); }),
      items_(files, registry, walk_, view),
      run_(files, engine, walk_, methods_, progress_, [this] { Pump(); }) {
  engine_.Advise(this);
}

Wizard::~Wizard() { engine_.Advise(nullptr); }

void Wizard::Load(const std::string& argumentText) {
  Load();
  TakeHandOff(argumentText);
}

void Wizard::Load() {
  page_ = kWelcomePage;
  lastPage_ = kPageCount - 1;
  view_.ShowPage(page_);
  items_.Clear();
  methods_.SelectDefaults();
  // Busy until the hand-off list is in.
  busy_ = true;
  UpdateButtons();
}

void Wizard::TakeHandOff(const std::string& argumentText) {
  const auto intake =
      TakeHandOffList(argumentText, items_, files_,
                      argumentText.empty() ? std::vector<std::string>() : system_.PendingMoveTargets());
  // Not yet moved into place: handed on again, to the logon after the restart.
  if (!intake.waiting.empty()) HandToNextLogon(system_, intake.waiting);
  const int count = items_.Count();
  itemCountText_ = count >= 1 ? texts::kCountBefore + ("(" + std::to_string(count) + ")") + texts::kCountAfter : "";
  busy_ = false;
  UpdateButtons();
  if (intake.tooLarge)
    view_.ShowMessage({texts::kListTooLarge + argumentText, texts::kAppTitle, MessageButtons::Ok,
                       MessageIcon::Exclamation});
}

void Wizard::UpdateButtons() {
  back_.enabled = page_ != 0;
  next_.caption = page_ == lastPage_ - 1 ? texts::kFinish : texts::kNext;
  if (page_ == kWelcomePage) next_.enabled = true;
  if (page_ == kListPage) EnableNextWhenListed();
  if (page_ == kMethodPage)
    methodHeading_ = texts::kMethodHeadingBefore + std::to_string(items_.Count()) + texts::kMethodHeadingAfter;
  if (page_ == lastPage_) {
    next_.caption = texts::kExit;
    back_.enabled = false;
  }
  // Nothing moves on while a list or a scan is still coming in: an erase started now would miss it.
  if (busy_) back_.enabled = next_.enabled = false;
  view_.Refresh();
}

void Wizard::Next() {
  // A run in progress pumps messages; only enabled buttons may act then.
  if (!next_.enabled) return;
  if (page_ == lastPage_) {
    Cancel();
    return;
  }
  int page = page_ + 1;
  if (page == lastPage_ - 1) {
    const MessageAnswer answer = view_.ShowMessage(
        {texts::kConfirmText, texts::kConfirmTitle, MessageButtons::OkCancel, MessageIcon::Exclamation, true});
    if (answer != MessageAnswer::Ok) page -= 1;
  }
  page_ = page;
  if (page_ != lastPage_ || !restartPending_) {
    ShowPage();
    UpdateButtons();
    if (page_ == lastPage_ - 1) StartErase();
    return;
  }
  FinishWithFilesLeft();
}

void Wizard::FinishWithFilesLeft() {
  restartPending_ = false;
  switch (view_.AskAboutHeldFiles(run_.HeldFiles())) {
    case UserResult::Ignore:
      progress_.ShowIgnored();
      page_ -= 1;
      break;
    case UserResult::RestartNow:
      switch (RestartNow(system_, run_.HeldFiles())) {
        case RestartOutcome::NotHandedOn:
          ShowStillOnDisk(run_.HeldFiles());
          break;
        case RestartOutcome::Refused:
          view_.ShowMessage({texts::kRestartRefused, texts::kAppTitle, MessageButtons::Ok, MessageIcon::Exclamation});
          break;
        case RestartOutcome::Restarting:
          break;
      }
      Cancel();
      return;
    case UserResult::RestartLater:
      // "Removed on next startup" only when every move was recorded.
      if (const auto left = RestartLater(system_, run_.HeldFiles()); left.empty()) {
        progress_.ShowRestartLater();
      } else {
        progress_.ShowStillOnDisk();
        ShowStillOnDisk(left);
      }
      break;
    case UserResult::None:
      break;
  }
  // The buttons stay as the run left them: Next still reads "&Finish >>".
  ShowPage();
}

void Wizard::ShowStillOnDisk(const std::vector<std::string>& files) {
  view_.ShowMessage({StillOnDiskText(files), texts::kAppTitle, MessageButtons::Ok, MessageIcon::Exclamation});
}

void Wizard::Back() {
  if (page_ == 0 || !back_.enabled) return;
  page_ -= 1;
  ShowPage();
  UpdateButtons();
}

void Wizard::EraseMoreItems() {
  if (page_ != lastPage_) return;
  page_ = kListPage;
  ShowPage();
  UpdateButtons();
}

void Wizard::Cancel() {
  engine_.CancelWipe();
  run_.RequestCancel();
  view_.CloseWizard();
}

void Wizard::AddPaths(const std::vector<std::string>& paths) {
  items_.AddPaths(paths);
  EnableNextWhenListed();
  view_.Refresh();
}

void Wizard::AddPicked(const std::string& folder, const std::vector<std::string>& names) {
  items_.AddPicked(folder, names);
  EnableNextWhenListed();
  view_.Refresh();
}

void Wizard::AddFolder(const std::string& path) {
  if (path.empty()) return;
  items_.AddItem(path);
  EnableNextWhenListed();
  view_.Refresh();
}

void Wizard::DropFiles(const std::vector<std::string>& paths) {
  for (const auto& path : paths) items_.AddItem(path);
  EnableNextWhenListed();
  view_.Refresh();
}

void Wizard::ClearItem(int selected) {
  if (selected >= 1 && selected <= items_.Count() && !items_.Row(selected)[kName].empty()) items_.RemoveItem(selected);
  EnableNextWhenListed();
  view_.Refresh();
}

void Wizard::SortByColumn(int column) {
  items_.SortByColumn(column);
  view_.Refresh();
}

void Wizard::ClearList() {
  items_.Clear();
  UpdateButtons();
}

void Wizard::ScanShellFolder(ShellFolders& shell, SpecialFolder folder) {
  // The scan's own pump must not start another.
  if (busy_) return;
  busy_ = true;
  UpdateButtons();
  {
    // A failure half-way must not leave the wizard busy for good.
    const basekit::ScopeExit notBusy([this] { busy_ = false; });
    Scan(shell, folder);
  }
  UpdateButtons();
}

void Wizard::Scan(ShellFolders& shell, SpecialFolder folder) {
  const int page = page_;
  bool toldDuplicate = false;
  shell.Enumerate(folder, [&](const std::optional<std::string>& name) {
    // A bare name would be looked for in the current folder, where it names something else.
    if (name && IsFullPath(*name, files_.Separator())) {
      // One box tells that the list has them already; one per entry would hold the user
      // for hundreds of answers.
      const bool duplicate = items_.Lists(*name);
      if (!duplicate || !toldDuplicate) items_.AddItem(*name);
      toldDuplicate = toldDuplicate || duplicate;
    }
    Pump();
    // Moved on, or closed: the rest is no longer wanted.
    return page_ == page && !run_.CancelRequested();
  });
}

void Wizard::StartErase() {
  run_.Prepare();
  back_.enabled = next_.enabled = false;
  progress_.StartState(methods_.CyclesText());
  view_.SetTimerEnabled(true);
  run_.CountingPass(items_);
  run_.ErasePass(items_);
  TakeOutcome(progress_.UpdateProgress(run_.Counters(), !run_.CancelRequested()));
  view_.SetTimerEnabled(false);
  items_.Clear();
  next_.enabled = true;
  ShowPage();
  // Said once, at the end: what could not be erased here, and what the user can do.
  if (!run_.CancelRequested() && !run_.NotOverwritable().empty())
    view_.ShowMessage({PathListText(texts::kNotOverwritable, run_.NotOverwritable()), texts::kAppTitle,
                       MessageButtons::Ok, MessageIcon::Exclamation});
}

void Wizard::TakeOutcome(RunOutcome outcome) {
  switch (outcome) {
    case RunOutcome::RestartNeeded:
      restartPending_ = true;
      break;
    case RunOutcome::AllWiped:
      restartPending_ = false;
      system_.RefreshRecycleBinIcon();
      break;
    case RunOutcome::NotAllErased:
      restartPending_ = false;
      break;
    case RunOutcome::Undecided:
      break;
  }
}

void Wizard::OnProgress(std::int32_t round, std::int32_t pass, std::int32_t percent) {
  progress_.OnProgress(round, pass, percent, methods_.CyclesText());
  Pump();
}

void Wizard::TimerTick() {
  // A tick served by a pump inside this tick would only repeat it.
  if (inTimerTick_) return;
  inTimerTick_ = true;
  const basekit::ScopeExit done([this] { inTimerTick_ = false; });
  Pump();
  TakeOutcome(progress_.UpdateProgress(run_.Counters(), false));
  Pump();
}

void Wizard::ShowPage() {
  view_.ShowPage(page_);
  view_.Refresh();
}

void Wizard::Pump() {
  view_.Refresh();
  if (pump_) pump_();
}

}  // namespace qelwipe
