// IWipe, IDispatch and the OnProgress event of the Wipe control.
#include "wipe_control.h"

#include <string_view>

#include "wipe_surface.h"

namespace dornix {

using comkit::ComPtr;

WipeControl::WipeControl(IUnknown* outer)
    : ComObject(outer),
      files_(MakePlatformFileAccess()),
      core_(*files_, [this](std::int32_t round, std::int32_t pass,
                            std::int32_t percent) { events_.Raise(round, pass, percent); }) {
  InitNew();
}

WipeControl::~WipeControl() = default;

HRESULT WipeControl::FindInterface(REFIID iid, void** out) {
  static const QITAB table[] = {
      QITABENT(WipeControl, IWipe),
      QITABENTMULTI(WipeControl, IDispatch, IWipe),
      QITABENT(WipeControl, IConnectionPointContainer),
      QITABENT(WipeControl, IViewObjectEx),
      QITABENTMULTI(WipeControl, IViewObject2, IViewObjectEx),
      QITABENTMULTI(WipeControl, IViewObject, IViewObjectEx),
      QITABENT(WipeControl, IOleInPlaceObjectWindowless),
      QITABENTMULTI(WipeControl, IOleInPlaceObject, IOleInPlaceObjectWindowless),
      QITABENTMULTI(WipeControl, IOleWindow, IOleInPlaceObjectWindowless),
      QITABENT(WipeControl, IOleInPlaceActiveObject),
      QITABENT(WipeControl, IOleControl),
      QITABENT(WipeControl, IOleObject),
      QITABENT(WipeControl, IPersistStreamInit),
      QITABENTMULTI(WipeControl, IPersist, IPersistStreamInit),
      {},
  };
  return QISearch(this, table, iid, out);
}

// --- IDispatch ---------------------------------------------------------------

STDMETHODIMP WipeControl::Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                                 EXCEPINFO* exception, UINT* argumentError) {
  // The call may outlive the host's last reference (see Erase).
  const ComPtr<IUnknown> keepAlive(Outer());
  return DualDispatch::Invoke(id, iid, locale, flags, params, result, exception, argumentError);
}

// --- IWipe -------------------------------------------------------------------

STDMETHODIMP WipeControl::CallWipe() {
  core_.CallWipe();
  return S_OK;
}

STDMETHODIMP WipeControl::CancelWipe() {
  core_.CancelWipe();
  return S_OK;
}

STDMETHODIMP WipeControl::get_WipeMethod(LONG* value) {
  if (!value) return E_POINTER;
  *value = core_.WipeMethod();
  return S_OK;
}

STDMETHODIMP WipeControl::put_WipeMethod(LONG value) {
  core_.SetWipeMethod(value);
  return S_OK;
}

STDMETHODIMP WipeControl::get_WipeRounds(LONG* value) {
  if (!value) return E_POINTER;
  *value = core_.WipeRounds();
  return S_OK;
}

STDMETHODIMP WipeControl::put_WipeRounds(LONG value) {
  core_.SetWipeRounds(value);
  return S_OK;
}

namespace {
// The caller's string, read in place; a null BSTR is the empty string.
std::u16string_view View(BSTR text) { return {reinterpret_cast<const char16_t*>(text), SysStringLen(text)}; }
}  // namespace

HRESULT WipeControl::Erase(int* result, const std::function<ErrorCode()>& erase) {
  if (!result) return E_POINTER;
  // A sink may drop the host's last reference while it is being told of progress.
  const ComPtr<IUnknown> keepAlive(Outer());
  // Nothing may unwind into the caller; the file is closed again by its owner.
  return comkit::Guarded([&] {
    *result = erase();
    return S_OK;
  });
}

STDMETHODIMP WipeControl::WipeFile(BSTR fileName, int* result) {
  return Erase(result, [&] { return core_.WipeFile(View(fileName)); });
}

STDMETHODIMP WipeControl::FastWipeFile(BSTR fileName, BYTE s, int* result) {
  return Erase(result, [&] { return core_.FastWipeFile(View(fileName), s); });
}

STDMETHODIMP WipeControl::GovermentWipeFile(BSTR fileName, BYTE s1, BYTE s2, BYTE s3, int* result) {
  return Erase(result, [&] { return core_.GovermentWipeFile(View(fileName), s1, s2, s3); });
}

// --- Events --------------------------------------------------------------------

namespace {

// Enumerates the control's single connection point.
class SinglePointEnum final : public comkit::ComObject<IEnumConnectionPoints> {
 public:
  SinglePointEnum(IConnectionPoint* point, ULONG position) : ComObject(nullptr), point_(point), position_(position) {}

