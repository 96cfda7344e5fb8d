#pragma once
// Symbolic links for tests of the link rule. Wine cannot make them (CreateSymbolicLink does
// nothing there): under Wine they are made on the Unix side, as `ln -s` would.
#include <filesystem>

namespace testing_support {

// A link at `link` to `target`, a file or a folder; false where none can be made.
bool MakeLink(const std::filesystem::path& target, const std::filesystem::path& link);
// Removes the link itself, never what it points to.
void RemoveLink(const std::filesystem::path& link);

}  // namespace testing_support
