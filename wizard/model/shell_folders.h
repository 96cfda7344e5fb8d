#pragma once
// The shell's special folders that the list page takes in with one click.
#include <functional>
#include <optional>
#include <string>

namespace qelwipe {

// The shell's own numbers for them.
enum class SpecialFolder : int { RecentDocuments = 8, RecycleBin = 10 };

class ShellFolders {
 public:
  virtual ~ShellFolders() = default;
  // Gets each entry's parsing name (UTF-8; empty when the shell gave none) and answers
  // whether to go on.
  using EntryHandler = std::function<bool(const std::optional<std::string>& parsingName)>;
  // Hands every entry of the folder, hidden ones and subfolders too, to `entry` in the
  // shell's order, until the entries end, a shell call fails or `entry` answers false.
  virtual void Enumerate(SpecialFolder folder, const EntryHandler& entry) = 0;
};

// A path that names one place whatever the current folder is.
bool IsFullPath(const std::string& path, char separator);

}  // namespace qelwipe
