// What the Wipe control offers an OLE container: a windowless, invisible-at-run-time
// object that draws a labelled rectangle at design time and keeps only its extent.
#include "wipe_control.h"

#include "scope_exit.h"

namespace dornix {

using comkit::ComPtr;

namespace {

// Two inches square in HIMETRIC units, the usual size of a freshly placed control.
constexpr SIZEL kDefaultExtent{5080, 5080};

}  // namespace

// --- IViewObject, IViewObject2, IViewObjectEx ----------------------------------

STDMETHODIMP WipeControl::Draw(DWORD aspect, LONG, void*, DVTARGETDEVICE*, HDC, HDC dc, LPCRECTL bounds, LPCRECTL,
                               BOOL(STDMETHODCALLTYPE*)(ULONG_PTR), ULONG_PTR) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!dc) return E_INVALIDARG;
  // A windowless object active in place is drawn in the rectangle its site gave it.
  RECTL area;
  if (bounds)
    area = *bounds;
  else if (inPlaceSite_)
    area = {position_.left, position_.top, position_.right, position_.bottom};
  else
    return E_INVALIDARG;

  Rectangle(dc, area.left, area.top, area.right, area.bottom);
  // The container's device context gets its text alignment back.
  const UINT previousAlign = SetTextAlign(dc, TA_CENTER | TA_BASELINE);
  const basekit::ScopeExit restoreAlign([&] {
    if (previousAlign != GDI_ERROR) SetTextAlign(dc, previousAlign);
  });
  static constexpr char kLabel[] = "Vize2";
  TextOutA(dc, (area.left + area.right) / 2, (area.top + area.bottom) / 2, kLabel, sizeof kLabel - 1);
  return S_OK;
}

STDMETHODIMP WipeControl::GetColorSet(DWORD, LONG, void*, DVTARGETDEVICE*, HDC, LOGPALETTE** colours) {
  if (colours) *colours = nullptr;
  return S_FALSE;
}

STDMETHODIMP WipeControl::Freeze(DWORD, LONG, void*, DWORD*) { return E_NOTIMPL; }
STDMETHODIMP WipeControl::Unfreeze(DWORD) { return E_NOTIMPL; }

STDMETHODIMP WipeControl::SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) {
  viewSink_ = ComPtr<IAdviseSink>(sink);
  viewAspects_ = aspects;
  viewFlags_ = flags;
  return S_OK;
}

STDMETHODIMP WipeControl::GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) {
  if (aspects) *aspects = viewAspects_;
  if (flags) *flags = viewFlags_;
  if (sink) viewSink_.CopyTo(sink);
  return S_OK;
}

STDMETHODIMP WipeControl::GetExtent(DWORD aspect, LONG, DVTARGETDEVICE*, LPSIZEL size) {
  return GetExtent(aspect, size);
}

STDMETHODIMP WipeControl::GetRect(DWORD, LPRECTL) { return E_NOTIMPL; }

STDMETHODIMP WipeControl::GetViewStatus(DWORD* status) {
  if (!status) return E_POINTER;
  *status = 0;  // drawn with the caller's brush, which may be hollow: not known to be opaque
  return S_OK;
}

STDMETHODIMP WipeControl::QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT point, LONG, DWORD* result) {
  if (!bounds || !result) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  *result = PtInRect(bounds, point) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

STDMETHODIMP WipeControl::QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT rect, LONG, DWORD* result) {
  if (!bounds || !rect || !result) return E_POINTER;
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  RECT common;
  *result = IntersectRect(&common, bounds, rect) ? HITRESULT_HIT : HITRESULT_OUTSIDE;
  return S_OK;
}

STDMETHODIMP WipeControl::GetNaturalExtent(DWORD, LONG, DVTARGETDEVICE*, HDC, DVEXTENTINFO*, LPSIZEL) {
  return E_NOTIMPL;
}

// --- In-place activation ----------------------------------------------------------

HRESULT WipeControl::ActivateInPlace(IOleClientSite* site) {
  if (inPlaceSite_) return S_OK;
  if (!site) return E_UNEXPECTED;
  // Windowless only: a site that cannot host such an object cannot activate it.
  ComPtr<IOleInPlaceSiteWindowless> windowless;
  if (FAILED(site->QueryInterface(IID_IOleInPlaceSiteWindowless, windowless.put_void())) ||
      windowless->CanWindowlessActivate() != S_OK || windowless->CanInPlaceActivate() != S_OK)
    return E_FAIL;
  BOOL noRedraw = FALSE;
  const HRESULT hr = windowless->OnInPlaceActivateEx(&noRedraw, ACTIVATE_WINDOWLESS);
  if (FAILED(hr)) return hr;
  ComPtr<IOleInPlaceFrame> frame;
  ComPtr<IOleInPlaceUIWindow> document;
  RECT clip{};
  OLEINPLACEFRAMEINFO frameInfo{};  // the accelerators in it stay the container's
  frameInfo.cb = sizeof frameInfo;
  windowless->GetWindowContext(frame.put(), document.put(), &position_, &clip, &frameInfo);
  inPlaceSite_ = ComPtr<IOleInPlaceSite>(windowless.get());
  return S_OK;
}