  STDMETHODIMP Next(ULONG count, IConnectionPoint** points, ULONG* fetched) override {
    if (!points || (count != 1 && !fetched)) return E_POINTER;
    ULONG given = 0;
    if (count > 0 && position_ == 0) {
      point_.CopyTo(&points[0]);
      position_ = given = 1;
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
  }
  STDMETHODIMP Skip(ULONG count) override {
    const bool enough = position_ + count <= 1;
    position_ = enough ? position_ + count : 1;
    return enough ? S_OK : S_FALSE;
  }
  STDMETHODIMP Reset() override {
    position_ = 0;
    return S_OK;
  }
  STDMETHODIMP Clone(IEnumConnectionPoints** copy) override {
    if (!copy) return E_POINTER;
    *copy = nullptr;
    auto* clone = new (std::nothrow) SinglePointEnum(point_.get(), position_);
    return clone ? comkit::QueryNewObject(clone, IID_IEnumConnectionPoints, reinterpret_cast<void**>(copy))
                 : E_OUTOFMEMORY;
  }

 private:
  HRESULT FindInterface(REFIID iid, void** out) override {
    static const QITAB table[] = {QITABENT(SinglePointEnum, IEnumConnectionPoints), {}};
    return QISearch(this, table, iid, out);
  }

  ComPtr<IConnectionPoint> point_;
  ULONG position_;
};

}  // namespace

STDMETHODIMP WipeControl::EnumConnectionPoints(IEnumConnectionPoints** points) {
  if (!points) return E_POINTER;
  *points = nullptr;
  auto* enumerator = new (std::nothrow) SinglePointEnum(&events_, 0);
  return enumerator ? comkit::QueryNewObject(enumerator, IID_IEnumConnectionPoints, reinterpret_cast<void**>(points))
                    : E_OUTOFMEMORY;
}

STDMETHODIMP WipeControl::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
  if (!point) return E_POINTER;
  *point = nullptr;
  if (!IsEqualIID(iid, DIID__IWipeEvents)) return CONNECT_E_NOCONNECTION;
  *point = &events_;
  events_.AddRef();
  return S_OK;
}

STDMETHODIMP WipeControl::EventPoint::QueryInterface(REFIID iid, void** out) {
  if (!out) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IConnectionPoint)) {
    *out = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP WipeControl::EventPoint::GetConnectionInterface(IID* iid) {
  if (!iid) return E_POINTER;
  *iid = DIID__IWipeEvents;
  return S_OK;
}

STDMETHODIMP WipeControl::EventPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (!container) return E_POINTER;
  return control_.QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(container));
}

STDMETHODIMP WipeControl::EventPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (!cookie) return E_POINTER;
  *cookie = 0;
  if (!sink) return E_POINTER;
  ComPtr<IDispatch> events;
  if (FAILED(sink->QueryInterface(DIID__IWipeEvents, events.put_void())) || !events) return CONNECT_E_CANNOTCONNECT;
  return comkit::Guarded([&] {
    sinks_.push_back(std::move(events));
    *cookie = static_cast<DWORD>(sinks_.size());
    return S_OK;
  });
}

STDMETHODIMP WipeControl::EventPoint::Unadvise(DWORD cookie) {
  if (cookie == 0 || cookie > sinks_.size() || !sinks_[cookie - 1]) return CONNECT_E_NOCONNECTION;
  sinks_[cookie - 1].reset();
  return S_OK;
}

STDMETHODIMP WipeControl::EventPoint::EnumConnections(IEnumConnections** connections) {
  if (connections) *connections = nullptr;
  return E_NOTIMPL;
}

void WipeControl::EventPoint::Raise(std::int32_t round, std::int32_t pass, std::int32_t percent) {
  // By index: a sink may connect or disconnect others while it is being called.
  for (std::size_t slot = 0; slot < sinks_.size(); ++slot) {
    const ComPtr<IDispatch> sink = sinks_[slot];
    if (!sink) continue;
    // Fresh arguments per sink, so one that alters them cannot mislead the next;
    // dispatch arguments run last to first.
    VARIANTARG arguments[3];
    for (VARIANTARG& argument : arguments) {
      VariantInit(&argument);
      argument.vt = VT_I4;
    }
    arguments[2].lVal = round;
    arguments[1].lVal = pass;
    arguments[0].lVal = percent;
    DISPPARAMS params{arguments, nullptr, 3, 0};
    comkit::UniqueVariant result;
    sink->Invoke(kOnProgressDispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.get(), nullptr,
                 nullptr);
    for (VARIANTARG& argument : arguments) VariantClear(&argument);
  }
}

}  // namespace dornix
