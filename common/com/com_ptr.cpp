#include "com_ptr.h"

namespace comkit {

UniqueBstr UniqueBstr::FromAnsi(std::string_view text) {
  UniqueBstr result;
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (length == 0 && size != 0) return result;
  result.bstr_ = SysAllocStringLen(nullptr, static_cast<UINT>(length));
  if (result.bstr_) MultiByteToWideChar(CP_ACP, 0, text.data(), size, result.bstr_, length);
  return result;
}

}  // namespace comkit
