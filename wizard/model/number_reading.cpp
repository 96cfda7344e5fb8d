#include "number_reading.h"

#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace qelwipe {
namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

int DigitValue(char c, int base) {
  int value = base;
  if (IsDigit(c))
    value = c - '0';
  else if (c >= 'a' && c <= 'f')
    value = c - 'a' + 10;
  else if (c >= 'A' && c <= 'F')
    value = c - 'A' + 10;
  return value < base ? value : -1;
}

double RadixNumber(std::string_view digits, int base) {
  double value = 0;
  for (const char c : digits) {
    const int digit = DigitValue(c, base);
    if (digit < 0) break;
    value = value * base + digit;
  }
  return value;
}

double DecimalNumber(std::string_view text) {
  std::size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::string number;
  bool anyDigit = false;
  bool point = false;
  for (; i < text.size(); ++i) {
    if (IsDigit(text[i])) {
      anyDigit = true;
      number += text[i];
    } else if (text[i] == '.' && !point) {
      point = true;
      number += '.';
    } else {
      break;
    }
  }
  if (!anyDigit) return 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E' || text[i] == 'd' || text[i] == 'D')) {
    std::size_t j = i + 1;
    std::string exponent = "e";
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) exponent += text[j++];
    const std::size_t firstDigit = j;
    while (j < text.size() && IsDigit(text[j])) exponent += text[j++];
    if (j > firstDigit) number += exponent;
  }
  double value = 0;
  const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), value);
  if (error != std::errc{}) return 0;
  return negative ? -value : value;
}

}  // namespace

double LeadingNumber(std::string_view text) {
  std::string compact;
  for (const char c : text)
    if (c != ' ' && c != '\t' && c != '\n') compact += c;
  if (compact.size() >= 2 && compact[0] == '&') {
    if (compact[1] == 'h' || compact[1] == 'H') return RadixNumber(std::string_view(compact).substr(2), 16);
    if (compact[1] == 'o' || compact[1] == 'O') return RadixNumber(std::string_view(compact).substr(2), 8);
  }
  return DecimalNumber(compact);
}

std::int32_t RoundHalfEven(double value) {
  if (std::isnan(value)) return 0;
  // nearbyint rounds by the default mode, which is to nearest with ties to even.
  const double rounded = std::nearbyint(value);
  if (rounded >= std::numeric_limits<std::int32_t>::max()) return std::numeric_limits<std::int32_t>::max();
  if (rounded <= std::numeric_limits<std::int32_t>::min()) return std::numeric_limits<std::int32_t>::min();
  return static_cast<std::int32_t>(rounded);
}

std::uint8_t ReadHexByte(std::string_view field) {
  const double value = LeadingNumber("&H" + std::string(field));
  if (!std::isfinite(value)) return 0;
  return static_cast<std::uint8_t>(static_cast<std::uint64_t>(std::fmod(value, 256.0)));
}

}  // namespace qelwipe