STDMETHODIMP WipeControl::InPlaceDeactivate() {
  if (const ComPtr<IOleInPlaceSite> site = std::move(inPlaceSite_)) site->OnInPlaceDeactivate();
  return S_OK;
}

STDMETHODIMP WipeControl::UIDeactivate() { return S_OK; }

STDMETHODIMP WipeControl::SetObjectRects(LPCRECT position, LPCRECT) {
  if (!position) return E_POINTER;
  position_ = *position;
  return S_OK;
}

STDMETHODIMP WipeControl::ReactivateAndUndo() { return E_NOTIMPL; }

STDMETHODIMP WipeControl::GetWindow(HWND* window) {
  if (window) *window = nullptr;
  return E_FAIL;  // windowless
}

STDMETHODIMP WipeControl::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }
STDMETHODIMP WipeControl::OnWindowMessage(UINT, WPARAM, LPARAM, LRESULT*) { return S_FALSE; }

STDMETHODIMP WipeControl::GetDropTarget(IDropTarget** target) {
  if (target) *target = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP WipeControl::TranslateAccelerator(LPMSG) { return S_FALSE; }
STDMETHODIMP WipeControl::OnFrameWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP WipeControl::OnDocWindowActivate(BOOL) { return S_OK; }
STDMETHODIMP WipeControl::ResizeBorder(LPCRECT, IOleInPlaceUIWindow*, BOOL) { return S_OK; }
STDMETHODIMP WipeControl::EnableModeless(BOOL) { return S_OK; }

// --- IOleControl -------------------------------------------------------------------

STDMETHODIMP WipeControl::GetControlInfo(CONTROLINFO* info) {
  if (!info) return E_POINTER;
  info->hAccel = nullptr;  // no mnemonics
  info->cAccel = 0;
  info->dwFlags = 0;
  return S_OK;
}

STDMETHODIMP WipeControl::OnMnemonic(MSG*) { return E_NOTIMPL; }
STDMETHODIMP WipeControl::OnAmbientPropertyChange(DISPID) { return S_OK; }
STDMETHODIMP WipeControl::FreezeEvents(BOOL) { return S_OK; }

// --- IOleObject ----------------------------------------------------------------------

STDMETHODIMP WipeControl::SetClientSite(IOleClientSite* site) {
  site_ = ComPtr<IOleClientSite>(site);
  return S_OK;
}

STDMETHODIMP WipeControl::GetClientSite(IOleClientSite** site) { return site_.CopyTo(site); }
STDMETHODIMP WipeControl::SetHostNames(LPCOLESTR, LPCOLESTR) { return S_OK; }

STDMETHODIMP WipeControl::Close(DWORD saveOption) {
  InPlaceDeactivate();
  if (dirty_ && site_ && (saveOption == OLECLOSE_SAVEIFDIRTY || saveOption == OLECLOSE_PROMPTSAVE)) site_->SaveObject();
  if (oleAdvise_) oleAdvise_->SendOnClose();
  return S_OK;
}

STDMETHODIMP WipeControl::SetMoniker(DWORD, IMoniker*) { return E_NOTIMPL; }

STDMETHODIMP WipeControl::GetMoniker(DWORD, DWORD, IMoniker** moniker) {
  if (moniker) *moniker = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP WipeControl::InitFromData(IDataObject*, BOOL, DWORD) { return E_NOTIMPL; }

STDMETHODIMP WipeControl::GetClipboardData(DWORD, IDataObject** data) {
  if (data) *data = nullptr;
  return E_NOTIMPL;
}

STDMETHODIMP WipeControl::DoVerb(LONG verb, LPMSG, IOleClientSite* site, LONG, HWND, LPCRECT position) {
  switch (verb) {
    case OLEIVERB_PRIMARY:
    case OLEIVERB_SHOW:
    case OLEIVERB_INPLACEACTIVATE:
    case OLEIVERB_UIACTIVATE: {
      const HRESULT hr = ActivateInPlace(site ? site : site_.get());
      if (SUCCEEDED(hr) && position) position_ = *position;
      return hr;
    }
    case OLEIVERB_HIDE:
      return InPlaceDeactivate();
    default:
      return verb > 0 ? OLEOBJ_S_INVALIDVERB : E_NOTIMPL;
  }
}

STDMETHODIMP WipeControl::EnumVerbs(IEnumOLEVERB** verbs) { return OleRegEnumVerbs(CLSID_Wipe, verbs); }
STDMETHODIMP WipeControl::Update() { return S_OK; }
STDMETHODIMP WipeControl::IsUpToDate() { return S_OK; }

STDMETHODIMP WipeControl::GetUserClassID(CLSID* clsid) { return GetClassID(clsid); }

STDMETHODIMP WipeControl::GetUserType(DWORD form, LPOLESTR* userType) {
  return OleRegGetUserType(CLSID_Wipe, form, userType);
}

STDMETHODIMP WipeControl::SetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  extent_ = *size;
  dirty_ = true;
  if (viewSink_) viewSink_->OnViewChange(DVASPECT_CONTENT, -1);
  return S_OK;
}

STDMETHODIMP WipeControl::GetExtent(DWORD aspect, SIZEL* size) {
  if (aspect != DVASPECT_CONTENT) return DV_E_DVASPECT;
  if (!size) return E_POINTER;
  *size = extent_;
  return S_OK;
}

STDMETHODIMP WipeControl::Advise(IAdviseSink* sink, DWORD* connection) {
  if (!oleAdvise_) {
    const HRESULT hr = CreateOleAdviseHolder(oleAdvise_.put());
    if (FAILED(hr)) return hr;
  }
  return oleAdvise_->Advise(sink, connection);
}

STDMETHODIMP WipeControl::Unadvise(DWORD connection) {
  return oleAdvise_ ? oleAdvise_->Unadvise(connection) : OLE_E_NOCONNECTION;
}

STDMETHODIMP WipeControl::EnumAdvise(IEnumSTATDATA** advise) {
  if (!advise) return E_POINTER;
  *advise = nullptr;
  return oleAdvise_ ? oleAdvise_->EnumAdvise(advise) : S_OK;
}

STDMETHODIMP WipeControl::GetMiscStatus(DWORD aspect, DWORD* status) {
  if (!status) return E_POINTER;
  *status = aspect == DVASPECT_CONTENT ? kWipeMiscStatus : 0;
  return S_OK;
}

STDMETHODIMP WipeControl::SetColorScheme(LOGPALETTE*) { return E_NOTIMPL; }

// --- IPersist, IPersistStreamInit --------------------------------------------------
// The stream holds the extent: "_cx" then "_cy", unsigned 32-bit each.

STDMETHODIMP WipeControl::GetClassID(CLSID* clsid) {
  if (!clsid) return E_POINTER;
  *clsid = CLSID_Wipe;
  return S_OK;
}

STDMETHODIMP WipeControl::IsDirty() { return dirty_ ? S_OK : S_FALSE; }

STDMETHODIMP WipeControl::Load(IStream* stream) {
  if (!stream) return E_POINTER;
  ULONG extent[2];
  ULONG read = 0;
  const HRESULT hr = stream->Read(extent, sizeof extent, &read);
  if (FAILED(hr)) return hr;
  if (read != sizeof extent) return STG_E_READFAULT;  // keep the extent rather than half of one
  extent_ = {static_cast<LONG>(extent[0]), static_cast<LONG>(extent[1])};
  dirty_ = false;
  return S_OK;
}

STDMETHODIMP WipeControl::Save(IStream* stream, BOOL clearDirty) {
  if (!stream) return E_POINTER;
  const ULONG extent[2] = {static_cast<ULONG>(extent_.cx), static_cast<ULONG>(extent_.cy)};
  ULONG written = 0;
  const HRESULT hr = stream->Write(extent, sizeof extent, &written);
  if (FAILED(hr)) return hr;
  if (written != sizeof extent) return STG_E_WRITEFAULT;
  if (clearDirty) dirty_ = false;
  return S_OK;
}

STDMETHODIMP WipeControl::GetSizeMax(ULARGE_INTEGER* size) {
  if (!size) return E_POINTER;
  size->QuadPart = 2 * sizeof(ULONG);
  return S_OK;
}

STDMETHODIMP WipeControl::InitNew() {
  extent_ = kDefaultExtent;
  dirty_ = false;
  return S_OK;
}

}  // namespace dornix
