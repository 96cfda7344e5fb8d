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

}  // namespace

HRESULT RegisterContextMenu() {
  std::string module = comkit::ThisModulePathAnsi();
  if (module.empty()) return SELFREG_E_CLASS;
  const auto placeholders = Placeholders(std::move(module));
  HRESULT hr = comkit::DeleteKeyTree(HKEY_CLASSES_ROOT, comkit::Expand(kClassKey, placeholders));
  if (SUCCEEDED(hr)) hr = comkit::WriteEntries(HKEY_CLASSES_ROOT, kEntries, placeholders);
  if (FAILED(hr)) return SELFREG_E_CLASS;
  return comkit::RegisterThisModuleTypeLibrary();
}

HRESULT UnregisterContextMenu() {
  const auto placeholders = Placeholders({});
  HRESULT result = S_OK;
  for (const std::string_view key : kOwnedKeys) {
    if (FAILED(comkit::DeleteKeyTree(HKEY_CLASSES_ROOT, comkit::Expand(key, placeholders)))) result = SELFREG_E_CLASS;
  }
  // A library that is not registered is already in the state asked for.
  UnRegisterTypeLib(LIBID_PvMenu, kLibraryMajor, kLibraryMinor, kLibraryLocale, SYS_WIN64);
  return result;
}

}  // namespace lintorel
