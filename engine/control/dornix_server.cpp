// dornix.dll as a server: the Wipe class, and its registration below HKEY_CLASSES_ROOT.
#include <windows.h>

#include "dornix.h"
#include "server_module.h"
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

// Removed on unregistration besides the class key; never the CLSID key itself.
constexpr std::string_view kOtherKeys[] = {"Vc.Wipe.1", "Vc.Wipe"};

constexpr comkit::ClassEntry kClasses[] = {
    {&CLSID_Wipe, &comkit::CreateInstance<WipeControl>},
};

const comkit::ServerRegistration kRegistration{kEntries,      kOtherKeys,    &CLSID_Wipe,   {},
                                               &LIBID_VCLib, kLibraryMajor, kLibraryMinor, kLibraryLocale};

}  // namespace
}  // namespace dornix

const comkit::ServerModule comkit::kServerModule{dornix::kClasses, dornix::kRegistration};
