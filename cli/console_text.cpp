#include "console_text.h"

#include <cstdio>
#include <iterator>

namespace qelwipe::cli {

std::string Grouped(std::uint64_t number) {
  const std::string digits = std::to_string(number);
  std::string grouped;
  for (std::size_t i = 0; i < digits.size(); ++i) {
    if (i > 0 && (digits.size() - i) % 3 == 0) grouped += ',';
    grouped += digits[i];
  }
  return grouped;
}

std::string SizeText(std::uint64_t bytes) {
  static constexpr const char* kUnits[] = {"bytes", "KB", "MB", "GB", "TB"};
  double value = static_cast<double>(bytes);
  std::size_t unit = 0;
  while (value >= 1024 && unit + 1 < std::size(kUnits)) {
    value /= 1024;
    ++unit;
  }
  if (unit == 0) return Grouped(bytes) + " bytes";
  char text[32];
  std::snprintf(text, sizeof text, "%.1f %s", value, kUnits[unit]);
  return text;
}

std::string JsonString(const std::string& text) {
  std::string json = "\"";
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      json += '\\';
      json += c;
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      json += escaped;
    } else {
      json += c;
    }
  }
  return json + '"';
}

void StatusLine::Clear() {
  if (drawn_) terminal_ << "\r\x1b[K" << std::flush;
  drawn_ = false;
}

bool StatusLine::Due() {
  const auto now = Clock::now();
  if (drawn_ && now - lastDrawn_ < std::chrono::milliseconds(100)) return false;
  lastDrawn_ = now;
  return true;
}

void StatusLine::Draw(const std::string& text) {
  drawn_ = true;
  terminal_ << "\r\x1b[K" << text << std::flush;
}

std::string StatusLine::RateText(std::uint64_t done, std::uint64_t total) const {
  const double seconds = std::chrono::duration<double>(lastDrawn_ - started_).count();
  const double speed = seconds > 0 ? static_cast<double>(done) / seconds : 0;
  std::string text = SizeText(static_cast<std::uint64_t>(speed)) + "/s";
  if (speed > 0 && total > done) {
    const auto secondsLeft = static_cast<unsigned long long>(static_cast<double>(total - done) / speed);
    char left[32];
    std::snprintf(left, sizeof left, ", %llu:%02llu left", secondsLeft / 60, secondsLeft % 60);
    text += left;
  }
  return text;
}

}  // namespace qelwipe::cli
