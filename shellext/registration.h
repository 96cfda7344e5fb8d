#pragma once
// Self-registration of clsContextMenu under HKEY_CLASSES_ROOT: the class and its
// type library only. The shell's handler keys are the installation's.
#include <windows.h>

namespace lintorel {

HRESULT RegisterContextMenu();
HRESULT UnregisterContextMenu();

}  // namespace lintorel
