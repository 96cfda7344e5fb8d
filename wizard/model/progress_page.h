#pragma once
// The progress page's texts and bars, and the result a run ends with.
#include <cstdint>
#include <string>

namespace qelwipe {

enum class TextColour { Normal, Red };

struct Label {
  std::string text;
  TextColour colour = TextColour::Normal;
};

// The run's counters, as the page shows them.
struct RunCounters {
  std::uint64_t TotalBytes = 0, BytesDone = 0;
  std::uint64_t TotalFiles = 0, FilesDone = 0;
  std::uint64_t TotalFolders = 0, FoldersDone = 0;
  std::uint64_t HeldOpen = 0;   // files another program held open
  std::uint64_t NotErased = 0;  // files the engine refused otherwise, still on disk
};

enum class RunOutcome {
  Undecided,  // the run goes on, or was cancelled
  AllWiped,
  NotAllErased,   // some files are still on disk, none of them held open
  RestartNeeded,  // some files were held open by another program
};

class ProgressPage {
 public:
  // As a run starts; `cyclesText` is the cycles field.
  void StartState(const std::string& cyclesText);
  void OnProgress(std::int32_t round, std::int32_t pass, std::int32_t percent, const std::string& cyclesText);
  // The file being erased.
  void ShowCurrent(const std::string& path) { status.text = path; }
  // Totals and the overall bar. The result is decided when the bar stands at
  // 100 or, failing that, when the run has finished.
  RunOutcome UpdateProgress(const RunCounters& counters, bool runFinished);

  // Outcomes of the dialog for files left over.
  void ShowIgnored();
  void ShowRestartLater();
  // Restart Later could not record every move: files stay on disk.
  void ShowStillOnDisk();

  // Done out of total; the cycle and pass under way.
  Label folders{"..."}, files{"..."}, size{"..."}, cycle{"..."}, pass{"..."};
  // Current file, then the result; once the user ignored files left over, red for good.
  Label status{"..."};
  // The file's bar and the whole run's, 0 to 100, each with its text.
  int filePercent = 0;
  Label filePercentText{"00 %"};
  float overallPercent = 0;
  Label overallPercentText{"00 %"};
  // On the final page.
  Label resultHeading{"Congratulations"};
  Label resultText{"you have successfully erased all items"};

 private:
  // What the round, pass and file texts were last built from: reports come several
  // times per file, their values change far less often.
  struct Shown {
    std::int32_t round = 0, pass = 0, percent = 0;
    std::string cycles;
  };
  bool shownValid_ = false;
  Shown shown_;
};

}  // namespace qelwipe
