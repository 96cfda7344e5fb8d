#pragma once
// The list file that hands paths to the wizard: UTF-8 text after a byte-order
// mark, one full path per line, every line ended by CR LF, created in the
// temporary folder under a name of its own form. A file without the mark comes
// from an older writer and is text of the system's ANSI code page. Paths and file
// names given to and taken from these functions are UTF-8. Shared by the wizard and the shell extension, so it depends
// on nothing but the standard library and, per platform, the system's calls; no
// streams or file-system library, whose locale machinery would more than double
// the handler that every Explorer window loads.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace listfile {

// A list file's name: the prefix, one to four hexadecimal digits, the
// extension, as the system's temporary-file call makes it from the prefix.
inline constexpr char kHandOffPrefix[] = "ss";
inline constexpr char kHandOffExtension[] = ".tmp";
inline constexpr char kByteOrderMark[] = "\xEF\xBB\xBF";

// Whether the last component of `path` has a list file's name (in any case).
// Anything else handed to the wizard is the user's own file.
bool IsHandOffName(std::string_view path);

// The paths a list file's content carries, in file order. A line ends at CR or
// CR LF; the last line may lack an ending. Empty lines and lines of exactly one
// blank carry no path; every other line is taken whole, blanks included, up to
// a NUL it may hold.
std::vector<std::string> ParseLines(std::string_view content);

// The paths of a list file's whole content as UTF-8: after the mark as they are,
// otherwise each line converted from the ANSI code page (a line that does not
// convert is left out, as it would name another file).
std::vector<std::string> ReadPaths(std::string_view content);

// The mark, then each path followed by CR LF. A path holding CR or LF would come back as other
// paths, so such a list is refused: the result is then false and `content` empty.
bool FormatLines(const std::vector<std::string>& paths, std::string& content);

// The writer's side: a new list file in the temporary folder holding `paths`.
// On success `listFile` is its full path; on failure no file is left behind
// and `listFile` is empty.
bool CreateListFile(const std::vector<std::string>& paths, std::string& listFile);

// Per platform (temp_folder_win.cpp, temp_folder_posix.cpp):
// A line of the system's ANSI code page as UTF-8; empty when it does not convert.
// POSIX systems have no such code page: the bytes stay as they are.
std::optional<std::string> AnsiToUtf8(std::string_view line);
// The user's temporary folder, ending in a separator; false when there is none.
bool TempFolder(std::string& folder);
// Creates a new file with a list file's name in TempFolder, never opening an
// existing one, and writes `content` into it. False when none could be made or
// written whole: a half-written list would hand over fewer paths than the user
// chose, so none is left behind then.
bool CreateHandOffFile(std::string_view content, std::string& path);

}  // namespace listfile
