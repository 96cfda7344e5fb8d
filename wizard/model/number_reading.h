#pragma once
// How the wizard reads numbers typed into its fields.
#include <cstdint>
#include <string_view>

namespace qelwipe {

// The leading number of a text: blanks, tabs and line feeds anywhere are
// ignored; an optional sign, digits with at most one decimal point and an
// optional exponent (E or D) are taken up to the first character that cannot
// continue them. "&H" and "&O" start hexadecimal and octal digits. A text that
// starts with no number reads as 0, and so does one too large for a double.
double LeadingNumber(std::string_view text);

// The nearest whole number, a half going to the even neighbour, held within
// the 32-bit range.
std::int32_t RoundHalfEven(double value);

// A hex field: "&H" put in front of its text and read as above; the low byte.
std::uint8_t ReadHexByte(std::string_view field);

}  // namespace qelwipe
