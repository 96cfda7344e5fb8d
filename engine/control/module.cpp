// The entry points of dornix.dll.
#include <windows.h>

#include <olectl.h>

#include "com_object.h"
#include "dornix.h"
#include "registration.h"
#include "wipe_control.h"

namespace {

constexpr comkit::ClassEntry kClasses[] = {
    {&CLSID_Wipe, &comkit::CreateInstance<dornix::WipeControl>},
};

}  // namespace

extern "C" {

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return comkit::GetClassObject(kClasses, clsid, iid, out);
}

STDAPI DllCanUnloadNow() { return comkit::CanUnloadNow(); }

STDAPI DllRegisterServer() { return comkit::Guarded(dornix::RegisterWipeControl); }

STDAPI DllUnregisterServer() { return comkit::Guarded(dornix::UnregisterWipeControl); }

}  // extern "C"
