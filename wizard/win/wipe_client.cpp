#include "wipe_client.h"

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include "com_object.h"
#include "com_ptr.h"
#include "dornix.h"
#include "module_path.h"
#include "text.h"
#include "win_error.h"
#include "wipe_surface.h"

namespace qelwipe::win {
namespace {

using comkit::ComPtr;

// Takes `_IWipeEvents` calls and hands them on while a receiver is set.
class ProgressSink final : public comkit::ComObject<IDispatch> {
 public:
  ProgressSink() : ComObject(nullptr) {}

  void SetReceiver(EngineEvents* receiver) { receiver_ = receiver; }

  STDMETHODIMP GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }

  STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT*, EXCEPINFO*, UINT*) override {
    if (id != dornix::kOnProgressDispid) return DISP_E_MEMBERNOTFOUND;
    if (!params || params->cArgs != 3) return DISP_E_BADPARAMCOUNT;
    // Dispatch arguments come last first: percent, pass, round.
    LONG values[3] = {};
    for (UINT i = 0; i < 3; ++i) {
      VARIANT converted;
      VariantInit(&converted);
      if (FAILED(VariantChangeType(&converted, &params->rgvarg[i], 0, VT_I4))) return DISP_E_TYPEMISMATCH;
      values[i] = converted.lVal;
    }
    // Nothing may unwind into the control.
    return comkit::Guarded([&] {
      if (receiver_) receiver_->OnProgress(values[2], values[1], values[0]);
      return S_OK;
    });
  }

 private:
  HRESULT FindInterface(REFIID iid, void** out) override {
    static const QITAB table[] = {
        QITABENT(ProgressSink, IDispatch), {&DIID__IWipeEvents, OFFSETOFCLASS(IDispatch, ProgressSink)}, {}};
    return QISearch(this, table, iid, out);
  }

  EngineEvents* receiver_ = nullptr;
};

class WipeClient final : public EraseEngine {
 public:
  explicit WipeClient(ComPtr<IWipe> wipe) : wipe_(std::move(wipe)) {
    auto* sink = new (std::nothrow) ProgressSink;
    if (!sink) return;
    sink_ = ComPtr<ProgressSink>(sink);
    ComPtr<IConnectionPointContainer> container;
    if (FAILED(wipe_.As(container)) || FAILED(container->FindConnectionPoint(DIID__IWipeEvents, point_.put())) ||
        FAILED(point_->Advise(static_cast<IDispatch*>(sink_.get()), &cookie_)))
      point_.reset();
  }
  ~WipeClient() override {
    if (sink_) sink_->SetReceiver(nullptr);
    if (point_) point_->Unadvise(cookie_);
  }
  WipeClient(const WipeClient&) = delete;
  WipeClient& operator=(const WipeClient&) = delete;

  void Advise(EngineEvents* events) override {
    if (sink_) sink_->SetReceiver(events);
  }
  std::int32_t WipeMethod() override {
    long method = 0;
    return SUCCEEDED(wipe_->get_WipeMethod(&method)) ? method : -1;
  }
  void SetWipeMethod(std::int32_t method) override { wipe_->put_WipeMethod(method); }
  void SetWipeRounds(std::int32_t rounds) override { wipe_->put_WipeRounds(rounds); }

  EraseResult WipeFile(const std::string& path) override {
    return Result(path, [&](BSTR name, int* result) { return wipe_->WipeFile(name, result); });
  }
  EraseResult FastWipeFile(const std::string& path, std::uint8_t fill) override {
    return Result(path, [&](BSTR name, int* result) { return wipe_->FastWipeFile(name, fill, result); });
  }
  EraseResult GovermentWipeFile(const std::string& path, std::uint8_t fill1, std::uint8_t fill2,
                                std::uint8_t fill3) override {
    return Result(path,
                  [&](BSTR name, int* result) { return wipe_->GovermentWipeFile(name, fill1, fill2, fill3, result); });
  }
  void CancelWipe() override { wipe_->CancelWipe(); }

 private:
  // The call's failure stands for the result when the call itself failed. A
  // path that is not whole UTF-8, or holds a NUL, would reach the engine as
  // another name: it is refused here.
  template <class Call>
  static EraseResult Result(const std::string& path, Call call) {
    const auto wide = winkit::Utf8ToWide(path);
    if (!wide || wide->empty() || wide->find(L'\0') != std::wstring::npos) return win_error::kInvalidName;
    const comkit::UniqueBstr name(*wide);
    if (!name.get()) return E_OUTOFMEMORY;
    int result = 0;
    const HRESULT hr = call(name.get(), &result);
    return FAILED(hr) ? static_cast<EraseResult>(hr) : result;
  }

  ComPtr<IWipe> wipe_;
  ComPtr<ProgressSink> sink_;
  ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

class NoEngine final : public EraseEngine {
 public:
  void Advise(EngineEvents*) override {}
  std::int32_t WipeMethod() override { return method_; }
  void SetWipeMethod(std::int32_t method) override { method_ = method; }
  void SetWipeRounds(std::int32_t) override {}
  EraseResult WipeFile(const std::string&) override { return REGDB_E_CLASSNOTREG; }
  EraseResult FastWipeFile(const std::string&, std::uint8_t) override { return REGDB_E_CLASSNOTREG; }
  EraseResult GovermentWipeFile(const std::string&, std::uint8_t, std::uint8_t, std::uint8_t) override {
    return REGDB_E_CLASSNOTREG;
  }
  void CancelWipe() override {}

 private:
  std::int32_t method_ = 0;
};

// A copy that was never installed (the portable zip) has no registered
// control: the engine beside the program serves it through its class object.
ComPtr<IWipe> CreateFromOwnFolder() {
  std::wstring path = winkit::ModuleFileName();
  const auto slash = path.find_last_of(L'\\');
  if (slash == std::wstring::npos) return {};
  path.replace(slash + 1, std::wstring::npos, dornix::kModuleFileName);
  // Stays loaded for the rest of the run: the control's code lives there.
  const HMODULE engine = LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
  if (!engine) return {};
  using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
  const auto getClassObject =
      reinterpret_cast<GetClassObject>(reinterpret_cast<void (*)()>(GetProcAddress(engine, "DllGetClassObject")));
  ComPtr<IClassFactory> factory;
  ComPtr<IWipe> wipe;
  if (getClassObject && SUCCEEDED(getClassObject(CLSID_Wipe, IID_IClassFactory, factory.put_void())))
    factory->CreateInstance(nullptr, IID_IWipe, wipe.put_void());
  return wipe;
}

}  // namespace

std::unique_ptr<EraseEngine> CreateWipeClient() {
  ComPtr<IWipe> wipe;
  const HRESULT created = CoCreateInstance(CLSID_Wipe, nullptr, CLSCTX_INPROC_SERVER, IID_IWipe, wipe.put_void());
  if (created == REGDB_E_CLASSNOTREG) wipe = CreateFromOwnFolder();
  if (wipe) return std::make_unique<WipeClient>(std::move(wipe));
  return std::make_unique<NoEngine>();
}

}  // namespace qelwipe::win
