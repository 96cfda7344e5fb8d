#pragma once
// The engine core behind the wizard's engine interface, as the COM control puts it in
// front of it on Windows: what the native tests, the benchmarks and the command line
// erase with. Paths go from UTF-8 to the core's UTF-16 whole, or not at all.
#include <memory>
#include <optional>
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
    const auto name = Utf16(path);
    return name ? core_.WipeFile(*name) : win_error::kInvalidName;
  }
  EraseResult FastWipeFile(const std::string& path, std::uint8_t fill) override {
    Erasing(path);
    const auto name = Utf16(path);
    return name ? core_.FastWipeFile(*name, fill) : win_error::kInvalidName;
  }
  EraseResult GovermentWipeFile(const std::string& path, std::uint8_t f1, std::uint8_t f2, std::uint8_t f3) override {
    Erasing(path);
    const auto name = Utf16(path);
    return name ? core_.GovermentWipeFile(*name, f1, f2, f3) : win_error::kInvalidName;
  }
  void CancelWipe() override { core_.CancelWipe(); }
  // Each file's last pass read back past the cache and compared (qelwipe-cli --verify).
  void SetVerify(bool verify) { core_.SetVerify(verify); }

 protected:
  // Told of every file before the core erases it.
  virtual void Erasing(const std::string&) {}

 private:
  // Bytes that are no UTF-8 give nothing: any reading of them could name another file.
  static std::optional<std::u16string> Utf16(const std::string& text) {
    std::u16string wide;
    for (std::size_t i = 0; i < text.size();) {
      const auto lead = static_cast<unsigned char>(text[i]);
      const int extra = lead < 0x80 ? 0 : lead >= 0xC2 && lead < 0xE0 ? 1 : lead >= 0xE0 && lead < 0xF0 ? 2
                                          : lead >= 0xF0 && lead < 0xF5 ? 3 : -1;
      if (extra < 0 || text.size() - i <= static_cast<std::size_t>(extra)) return std::nullopt;
      char32_t c = extra == 0 ? lead : lead & (0x3F >> extra);
      for (int k = 1; k <= extra; ++k) {
        const auto next = static_cast<unsigned char>(text[i + static_cast<std::size_t>(k)]);
        if ((next & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (next & 0x3F);
      }
      // Overlong forms, surrogates and values beyond Unicode are no UTF-8.
      static constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
      if (c < kLeast[extra] || (c >= 0xD800 && c < 0xE000) || c > 0x10FFFF) return std::nullopt;
      if (c >= 0x10000) {
        wide += static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10));
        wide += static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF));
      } else {
        wide += static_cast<char16_t>(c);
      }
      i += static_cast<std::size_t>(extra) + 1;
    }
    return wide;
  }
  std::unique_ptr<dornix::FileAccess> access_ = dornix::MakePlatformFileAccess();
  EngineEvents* events_ = nullptr;
  dornix::WipeCore core_{*access_, [this](std::int32_t round, std::int32_t pass, std::int32_t percent) {
                           if (events_) events_->OnProgress(round, pass, percent);
                         }};
};

}  // namespace qelwipe
