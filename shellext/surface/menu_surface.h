#pragma once
// Values of the context-menu handler's contract that its type library,
// resources, registration, the installation and the tests must agree on. widl
// and windres read the #defines; C++ code uses the constants.
#define MENU_LIBRARY_MAJOR 1
#define MENU_LIBRARY_MINOR 0
#define MENU_LIBRARY_LOCALE 0x0409
#define MENU_DISPID_FILE_COUNT 1
#define MENU_DISPID_FILE_NAME 2
// A named resource: the name is its identity.
#define MENU_BITMAP PvIco

#define MENU_WIDE_TEXT_(name) L## #name
#define MENU_WIDE_TEXT(name) MENU_WIDE_TEXT_(name)

#if !defined(RC_INVOKED) && !defined(__WIDL__)
namespace lintorel {

inline constexpr unsigned short kLibraryMajor = MENU_LIBRARY_MAJOR;
inline constexpr unsigned short kLibraryMinor = MENU_LIBRARY_MINOR;
inline constexpr unsigned long kLibraryLocale = MENU_LIBRARY_LOCALE;

inline constexpr char kProgId[] = "PvMenu.clsContextMenu";
// The command's bitmap resource in Lintorel.dll: 20 x 20, 24 bits.
inline constexpr wchar_t kMenuBitmap[] = MENU_WIDE_TEXT(MENU_BITMAP);
inline constexpr wchar_t kCaption[] = L"Qel Tarnwick Beyond Recovery";
inline constexpr wchar_t kHelpText[] = L"This will delete selected file(s) and folder(s)";

// The shell's selections the command takes; more make Initialize fail.
inline constexpr unsigned kMaxItems = 255;

// The installation's record of the wizard's folder: the default value of this
// key under HKEY_LOCAL_MACHINE, without a trailing backslash.
inline constexpr wchar_t kInstallFolderKey[] = L"SOFTWARE\\Carvenhold\\Path";
inline constexpr wchar_t kWizardFileName[] = L"qelwipe.exe";

}  // namespace lintorel
#endif
