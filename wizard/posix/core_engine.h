#pragma once
// The engine core behind the wizard's engine interface, as the COM control puts it in
// front of it on Windows: what the native tests, the benchmarks and the command line
// erase with. Paths go from UTF-8 to the core's UTF-16 whole, or not at all.
#include <memory>
#include <string>

#include "platform_file_access.h"
#include "utf.h"
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
    return Erase(path, [&](const std::u16string& name) { return core_.WipeFile(name); });
  }
  EraseResult FastWipeFile(const std::string& path, std::uint8_t fill) override {
    return Erase(path, [&](const std::u16string& name) { return core_.FastWipeFile(name, fill); });
  }
  EraseResult GovermentWipeFile(const std::string& path, std::uint8_t f1, std::uint8_t f2, std::uint8_t f3) override {
    return Erase(path, [&](const std::u16string& name) { return core_.GovermentWipeFile(name, f1, f2, f3); });
  }
  void CancelWipe() override { core_.CancelWipe(); }
  // Each file's last pass read back past the cache and compared (qelwipe-cli --verify).
  void SetVerify(bool verify) { core_.SetVerify(verify); }

 protected:
  // Told of every file before the core erases it.
  virtual void Erasing(const std::string&) {}

 private:
  // Bytes that are no UTF-8 give nothing: any reading of them could name another file.
  template <class Call>
  EraseResult Erase(const std::string& path, Call call) {
    Erasing(path);
    const auto name = basekit::Utf8ToUtf16(path);
    return name ? call(*name) : win_error::kInvalidName;
  }
  std::unique_ptr<dornix::FileAccess> access_ = dornix::MakePlatformFileAccess();
  EngineEvents* events_ = nullptr;
  dornix::WipeCore core_{*access_, [this](std::int32_t round, std::int32_t pass, std::int32_t percent) {
                           if (events_) events_->OnProgress(round, pass, percent);
                         }};
};

}  // namespace qelwipe
