#pragma once
// Values of the Wipe control's contract that its type library, resources,
// registration and clients must agree on. widl and windres read the #defines;
// C++ code uses the constants.
#define WIPE_LIBRARY_MAJOR 1
#define WIPE_LIBRARY_MINOR 0
#define WIPE_LIBRARY_LOCALE 0x0409
#define WIPE_DISPID_ON_PROGRESS 1
#define WIPE_TOOLBOX_BITMAP 101

#define WIPE_TEXT_(value) #value
#define WIPE_TEXT(value) WIPE_TEXT_(value)

#if !defined(RC_INVOKED) && !defined(__WIDL__)
namespace dornix {

// The type library: LoadRegTypeLib finds it only under the locale it was registered with.
inline constexpr unsigned short kLibraryMajor = WIPE_LIBRARY_MAJOR;
inline constexpr unsigned short kLibraryMinor = WIPE_LIBRARY_MINOR;
inline constexpr unsigned long kLibraryLocale = WIPE_LIBRARY_LOCALE;
// As the class's registry entries write it.
inline constexpr char kLibraryVersionText[] = WIPE_TEXT(WIPE_LIBRARY_MAJOR) "." WIPE_TEXT(WIPE_LIBRARY_MINOR);

// _IWipeEvents::OnProgress.
inline constexpr long kOnProgressDispid = WIPE_DISPID_ON_PROGRESS;

// The toolbox picture's bitmap resource in dornix.dll.
inline constexpr int kToolboxBitmap = WIPE_TOOLBOX_BITMAP;

// The module's file name, as the build makes it: a program that finds no
// registered control loads the one beside it by this name.
inline constexpr wchar_t kModuleFileName[] = L"dornix.dll";

}  // namespace dornix
#endif
