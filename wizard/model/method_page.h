#pragma once
// The erase-method page: the chosen method, the cycle count and the fill bytes,
// as the page's controls hold them for as long as the wizard is open.
#include <array>
#include <cstdint>
#include <string>

#include "method_catalogue.h"

namespace qelwipe {

class MethodPage {
 public:
  // The default method and cycle count.
  void SelectDefaults();
  // Run on every change of the chosen method; -1 is no choice.
  void SelectMethod(int index);

  // The spin control: moves the cycle count by `steps`, held within 0 to 100.
  void SpinCycles(int steps);
  void SetCyclesText(std::string text) { cycles_ = std::move(text); }
  // A hex field keeps at most two characters.
  void SetHexText(int field, std::string_view text);

  // The cycle count for a run: a count of 0 or less puts "3" in the field first.
  std::int32_t ReadCycleCount();
  // Fill byte of hex field 1, 2 or 3.
  std::uint8_t HexByte(int field) const;

  int Selected() const { return selected_; }
  const std::string& CyclesText() const { return cycles_; }
  const std::string& HexText(int field) const { return hex_.at(static_cast<std::size_t>(field - 1)); }
  // Hex fields 1..n and their captions are visible.
  int HexFieldsShown() const { return hexFieldsShown_; }
  // The chosen method's list text, shown beside "Method:" on the progress page.
  const std::string& MethodName() const { return methodName_; }
  // The chosen method's description.
  const std::string& Description() const { return description_; }

 private:
  int selected_ = -1;
  std::string cycles_ = kDefaultCycles;
  std::array<std::string, 3> hex_{"FF", "00", "FF"};
  int hexFieldsShown_ = 3;
  std::string methodName_ = "Method Used";
  std::string description_ = "...";
};

}  // namespace qelwipe
