#include "progress_page.h"

#include <algorithm>
#include <cmath>

#include "display_text.h"
#include "texts.h"

namespace qelwipe {
namespace {

std::string DoneOutOf(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return texts::kNothingOutOfNothing;
  return SignPosition(static_cast<std::int64_t>(done)) + texts::kOutOf + SignPosition(static_cast<std::int64_t>(total));
}

}  // namespace

void ProgressPage::StartState(const std::string& cyclesText) {
  lblFolders.text = lblFiles.text = lblSize.text = texts::kPending;
  lblPass.text = " ";
  lblRound.text = std::string(" ") + texts::kOutOf + cyclesText;
  shownValid_ = false;
}

void ProgressPage::OnProgress(std::int32_t round, std::int32_t pass, std::int32_t percent,
                              const std::string& cyclesText) {
  if (!shownValid_ || round != shown_.round || cyclesText != shown_.cycles) {
    lblRound.text = Plain(round) + texts::kOutOf + cyclesText;
    shown_.round = round;
    shown_.cycles = cyclesText;
  }
  if (!shownValid_ || pass != shown_.pass) lblPass.text = Plain(pass);
  if (!shownValid_ || percent != shown_.percent) label12.text = SignPosition(percent) + "%";
  shown_.pass = pass;
  shown_.percent = percent;
  shownValid_ = true;
  pbFile = std::clamp(percent, 0, 100);
}

RunOutcome ProgressPage::UpdateProgress(const RunCounters& c, bool runFinished) {
  lblFiles.text = DoneOutOf(c.FilesDone, c.TotalFiles);
  lblFolders.text = DoneOutOf(c.FoldersDone, c.TotalFolders);
  lblSize.text = DoneOutOf(c.BytesDone, c.TotalBytes);
  if (c.TotalBytes != 0) lblSize.text += texts::kBytes;

  if (c.TotalBytes == 0) {
    pbMain = 0;
    label7.text = SignPosition(0) + " %";
  } else {
    // A file that grew since it was counted would carry the bar past its end.
    const double percent = std::min(static_cast<double>(c.BytesDone) / static_cast<double>(c.TotalBytes) * 100, 100.0);
    pbMain = static_cast<float>(percent);
    label7.text = SignPosition(static_cast<std::int64_t>(std::floor(percent))) + "%";
  }
  if (pbMain != 100 && !runFinished) return RunOutcome::Undecided;

  if (c.NRCount > 0) {
    label17.text = texts::kNeedsRestart;
    label22 = {texts::kNeedsRestartShort, TextColour::Normal};
    label13 = {texts::kAttention, TextColour::Red};
    return RunOutcome::RestartNeeded;
  }
  if (c.NotErased > 0) {
    const std::string text = texts::kNotErased + Plain(static_cast<std::int64_t>(c.NotErased));
    label17.text = text;
    label22 = {text, TextColour::Normal};
    label13 = {texts::kAttention, TextColour::Red};
    return RunOutcome::NotAllErased;
  }
  label17.text = texts::kAllWiped;
  label22 = {texts::kErasedAll, TextColour::Normal};
  label13 = {texts::kCongratulations, TextColour::Normal};
  return RunOutcome::AllWiped;
}

void ProgressPage::ShowIgnored() {
  label17 = {texts::kIgnored, TextColour::Red};
  label22.text = texts::kIgnored;
}

void ProgressPage::ShowRestartLater() { label17.text = texts::kRestartLater; }
void ProgressPage::ShowStillOnDisk() { label17.text = texts::kNotScheduled; }

}  // namespace qelwipe
