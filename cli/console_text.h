#pragma once
// Numbers, sizes and JSON strings as the command line writes them.
#include <cstdint>
#include <string>

namespace qelwipe::cli {

// "1,204"
std::string Grouped(std::uint64_t number);
// "2.1 GB"; below a kilobyte, "312 bytes"
std::string SizeText(std::uint64_t bytes);
// A text as a JSON string, quotes included.
std::string JsonString(const std::string& text);

}  // namespace qelwipe::cli
