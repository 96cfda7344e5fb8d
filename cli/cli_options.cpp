#include "cli_options.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <charconv>
#include <string_view>

#include "method_catalogue.h"

namespace qelwipe::cli {
namespace {

// Short names of the methods, in the order of the wizard's list: a name's position is its index.
constexpr std::array<std::string_view, kMethodCount> kMethodNames{
    "zero",      "random",   "stop-software", "navso-rll",  "navso-mfm", "dod",
    "schneier",  "beyond-dod", "gutmann",     "fill",       "government"};

std::optional<long long> WholeNumber(std::string_view text) {
  long long value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end != text.data() + text.size() || text.empty()) return std::nullopt;
  return value;
}

// Options that are only present or not.
struct Flag {
  std::string_view shortName, longName;
  bool Options::*field;
};
constexpr Flag kFlags[] = {
    {"-n", "--dry-run", &Options::dryRun}, {"", "--verify", &Options::verify},  {"", "--json", &Options::json},
    {"-q", "--quiet", &Options::quiet},    {"-y", "--yes", &Options::yes},      {"", "--at-restart", &Options::atRestart},
    {"-h", "--help", &Options::help},      {"", "--version", &Options::version},
};

// Options with a value: each takes it into the options, or says why it cannot.
struct ValueOption {
  std::string_view shortName, longName;
  std::string (*take)(Options& options, const std::string& value);
};
constexpr ValueOption kValueOptions[] = {
    {"-m", "--method",
     [](Options& options, const std::string& value) -> std::string {
       const auto method = MethodByName(value);
       options.method = method.value_or(-1);
       return method ? "" : "no such method: " + value + " (see --help)";
     }},
    {"-c", "--cycles",
     [](Options& options, const std::string& value) -> std::string {
       const auto cycles = WholeNumber(value);
       if (!cycles || *cycles > kMaxCycles || *cycles < -2147483647) return "cycles must be a number up to 100";
       // The wizard's rule: a count of 0 or less runs 3 cycles.
       options.cycles = *cycles <= 0 ? 3 : static_cast<std::int32_t>(*cycles);
       return "";
     }},
    {"-l", "--list",
     [](Options& options, const std::string& value) -> std::string {
       options.listFiles.push_back(value);
       return "";
     }},
    {"", "--free-space",
     [](Options& options, const std::string& value) -> std::string {
       options.freeSpace = value;
       return "";
     }},
};

}  // namespace

std::optional<int> MethodByName(const std::string& text) {
  if (const auto number = WholeNumber(text)) {
    if (*number >= 0 && *number < kMethodCount) return static_cast<int>(*number);
    return std::nullopt;
  }
  for (std::size_t i = 0; i < kMethodNames.size(); ++i)
    if (kMethodNames[i] == text) return static_cast<int>(i);
  return std::nullopt;
}

Parsed ParseArguments(const std::vector<std::string>& arguments) {
  Parsed parsed;
  Options& options = parsed.options;
  bool pathsOnly = false;
  for (std::size_t i = 0; i < arguments.size() && parsed.error.empty(); ++i) {
    const std::string& argument = arguments[i];
    if (pathsOnly || argument.empty() || argument[0] != '-' || argument == "-") {
      options.paths.push_back(argument);
      continue;
    }
    if (argument == "--") {
      pathsOnly = true;
      continue;
    }
    // An option's value: the next argument, or what follows "=" in a long option.
    std::string name = argument;
    std::optional<std::string> value;
    if (const std::size_t equals = argument.find('='); argument.starts_with("--") && equals != std::string::npos) {
      name = argument.substr(0, equals);
      value = argument.substr(equals + 1);
    }
    const auto named = [&](const auto& entry) { return name == entry.shortName || name == entry.longName; };
    if (const auto* flag = std::find_if(std::begin(kFlags), std::end(kFlags), named); flag != std::end(kFlags)) {
      options.*(flag->field) = true;
      if (value) parsed.error = name + " takes no value";
    } else if (const auto* option = std::find_if(std::begin(kValueOptions), std::end(kValueOptions), named);
               option != std::end(kValueOptions)) {
      if (!value && i + 1 < arguments.size()) value = arguments[++i];
      parsed.error = !value || value->empty() ? name + " needs a value" : option->take(options, *value);
    } else {
      parsed.error = "unknown option: " + argument;
    }
  }
  const bool hasItems = !options.paths.empty() || !options.listFiles.empty();
  if (!parsed.error.empty() || options.help || options.version) return parsed;
  if (!options.freeSpace.empty() && (hasItems || options.verify || options.atRestart))
    parsed.error = "--free-space takes a volume alone: no paths, --list, --verify or --at-restart";
  else if (options.freeSpace.empty() && !hasItems)
    parsed.error = "nothing to erase: give paths, or a list with --list";
  return parsed;
}

std::string UsageText() {
  std::string text =
      "Usage: qelwipe-cli [OPTIONS] PATH...\n"
      "       qelwipe-cli [OPTIONS] --free-space VOLUME\n"
      "Erases files and folders so that their contents cannot be read back: every file below the\n"
      "given items is overwritten, emptied, renamed and deleted; folders are removed after them.\n"
      "With --free-space, fills the volume's free space with the method's passes instead (default:\n"
      "one random pass), reaching what deleted files left there, and removes the fillers again.\n"
      "\n"
      "  -m, --method N|NAME  the overwrite method (default: random)\n"
      "  -c, --cycles N       how many times the method's passes run (default 1; 0 runs 3)\n"
      "  -l, --list FILE      also the paths of a list file, one a line (never deleted)\n"
      "      --free-space VOLUME  erase the free space of a drive, mounted folder or mount point\n"
      "  -n, --dry-run        list what would be erased, with sizes; touch nothing\n"
      "      --verify         read each file's last pass back past the cache before it goes\n"
      "      --json           one JSON object per file on standard output, then a summary\n"
      "  -q, --quiet          no progress and no summary line\n"
      "  -y, --yes            erase without asking\n"
      "      --at-restart     (Windows) move files held open aside at the next restart, for the\n"
      "                       wizard to erase at the next logon; they count as left until then\n"
      "  -h, --help           this text\n"
      "      --version        the program's version\n"
      "\n"
      "Methods:\n";
  for (std::size_t i = 0; i < kMethodNames.size(); ++i)
    text += "  " + std::to_string(i) + "  " + std::string(kMethodNames[i]) +
            std::string(14 - kMethodNames[i].size(), ' ') + kMethods[i].listText + "\n";
  text +=
      "\n"
      "Exit codes: 0 every item is gone; 1 something is left (named on standard error or in the\n"
      "JSON); 2 a usage error or a refused run; 130 interrupted (the file under way is left whole).\n";
  return text;
}

}  // namespace qelwipe::cli
