#include "display_text.h"

#include <array>
#include <cmath>

namespace qelwipe {
namespace {

struct SizeUnit {
  std::uint64_t bytes;
  const char* name;
};
// A count up to and including the next unit's size is shown in this unit.
constexpr std::array<SizeUnit, 3> kSizeUnits{{{1024, " KB"}, {1048576, " MB"}, {1073741824, " GB"}}};

// value rounded to hundredths, without trailing zeros.
std::string TwoDecimals(double value) {
  const double hundredths = std::nearbyint(value * 100);
  const auto whole = static_cast<std::int64_t>(hundredths) / 100;
  const auto fraction = static_cast<std::int64_t>(hundredths) % 100;
  std::string text = SignPosition(whole);
  if (fraction != 0) {
    text += '.';
    text += static_cast<char>('0' + fraction / 10);
    if (fraction % 10 != 0) text += static_cast<char>('0' + fraction % 10);
  }
  return text;
}

}  // namespace

std::string Plain(std::int64_t number) { return std::to_string(number); }

std::string SignPosition(std::int64_t number) { return number < 0 ? Plain(number) : " " + Plain(number); }

std::string SizeText(std::uint64_t bytes) {
  if (bytes <= kSizeUnits[0].bytes) return " " + std::to_string(bytes) + " bytes";
  std::size_t unit = 0;
  while (unit + 1 < kSizeUnits.size() && bytes > kSizeUnits[unit + 1].bytes) ++unit;
  return TwoDecimals(static_cast<double>(bytes) / static_cast<double>(kSizeUnits[unit].bytes)) + kSizeUnits[unit].name;
}

std::string TimeText(const LocalTime& t) {
  return std::to_string(t.month) + "/" + std::to_string(t.day) + "/" + std::to_string(t.year) + " " +
         std::to_string(t.hour) + ":" + std::to_string(t.minute) + ":" + std::to_string(t.second);
}

std::string AttributeText(const FileAttributes& attributes) {
  std::string text;
  if (attributes.readOnly) text += 'R';
  if (attributes.hidden) text += 'H';
  if (attributes.system) text += 'S';
  if (attributes.archive) text += 'A';
  return text;
}

}  // namespace qelwipe
