#include "method_page.h"

#include <algorithm>

#include "number_reading.h"

namespace qelwipe {

void MethodPage::SelectDefaults() {
  SelectMethod(kDefaultMethod);
  cycles_ = kDefaultCycles;
}

void MethodPage::SelectMethod(int index) {
  if (index > kMethodCount - 1) return;
  selected_ = index < 0 ? -1 : index;
  if (selected_ < 0) {
    hexFieldsShown_ = 0;
    methodName_.clear();
    return;
  }
  const MethodEntry& entry = kMethods[static_cast<std::size_t>(selected_)];
  hexFieldsShown_ = entry.hexFieldsShown;
  methodName_ = entry.listText;
  description_ = entry.description;
}

void MethodPage::SpinCycles(int steps) {
  const std::int32_t now = std::clamp(RoundHalfEven(LeadingNumber(cycles_)), 0, kMaxCycles);
  cycles_ = std::to_string(std::clamp(now + steps, 0, kMaxCycles));
}

void MethodPage::SetHexText(int field, std::string_view text) {
  hex_.at(static_cast<std::size_t>(field - 1)) = std::string(text.substr(0, kHexFieldLength));
}

std::int32_t MethodPage::ReadCycleCount() {
  if (LeadingNumber(cycles_) <= 0) cycles_ = kDefaultCycles;
  return RoundHalfEven(LeadingNumber(cycles_));
}

std::uint8_t MethodPage::HexByte(int field) const { return ReadHexByte(HexText(field)); }

}  // namespace qelwipe
