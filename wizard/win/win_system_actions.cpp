#include "win_system_actions.h"

#include <windows.h>

extern "C" HRESULT WINAPI SHUpdateRecycleBinIcon(void);

namespace qelwipe::win {
namespace {

class WinSystemActions final : public SystemActions {
 public:
  void RefreshRecycleBinIcon() override { SHUpdateRecycleBinIcon(); }
  // Restarting comes with its own work; until then nothing is handed on.
  void RestartNow(const std::vector<std::string>&) override {}
  void RestartLater(const std::vector<std::string>&) override {}
};

}  // namespace

std::unique_ptr<SystemActions> MakeWinSystemActions() { return std::make_unique<WinSystemActions>(); }

}  // namespace qelwipe::win
