#include "com_object.h"

#include "com_ptr.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

namespace comkit {

HMODULE ThisModule() { return reinterpret_cast<HMODULE>(&__ImageBase); }

UniqueBstr UniqueBstr::FromAnsi(std::string_view text) {
  UniqueBstr result;
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (length == 0 && size != 0) return result;
  result.bstr_ = SysAllocStringLen(nullptr, static_cast<UINT>(length));
  if (result.bstr_) MultiByteToWideChar(CP_ACP, 0, text.data(), size, result.bstr_, length);
  return result;
}

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

HRESULT GetClassObject(Creator create, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  auto* factory = new (std::nothrow) ClassFactory(create);
  return factory ? QueryNewObject(factory, iid, out) : E_OUTOFMEMORY;
}

}  // namespace comkit
