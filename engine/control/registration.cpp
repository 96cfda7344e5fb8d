#include "registration.h"

#include <oleauto.h>
#include <olectl.h>

#include <array>
#include <string>

#include "com_object.h"
#include "dornix.h"
#include "registry.h"
#include "wipe_control.h"
#include "wipe_surface.h"

namespace dornix {
namespace {

using comkit::KeyOnly;
using comkit::RegistryEntry;

static_assert(kWipeMiscStatus == 132497, "MiscStatus\\1 below must name the control's status bits");

// Written below HKEY_CLASSES_ROOT. The class key is removed first, so it always
// holds exactly these entries.
constexpr RegistryEntry kEntries[] = {
    {"Vc.Wipe.1", "", "Wipe Class"},
    {"Vc.Wipe.1\\CLSID", "", "%CLSID%"},
    {"Vc.Wipe", "", "Wipe Class"},
    {"Vc.Wipe\\CLSID", "", "%CLSID%"},
    {"Vc.Wipe\\CurVer", "", "Vc.Wipe.1"},
    {"CLSID\\%CLSID%", "", "Wipe Class"},
    {"CLSID\\%CLSID%\\ProgID", "", "Vc.Wipe.1"},
    {"CLSID\\%CLSID%\\VersionIndependentProgID", "", "Vc.Wipe"},
    KeyOnly("CLSID\\%CLSID%\\Programmable"),
    {"CLSID\\%CLSID%\\InprocServer32", "", "%MODULE%"},
    {"CLSID\\%CLSID%\\InprocServer32", "ThreadingModel", "Apartment"},
    KeyOnly("CLSID\\%CLSID%\\Control"),
    {"CLSID\\%CLSID%\\ToolboxBitmap32", "", "%MODULE%, " WIPE_TEXT(WIPE_TOOLBOX_BITMAP)},
    {"CLSID\\%CLSID%\\MiscStatus", "", "0"},
    {"CLSID\\%CLSID%\\MiscStatus\\1", "", "132497"},
    {"CLSID\\%CLSID%\\TypeLib", "", "%LIBID%"},
    {"CLSID\\%CLSID%\\Version", "", kLibraryVersionText},
};

constexpr std::string_view kClassKey = "CLSID\\%CLSID%";
// Removed on unregistration; never the CLSID key itself.
constexpr std::string_view kOwnedKeys[] = {kClassKey, "Vc.Wipe.1", "Vc.Wipe"};

std::array<comkit::Placeholder, 3> Placeholders(std::string modulePath) {
  return {{{"%CLSID%", comkit::GuidText(CLSID_Wipe)},
           {"%LIBID%", comkit::GuidText(LIBID_VCLib)},
           {"%MODULE%", std::move(modulePath)}}};
}

const comkit::ServerRegistration kServer{kEntries,      kClassKey,     kOwnedKeys,    &LIBID_VCLib,
                                         kLibraryMajor, kLibraryMinor, kLibraryLocale};

}  // namespace

HRESULT RegisterWipeControl() {
  std::string module = comkit::ThisModulePathUtf8();
  if (module.empty()) return SELFREG_E_CLASS;
  return comkit::RegisterServer(kServer, Placeholders(std::move(module)));
}

HRESULT UnregisterWipeControl() { return comkit::UnregisterServer(kServer, Placeholders({})); }

}  // namespace dornix
