#pragma once
// What the wizard asks of the system beyond its window: the restart that deals
// with files held open, and the shell's recycle bin icon.
#include <string>
#include <vector>

namespace qelwipe {

class SystemActions {
 public:
  virtual ~SystemActions() = default;
  // Asks the shell to redraw the recycle bin's icon.
  virtual void RefreshRecycleBinIcon() = 0;
  // Hands the files to the next logon and restarts the computer.
  virtual void RestartNow(const std::vector<std::string>& files) = 0;
  // Schedules the files to be moved aside at the next system start.
  virtual void RestartLater(const std::vector<std::string>& files) = 0;
};

}  // namespace qelwipe
