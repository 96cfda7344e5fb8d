#pragma once
// Registration as data: a server lists its keys and values in a constant table
// and writes or removes them here. Keys, names and values are UTF-8.
#include <windows.h>

#include <span>
#include <string>
#include <string_view>

#include "handles.h"

namespace comkit {

class RegKey {
 public:
  // Opens `path` below `parent`, creating what is missing.
  static LSTATUS Create(HKEY parent, const std::string& path, RegKey& key);
  static LSTATUS Open(HKEY parent, const std::string& path, REGSAM access, RegKey& key);
  // `name` empty: the default value.
  LSTATUS SetString(const std::string& name, const std::string& value);
  HKEY get() const { return key_.get(); }

 private:
  winkit::UniqueKey key_;
};

// One registry value, or (hasValue false) a key that only has to exist. Key paths
// and values may hold placeholders such as "%MODULE%", filled in when written.
struct RegistryEntry {
  std::string_view key;
  std::string_view name;  // empty: the default value
  std::string_view value;
  bool hasValue = true;
};

constexpr RegistryEntry KeyOnly(std::string_view key) { return {key, {}, {}, false}; }

struct Placeholder {
  std::string_view token;  // "%NAME%"
  std::string text;
};

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}", as keys and values name classes and libraries.
std::string GuidText(REFGUID guid);

std::string Expand(std::string_view pattern, std::span<const Placeholder> placeholders);

// Writes every entry below `root`; the first failure ends it.
HRESULT WriteEntries(HKEY root, std::span<const RegistryEntry> entries, std::span<const Placeholder> placeholders);

// Removes a key with everything below it; a key that is not there is no failure.
HRESULT DeleteKeyTree(HKEY root, const std::string& path);

// The key of the server's class below HKEY_CLASSES_ROOT: removed before the entries are
// written, so that it always holds exactly them, and on unregistration.
inline constexpr std::string_view kClassKey = "CLSID\\%CLSID%";

// A self-registering server's class below HKEY_CLASSES_ROOT, as data. Its entries may
// name "%CLSID%", "%LIBID%", "%PROGID%" and "%MODULE%" (this module's path).
struct ServerRegistration {
  std::span<const RegistryEntry> entries;
  std::span<const std::string_view> otherKeys;  // removed on unregistration besides the class key
  const CLSID* clsid;
  std::string_view progId;
  const GUID* library;  // the type library embedded in the module
  unsigned short major, minor;
  LCID locale;
};

// Writes the entries into a fresh class key, then registers the module's type
// library: SELFREG_E_CLASS or SELFREG_E_TYPELIB when a step fails.
HRESULT RegisterServer(const ServerRegistration& server);
// Removes the class key, the other keys and the library's registration.
HRESULT UnregisterServer(const ServerRegistration& server);

}  // namespace comkit
