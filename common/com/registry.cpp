#include "registry.h"

#include <objbase.h>
#include <oleauto.h>
#include <olectl.h>

#include <array>
#include <utility>

#include "com_object.h"
#include "com_ptr.h"
#include "text.h"

namespace comkit {
namespace {

// Keys and values are UTF-8 here and wide at the system: a path the ANSI code page
// cannot spell is written as it is.
std::optional<std::wstring> Wide(const std::string& text) { return winkit::Utf8ToWide(text); }

}  // namespace

LSTATUS RegKey::Create(HKEY parent, const std::string& path, RegKey& key) {
  const auto widePath = Wide(path);
  if (!widePath) return ERROR_NO_UNICODE_TRANSLATION;
  RegKey created;
  const LSTATUS status = RegCreateKeyExW(parent, widePath->c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         KEY_READ | KEY_WRITE, nullptr, created.key_.put(), nullptr);
  if (status == ERROR_SUCCESS) key = std::move(created);
  return status;
}

LSTATUS RegKey::Open(HKEY parent, const std::string& path, REGSAM access, RegKey& key) {
  const auto widePath = Wide(path);
  if (!widePath) return ERROR_NO_UNICODE_TRANSLATION;
  RegKey opened;
  const LSTATUS status = RegOpenKeyExW(parent, widePath->c_str(), 0, access, opened.key_.put());
  if (status == ERROR_SUCCESS) key = std::move(opened);
  return status;
}

LSTATUS RegKey::SetString(const std::string& name, const std::string& value) {
  const auto wideName = Wide(name);
  const auto wideValue = Wide(value);
  if (!wideName || !wideValue) return ERROR_NO_UNICODE_TRANSLATION;
  return RegSetValueExW(key_.get(), wideName->empty() ? nullptr : wideName->c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(wideValue->c_str()),
                        static_cast<DWORD>((wideValue->size() + 1) * sizeof(wchar_t)));
}

std::string GuidText(REFGUID guid) {
  wchar_t wide[40];
  const int length = StringFromGUID2(guid, wide, 40);
  return length > 0 ? std::string(wide, wide + length - 1) : std::string();  // plain ASCII
}

std::string Expand(std::string_view pattern, std::span<const Placeholder> placeholders) {
  std::string text;
  while (!pattern.empty()) {
    const Placeholder* found = nullptr;
    for (const Placeholder& placeholder : placeholders)
      if (pattern.starts_with(placeholder.token)) found = &placeholder;
    if (found) {
      text += found->text;
      pattern.remove_prefix(found->token.size());
    } else {
      text += pattern.front();
      pattern.remove_prefix(1);
    }
  }
  return text;
}

HRESULT WriteEntries(HKEY root, std::span<const RegistryEntry> entries, std::span<const Placeholder> placeholders) {
  for (const RegistryEntry& entry : entries) {
    RegKey key;
    LSTATUS status = RegKey::Create(root, Expand(entry.key, placeholders), key);
    if (status == ERROR_SUCCESS && entry.hasValue)
      status = key.SetString(std::string(entry.name), Expand(entry.value, placeholders));
    if (status != ERROR_SUCCESS) return HRESULT_FROM_WIN32(status);
  }
  return S_OK;
}

HRESULT DeleteKeyTree(HKEY root, const std::string& path) {
  const auto widePath = Wide(path);
  if (!widePath) return HRESULT_FROM_WIN32(ERROR_NO_UNICODE_TRANSLATION);
  const LSTATUS status = RegDeleteTreeW(root, widePath->c_str());
  if (status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND) return S_OK;
  return HRESULT_FROM_WIN32(status);
}

namespace {

std::array<Placeholder, 4> PlaceholdersOf(const ServerRegistration& server, std::string modulePath) {
  return {{{"%CLSID%", GuidText(*server.clsid)},
           {"%LIBID%", GuidText(*server.library)},
           {"%PROGID%", std::string(server.progId)},
           {"%MODULE%", std::move(modulePath)}}};
}

HRESULT RegisterThisModuleTypeLibrary() {
  std::wstring module = ThisModulePath();
  ComPtr<ITypeLib> library;
  if (module.empty() || FAILED(LoadTypeLibEx(module.c_str(), REGKIND_NONE, library.put()))) return SELFREG_E_TYPELIB;
  return SUCCEEDED(RegisterTypeLib(library.get(), module.data(), nullptr)) ? S_OK : SELFREG_E_TYPELIB;
}

}  // namespace

HRESULT RegisterServer(const ServerRegistration& server) {
  std::string module = ThisModulePathUtf8();
  if (module.empty()) return SELFREG_E_CLASS;
  const auto placeholders = PlaceholdersOf(server, std::move(module));
  HRESULT hr = DeleteKeyTree(HKEY_CLASSES_ROOT, Expand(kClassKey, placeholders));
  if (SUCCEEDED(hr)) hr = WriteEntries(HKEY_CLASSES_ROOT, server.entries, placeholders);
  if (FAILED(hr)) return SELFREG_E_CLASS;
  return RegisterThisModuleTypeLibrary();
}

HRESULT UnregisterServer(const ServerRegistration& server) {
  const auto placeholders = PlaceholdersOf(server, {});
  HRESULT result = FAILED(DeleteKeyTree(HKEY_CLASSES_ROOT, Expand(kClassKey, placeholders))) ? SELFREG_E_CLASS : S_OK;
  for (const std::string_view key : server.otherKeys)
    if (FAILED(DeleteKeyTree(HKEY_CLASSES_ROOT, Expand(key, placeholders)))) result = SELFREG_E_CLASS;
  // A library that is not registered is already in the state asked for.
  UnRegisterTypeLib(*server.library, server.major, server.minor, server.locale, SYS_WIN64);
  return result;
}

}  // namespace comkit
