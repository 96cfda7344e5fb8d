// write-list PATH...: writes the paths to a new list file in the temporary
// folder, as the shell extension does, and prints the list file's full path.
#include <cstdio>
#include <string>
#include <vector>

#include "list_file.h"

int main(int argc, char** argv) {
  const std::vector<std::string> paths(argv + 1, argv + argc);
  std::string listFile;
  if (!listfile::CreateListFile(paths, listFile)) {
    std::fprintf(stderr, "write-list: no list file could be written\n");
    return 1;
  }
  std::printf("%s\n", listFile.c_str());
  return 0;
}
