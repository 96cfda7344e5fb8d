#pragma once
// Numbers, sizes, JSON strings and the progress line as the command line writes them.
#include <chrono>
#include <cstdint>
#include <ostream>
#include <string>

namespace qelwipe::cli {

// "1,204"
std::string Grouped(std::uint64_t number);
// "2.1 GB"; below a kilobyte, "312 bytes"
std::string SizeText(std::uint64_t bytes);
// A text as a JSON string, quotes included.
std::string JsonString(const std::string& text);

// One line on a terminal, rewritten in place at most ten times a second.
class StatusLine {
 public:
  explicit StatusLine(std::ostream& terminal) : terminal_(terminal), started_(Clock::now()) {}
  ~StatusLine() { Clear(); }
  StatusLine(const StatusLine&) = delete;
  StatusLine& operator=(const StatusLine&) = delete;

  // Off the terminal, for a line of another kind; drawn again at the next Draw.
  void Clear();
  // Whether the line is to be drawn now; Draw it then.
  bool Due();
  void Draw(const std::string& text);
  // "2.1 GB/s, 1:05 left": the speed since the line began, and the time left at that speed
  // for `total` bytes when `done` are done.
  std::string RateText(std::uint64_t done, std::uint64_t total) const;

 private:
  using Clock = std::chrono::steady_clock;
  std::ostream& terminal_;
  const Clock::time_point started_;
  Clock::time_point lastDrawn_;
  bool drawn_ = false;
};

}  // namespace qelwipe::cli
