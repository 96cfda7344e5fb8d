#include "list_file.h"

#include <algorithm>

namespace listfile {

namespace {

bool IsHexDigit(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

bool EqualsIgnoringCase(std::string_view text, std::string_view lower) {
  if (text.size() != lower.size()) return false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
    if (c != lower[i]) return false;
  }
  return true;
}

}  // namespace

bool IsHandOffName(std::string_view path) {
  const std::size_t slash = path.find_last_of("\\/");
  const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
  const std::string_view prefix = kHandOffPrefix, extension = kHandOffExtension;
  constexpr std::size_t kMostDigits = 4;  // the system's unique number has 16 bits
  if (name.size() <= prefix.size() + extension.size() || name.size() > prefix.size() + kMostDigits + extension.size()) {
    return false;
  }
  const std::string_view number = name.substr(prefix.size(), name.size() - prefix.size() - extension.size());
  return std::all_of(number.begin(), number.end(), IsHexDigit) &&
         EqualsIgnoringCase(name.substr(0, prefix.size()), prefix) &&
         EqualsIgnoringCase(name.substr(name.size() - extension.size()), extension);
}

std::vector<std::string> ParseLines(std::string_view content) {
  std::vector<std::string> paths;
  std::size_t start = 0;
  while (start < content.size()) {
    const std::size_t cr = content.find('\r', start);
    const std::size_t end = cr == std::string_view::npos ? content.size() : cr;
    // A NUL ends the path, as it would for every system call that took it.
    std::string_view line = content.substr(start, end - start);
    line = line.substr(0, line.find('\0'));
    if (!line.empty() && line != " ") paths.emplace_back(line);
    start = end + 1;
    if (end + 1 < content.size() && content[end + 1] == '\n') ++start;
  }
  return paths;
}

std::vector<std::string> ReadPaths(std::string_view content) {
  const std::string_view mark = kByteOrderMark;
  if (content.starts_with(mark)) return ParseLines(content.substr(mark.size()));
  std::vector<std::string> paths;
  for (const auto& line : ParseLines(content))
    if (auto converted = AnsiToUtf8(line)) paths.push_back(std::move(*converted));
  return paths;
}

bool FormatLines(const std::vector<std::string>& paths, std::string& content) {
  content = kByteOrderMark;
  for (const auto& path : paths) {
    if (path.find_first_of("\r\n") != std::string::npos) {
      content.clear();
      return false;
    }
    content += path;
    content += "\r\n";
  }
  return true;
}

bool CreateListFile(const std::vector<std::string>& paths, std::string& listFile) {
  listFile.clear();
  std::string content;
  return FormatLines(paths, content) && CreateHandOffFile(content, listFile);
}

}  // namespace listfile
