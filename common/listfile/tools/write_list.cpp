// write-list PATH...: writes the paths to a new list file in the temporary
// folder, as the shell extension does, and prints the list file's full path.
#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

#include <cstdio>
#include <string>
#include <vector>

#include "list_file.h"
#ifdef _WIN32
#include "text.h"
#endif

int main(int argc, [[maybe_unused]] char** argv) {
#ifdef _WIN32
  // The list holds UTF-8; the narrow arguments would be ANSI.
  std::vector<std::string> paths;
  wchar_t** arguments = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; arguments && i < argc; ++i) {
    auto path = winkit::WideToUtf8(arguments[i]);
    if (!path) {
      std::fprintf(stderr, "write-list: argument %d is no text\n", i);
      return 1;
    }
    paths.push_back(std::move(*path));
  }
  LocalFree(arguments);
#else
  const std::vector<std::string> paths(argv + 1, argv + argc);
#endif
  std::string listFile;
  if (!listfile::CreateListFile(paths, listFile)) {
    std::fprintf(stderr, "write-list: no list file could be written\n");
    return 1;
  }
  std::printf("%s\n", listFile.c_str());
  return 0;
}
