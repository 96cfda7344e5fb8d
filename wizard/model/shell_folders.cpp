#include "shell_folders.h"

namespace qelwipe {

bool IsFullPath(const std::string& path, char separator) {
  if (separator != '\\') return !path.empty() && path.front() == separator;
  const bool drive = path.size() >= 3 && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) &&
                     path[1] == ':' && path[2] == '\\';
  return drive || path.rfind("\\\\", 0) == 0;
}

}  // namespace qelwipe
