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
  folders.text = files.text = size.text = texts::kPending;
  pass.text = " ";
  cycle.text = std::string(" ") + texts::kOutOf + cyclesText;
  shownValid_ = false;
}

void ProgressPage::OnProgress(std::int32_t round, std::int32_t pass, std::int32_t percent,
                              const std::string& cyclesText) {
  if (!shownValid_ || round != shown_.round || cyclesText != shown_.cycles) {
    cycle.text = Plain(round) + texts::kOutOf + cyclesText;
    shown_.round = round;
    shown_.cycles = cyclesText;
  }
  if (!shownValid_ || pass != shown_.pass) this->pass.text = Plain(pass);
  if (!shownValid_ || percent != shown_.percent) filePercentText.text = SignPosition(percent) + "%";
  shown_.pass = pass;
  shown_.percent = percent;
  shownValid_ = true;
  filePercent = std::clamp(percent, 0, 100);
}

RunOutcome ProgressPage::UpdateProgress(const RunCounters& c, bool runFinished) {
  files.text = DoneOutOf(c.FilesDone, c.TotalFiles);
  folders.text = DoneOutOf(c.FoldersDone, c.TotalFolders);
  size.text = DoneOutOf(c.BytesDone, c.TotalBytes);
  if (c.TotalBytes != 0) size.text += texts::kBytes;

  if (c.TotalBytes == 0) {
    overallPercent = 0;
    overallPercentText.text = SignPosition(0) + " %";
  } else {
    // A file that grew since it was counted would carry the bar past its end.
    const double percent = std::min(static_cast<double>(c.BytesDone) / static_cast<double>(c.TotalBytes) * 100, 100.0);
    overallPercent = static_cast<float>(percent);
    overallPercentText.text = SignPosition(static_cast<std::int64_t>(std::floor(percent))) + "%";
  }
  if (overallPercent != 100 && !runFinished) return RunOutcome::Undecided;

  if (c.HeldOpen > 0) {
    status.text = texts::kNeedsRestart;
    resultText = {texts::kNeedsRestartShort, TextColour::Normal};
    resultHeading = {texts::kAttention, TextColour::Red};
    return RunOutcome::RestartNeeded;
  }
  if (c.NotErased > 0) {
    const std::string text = texts::kNotErased + Plain(static_cast<std::int64_t>(c.NotErased));
    status.text = text;
    resultText = {text, TextColour::Normal};
    resultHeading = {texts::kAttention, TextColour::Red};
    return RunOutcome::NotAllErased;
  }
  status.text = texts::kAllWiped;
  resultText = {texts::kErasedAll, TextColour::Normal};
  resultHeading = {texts::kCongratulations, TextColour::Normal};
  return RunOutcome::AllWiped;
}

void ProgressPage::ShowIgnored() {
  status = {texts::kIgnored, TextColour::Red};
  resultText.text = texts::kIgnored;
}

void ProgressPage::ShowRestartLater() { status.text = texts::kRestartLater; }
void ProgressPage::ShowStillOnDisk() { status.text = texts::kNotScheduled; }

}  // namespace qelwipe
