#pragma once
// The command line of qelwipe-cli: what to erase and how, read from the arguments.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qelwipe::cli {

struct Options {
  int method = -1;  // the method index; -1 until chosen: the wizard's default
  std::int32_t cycles = 1;
  std::vector<std::string> paths;  // as given, in order
  std::vector<std::string> listFiles;
  std::string freeSpace;  // the volume whose free space is erased, instead of paths
  bool dryRun = false, verify = false, json = false, quiet = false, yes = false, atRestart = false;
  bool help = false, version = false;
};

// The options, or the reason they are no command line of this program (exit code 2).
struct Parsed {
  Options options;
  std::string error;
};
Parsed ParseArguments(const std::vector<std::string>& arguments);

// The method index for a number ("3") or a short name ("dod"); nothing for neither.
std::optional<int> MethodByName(const std::string& text);

// The text of --help.
std::string UsageText();

}  // namespace qelwipe::cli
