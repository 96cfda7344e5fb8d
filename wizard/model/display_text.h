#pragma once
// How numbers, sizes, times and attributes are written on the wizard's pages.
#include <cstdint>
#include <string>

#include "file_system.h"

namespace qelwipe {

// The decimal digits, a minus sign in front when negative.
std::string Plain(std::int64_t number);
// The decimal digits after one blank, or after a minus sign when negative.
std::string SignPosition(std::int64_t number);

// " 1024 bytes", " 1.12 KB", " 1.5 MB", " 2 GB": bounds inclusive, two decimals
// at most, a half going to the even neighbour, no trailing zeros.
std::string SizeText(std::uint64_t bytes);

// month/day/year hour:minute:second, no padding, 24-hour clock.
std::string TimeText(const LocalTime& time);

// "R", "H", "S", "A" in that order for the attributes that are set.
std::string AttributeText(const FileAttributes& attributes);

}  // namespace qelwipe
