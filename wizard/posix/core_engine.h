#pragma once
// The engine core behind the wizard's engine interface, as the COM control puts it in
// front of it on Windows: what the native tests and benchmarks erase with. Paths are
// handed over byte for byte, so only ASCII names arrive as they are.
#include <memory>
#include <string>

#include "platform_file_access.h"
#include "wipe_core.h"
#include "wizard.h"

namespace qelwipe {

class CoreEngine : public EraseEngine {
 public:
  void Advise(EngineEvents* events) override { events_ = events; }
  std::int32_t WipeMethod() override { return core_.WipeMethod(); }
  void SetWipeMethod(std::int32_t method) override { core_.SetWipeMethod(method); }
  void SetWipeRounds(std::int32_t rounds) override { core_.SetWipeRounds(rounds); }
  EraseResult WipeFile(const std::string& path) override {
    Erasing(path);
    return core_.WipeFile(Wide(path));
  }
  EraseResult FastWipeFile(const std::string& path, std::uint8_t fill) override {
    Erasing(path);
    return core_.FastWipeFile(Wide(path), fill);
  }
  EraseResult GovermentWipeFile(const std::string& path, std::uint8_t f1, std::uint8_t f2, std::uint8_t f3) override {
    Erasing(path);
    return core_.GovermentWipeFile(Wide(path), f1, f2, f3);
  }
  void CancelWipe() override { core_.CancelWipe(); }

 protected:
  // Told of every file before the core erases it.
  virtual void Erasing(const std::string&) {}

 private:
  static std::u16string Wide(const std::string& path) { return {path.begin(), path.end()}; }
  std::unique_ptr<dornix::FileAccess> access_ = dornix::MakePlatformFileAccess();
  EngineEvents* events_ = nullptr;
  dornix::WipeCore core_{*access_, [this](std::int32_t round, std::int32_t pass, std::int32_t percent) {
                           if (events_) events_->OnProgress(round, pass, percent);
                         }};
};

}  // namespace qelwipe
