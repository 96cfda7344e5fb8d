// The exported entry points of an in-process server, over its kServerModule.
#include <windows.h>

#include "server_module.h"

extern "C" {

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return comkit::GetClassObject(comkit::kServerModule.classes, clsid, iid, out);
}

STDAPI DllCanUnloadNow() { return comkit::CanUnloadNow(); }

STDAPI DllRegisterServer() {
  return comkit::Guarded([] { return comkit::RegisterServer(comkit::kServerModule.registration); });
}

STDAPI DllUnregisterServer() {
  return comkit::Guarded([] { return comkit::UnregisterServer(comkit::kServerModule.registration); });
}

}  // extern "C"
