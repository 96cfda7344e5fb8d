#include "win_system_actions.h"

#include <windows.h>

#include "list_file.h"

extern "C" HRESULT WINAPI SHUpdateRecycleBinIcon(void);

namespace qelwipe::win {
namespace {

class WinSystemActions final : public SystemActions {
 public:
  void RefreshRecycleBinIcon() override { SHUpdateRecycleBinIcon(); }
  // The files go to the next logon in a list file of the hand-off's own form. The
  // start-once record and the restart itself come with their own work.
  void RestartNow(const std::vector<std::string>& files) override {
    std::string listFile;
    listfile::CreateListFile(files, listFile);
  }
  void RestartLater(const std::vector<std::string>&) override {}
};

}  // namespace

std::unique_ptr<SystemActions> MakeWinSystemActions() { return std::make_unique<WinSystemActions>(); }

}  // namespace qelwipe::win
