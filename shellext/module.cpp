// The entry points of Lintorel.dll.
#include <windows.h>

#include "com_object.h"
#include "context_menu.h"
#include "lintorel.h"
#include "registration.h"

namespace {

constexpr comkit::ClassEntry kClasses[] = {
    {&CLSID_clsContextMenu, &comkit::CreateInstance<lintorel::ContextMenu>},
};

}  // namespace

extern "C" {

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, void** out) {
  return comkit::GetClassObject(kClasses, clsid, iid, out);
}

STDAPI DllCanUnloadNow() { return comkit::CanUnloadNow(); }

STDAPI DllRegisterServer() { return comkit::Guarded(lintorel::RegisterContextMenu); }

STDAPI DllUnregisterServer() { return comkit::Guarded(lintorel::UnregisterContextMenu); }

}  // extern "C"
