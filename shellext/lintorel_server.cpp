// Lintorel.dll as a server: the context-menu class, and its registration below HKEY_CLASSES_ROOT.
#include <windows.h>

#include "context_menu.h"
#include "lintorel.h"
#include "menu_surface.h"
#include "server_module.h"

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

// Removed on unregistration besides the class key; never the CLSID key itself.
constexpr std::string_view kOtherKeys[] = {"%PROGID%"};

constexpr comkit::ClassEntry kClasses[] = {
    {&CLSID_clsContextMenu, &comkit::CreateInstance<ContextMenu>},
};

const comkit::ServerRegistration kRegistration{kEntries,      kOtherKeys,    &CLSID_clsContextMenu, kProgId,
                                               &LIBID_PvMenu, kLibraryMajor, kLibraryMinor,         kLibraryLocale};

}  // namespace
}  // namespace lintorel

const comkit::ServerModule comkit::kServerModule{lintorel::kClasses, lintorel::kRegistration};
