#pragma once
// Self-registration of the Wipe control under HKEY_CLASSES_ROOT.
#include <windows.h>

namespace dornix {

HRESULT RegisterWipeControl();
HRESULT UnregisterWipeControl();

}  // namespace dornix
