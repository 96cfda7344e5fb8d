// The entry points of dornix.dll.
#include <windows.h>

#include <olectl.h>

#include "com_object.h"
#include "dornix.h"
#include "registration.h"
#include "wipe_control.h"

extern "C" {

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (!IsEqualCLSID(clsid, CLSID_Wipe)) return CLASS_E_CLASSNOTAVAILABLE;
  return comkit::GetClassObject(&comkit::CreateInstance<dornix::WipeControl>, iid, out);
}

STDAPI DllCanUnloadNow() { return comkit::ModuleLock::IsFree() ? S_OK : S_FALSE; }

STDAPI DllRegisterServer() { return dornix::RegisterWipeControl(); }

STDAPI DllUnregisterServer() { return dornix::UnregisterWipeControl(); }

}  // extern "C"
