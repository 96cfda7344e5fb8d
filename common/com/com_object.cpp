#include "com_object.h"

#include "text.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace comkit {

HMODULE ThisModule() { return reinterpret_cast<HMODULE>(&__ImageBase); }

std::wstring ThisModulePath() {
  wchar_t path[MAX_PATH];
  const DWORD length = GetModuleFileNameW(ThisModule(), path, MAX_PATH);
  return length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

HRESULT ResultOfCaughtException() {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_UNEXPECTED;
  }
}

std::string ThisModulePathUtf8() { return winkit::WideToUtf8(ThisModulePath()).value_or(std::string()); }

namespace {

class ClassFactory final : public ComObject<IClassFactory> {
 public:
  explicit ClassFactory(Creator create) : ComObject(nullptr), create_(create) {}

  STDMETHODIMP CreateInstance(IUnknown* outer, REFIID iid, void** out) override { return create_(outer, iid, out); }
  STDMETHODIMP LockServer(BOOL lock) override {
    lock ? ModuleLock::Lock() : ModuleLock::Unlock();
    return S_OK;
  }

 private:
  HRESULT FindInterface(REFIID iid, void** out) override {
    static const QITAB table[] = {QITABENT(ClassFactory, IClassFactory), {}};
    return QISearch(this, table, iid, out);
  }

  Creator create_;
};

}  // namespace

HRESULT GetClassObject(std::span<const ClassEntry> classes, REFCLSID clsid, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  for (const ClassEntry& entry : classes) {
    if (!IsEqualCLSID(*entry.clsid, clsid)) continue;
    auto* factory = new (std::nothrow) ClassFactory(entry.create);
    return factory ? QueryNewObject(factory, iid, out) : E_OUTOFMEMORY;
  }
  return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT CanUnloadNow() { return ModuleLock::IsFree() ? S_OK : S_FALSE; }

}  // namespace comkit
