#include "registration.h"

#include <olectl.h>

#include <array>
#include <string>

#include "com_object.h"
#include "lintorel.h"
#include "menu_surface.h"
#include "registry.h"

namespace lintorel {
namespace {

using comkit::KeyOnly;
using comkit::RegistryEntry;

#define MENU_TEXT_(value) #value
#define MENU_TEXT(value) MENU_TEXT_(value)

// Written below HKEY_CLASSES_ROOT. The class key is removed first, so it always
// holds exactly these entries.
constexpr RegistryEntry kEntries[] = {
    {"%PROGID%", "", "clsContextMenu"},
    {"%PROGID%\\CLSID", "", "%CLSID%"},
    {"CLSID\\%CLSID%", "", "%PROGID%"},
    {"CLSID\\%CLSID%\\ProgID", "", "%PROGID%"},
    KeyOnly("CLSID\\%CLSID%\\Programmable"),
    {"CLSID\\%CLSID%\\InprocServer32", "", "%MODULE%"},
    {"CLSID\\%CLSID%\\InprocServer32", "ThreadingModel", "Apartment"},
    {"CLSID\\%CLSID%\\TypeLib", "", "%LIBID%"},
    {"CLSID\\%CLSID%\\Version", "", MENU_TEXT(MENU_LIBRARY_MAJOR) "." MENU_TEXT(MENU_LIBRARY_MINOR)},
};

constexpr std::string_view kClassKey = "CLSID\\%CLSID%";
// Removed on unregistration; never the CLSID key itself.
constexpr std::string_view kOwnedKeys[] = {kClassKey, "%PROGID%"};

std::array<comkit::Placeholder, 4> Placeholders(std::string modulePath) {
  return {{{"%CLSID%", comkit::GuidText(CLSID_clsContextMenu)},
           {"%LIBID%", comkit::GuidText(LIBID_PvMenu)},
           {"%PROGID%", kProgId},
           {"%MODULE%", std::move(modulePath)}}};
}

const comkit::ServerRegistration kServer{kEntries,      kClassKey,     kOwnedKeys,    &LIBID_PvMenu,
                                         kLibraryMajor, kLibraryMinor, kLibraryLocale};

}  // namespace

HRESULT RegisterContextMenu() {
  std::string module = comkit::ThisModulePathUtf8();
  if (module.empty()) return SELFREG_E_CLASS;
  return comkit::RegisterServer(kServer, Placeholders(std::move(module)));
}

HRESULT UnregisterContextMenu() { return comkit::UnregisterServer(kServer, Placeholders({})); }

}  // namespace lintorel
