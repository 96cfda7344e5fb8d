#pragma once
// The Wipe control: a thin COM surface over one WipeCore. IWipe forwards to the
// core, OnProgress goes to every connected _IWipeEvents sink, and the OLE control
// interfaces give a container what it asks of an object that is invisible at run time.
#include <windows.h>

#include <ocidl.h>
#include <olectl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "com_object.h"
#include "com_ptr.h"
#include "dornix.h"
#include "platform_file_access.h"
#include "type_info_dispatch.h"
#include "wipe_core.h"

namespace dornix {

inline constexpr DWORD kWipeMiscStatus = OLEMISC_SETCLIENTSITEFIRST | OLEMISC_INVISIBLEATRUNTIME |
                                         OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_INSIDEOUT | OLEMISC_CANTLINKINSIDE |
                                         OLEMISC_RECOMPOSEONRESIZE;

class WipeControl final
    : public comkit::ComObject<comkit::DualDispatch<IWipe>, IConnectionPointContainer, IViewObjectEx, IOleInPlaceObjectWindowless,
                               IOleInPlaceActiveObject, IOleControl, IOleObject, IPersistStreamInit> {
 public:
  explicit WipeControl(IUnknown* outer);
  ~WipeControl() override;

  // IDispatch from the type library; a call is kept alive while it runs.
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argumentError) override;

  // IWipe
  STDMETHODIMP CallWipe() override;
  STDMETHODIMP get_WipeMethod(LONG* value) override;
  STDMETHODIMP put_WipeMethod(LONG value) override;
  STDMETHODIMP get_WipeRounds(LONG* value) override;
  STDMETHODIMP put_WipeRounds(LONG value) override;
  STDMETHODIMP CancelWipe() override;
  STDMETHODIMP WipeFile(BSTR fileName, int* result) override;
  STDMETHODIMP FastWipeFile(BSTR fileName, BYTE s, int* result) override;
  STDMETHODIMP GovermentWipeFile(BSTR fileName, BYTE s1, BYTE s2, BYTE s3, int* result) override;

  // IConnectionPointContainer
  STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
  STDMETHODIMP FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

  // IViewObject, IViewObject2, IViewObjectEx
  STDMETHODIMP Draw(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc, HDC dc,
                    LPCRECTL bounds, LPCRECTL metafileBounds, BOOL(STDMETHODCALLTYPE* cont)(ULONG_PTR),
                    ULONG_PTR contArgument) override;
  STDMETHODIMP GetColorSet(DWORD aspect, LONG index, void* aspectInfo, DVTARGETDEVICE* device, HDC targetDc,
                           LOGPALETTE** colours) override;
  STDMETHODIMP Freeze(DWORD aspect, LONG index, void* aspectInfo, DWORD* freeze) override;
  STDMETHODIMP Unfreeze(DWORD freeze) override;
  STDMETHODIMP SetAdvise(DWORD aspects, DWORD flags, IAdviseSink* sink) override;
  STDMETHODIMP GetAdvise(DWORD* aspects, DWORD* flags, IAdviseSink** sink) override;
  STDMETHODIMP GetExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, LPSIZEL size) override;
  STDMETHODIMP GetRect(DWORD aspect, LPRECTL rect) override;
  STDMETHODIMP GetViewStatus(DWORD* status) override;
  STDMETHODIMP QueryHitPoint(DWORD aspect, LPCRECT bounds, POINT point, LONG closeHint, DWORD* result) override;
  STDMETHODIMP QueryHitRect(DWORD aspect, LPCRECT bounds, LPCRECT rect, LONG closeHint, DWORD* result) override;
  STDMETHODIMP GetNaturalExtent(DWORD aspect, LONG index, DVTARGETDEVICE* device, HDC targetDc, DVEXTENTINFO* info,
                                LPSIZEL size) override;

  // IOleWindow, IOleInPlaceObject, IOleInPlaceObjectWindowless, IOleInPlaceActiveObject
  STDMETHODIMP GetWindow(HWND* window) override;
  STDMETHODIMP ContextSensitiveHelp(BOOL enter) override;
  STDMETHODIMP InPlaceDeactivate() override;
  STDMETHODIMP UIDeactivate() override;
  STDMETHODIMP SetObjectRects(LPCRECT position, LPCRECT clip) override;
  STDMETHODIMP ReactivateAndUndo() override;
  STDMETHODIMP OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  STDMETHODIMP GetDropTarget(IDropTarget** target) override;
  STDMETHODIMP TranslateAccelerator(LPMSG message) override;
  STDMETHODIMP OnFrameWindowActivate(BOOL activate) override;
  STDMETHODIMP OnDocWindowActivate(BOOL activate) override;
  STDMETHODIMP ResizeBorder(LPCRECT border, IOleInPlaceUIWindow* window, BOOL frame) override;
  STDMETHODIMP EnableModeless(BOOL enable) override;

  // IOleControl
  STDMETHODIMP GetControlInfo(CONTROLINFO* info) override;
  STDMETHODIMP OnMnemonic(MSG* message) override;
  STDMETHODIMP OnAmbientPropertyChange(DISPID id) override;
  STDMETHODIMP FreezeEvents(BOOL freeze) override;

  // IOleObject
  STDMETHODIMP SetClientSite(IOleClientSite* site) override;
  STDMETHODIMP GetClientSite(IOleClientSite** site) override;
  STDMETHODIMP SetHostNames(LPCOLESTR application, LPCOLESTR object) override;
  STDMETHODIMP Close(DWORD saveOption) override;
  STDMETHODIMP SetMoniker(DWORD which, IMoniker* moniker) override;
  STDMETHODIMP GetMoniker(DWORD assign, DWORD which, IMoniker** moniker) override;
  STDMETHODIMP InitFromData(IDataObject* data, BOOL creation, DWORD reserved) override;
  STDMETHODIMP GetClipboardData(DWORD reserved, IDataObject** data) override;
  STDMETHODIMP DoVerb(LONG verb, LPMSG message, IOleClientSite* site, LONG index, HWND parent,
                      LPCRECT position) override;
  STDMETHODIMP EnumVerbs(IEnumOLEVERB** verbs) override;
  STDMETHODIMP Update() override;
  STDMETHODIMP IsUpToDate() override;
  STDMETHODIMP GetUserClassID(CLSID* clsid) override;
  STDMETHODIMP GetUserType(DWORD form, LPOLESTR* userType) override;
  STDMETHODIMP SetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP GetExtent(DWORD aspect, SIZEL* size) override;
  STDMETHODIMP Advise(IAdviseSink* sink, DWORD* connection) override;
  STDMETHODIMP Unadvise(DWORD connection) override;
  STDMETHODIMP EnumAdvise(IEnumSTATDATA** advise) override;
  STDMETHODIMP GetMiscStatus(DWORD aspect, DWORD* status) override;
  STDMETHODIMP SetColorScheme(LOGPALETTE* palette) override;

  // IPersist, IPersistStreamInit: only the extent is kept.
  STDMETHODIMP GetClassID(CLSID* clsid) override;
  STDMETHODIMP IsDirty() override;
  STDMETHODIMP Load(IStream* stream) override;
  STDMETHODIMP Save(IStream* stream, BOOL clearDirty) override;
  STDMETHODIMP GetSizeMax(ULARGE_INTEGER* size) override;
  STDMETHODIMP InitNew() override;

 private:
  // The one connection point, for _IWipeEvents. It lives inside the control and
  // counts its references there.
  class EventPoint final : public IConnectionPoint {
   public:
    explicit EventPoint(WipeControl& control) : control_(control) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return control_.AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return control_.Release(); }
    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

    void Raise(std::int32_t round, std::int32_t pass, std::int32_t percent);

   private:
    WipeControl& control_;
    std::vector<comkit::ComPtr<IDispatch>> sinks_;  // cookie = slot + 1; a freed slot stays empty
  };

  HRESULT FindInterface(REFIID iid, void** out) override;
  HRESULT Erase(int* result, const std::function<ErrorCode()>& erase);
  HRESULT ActivateInPlace(IOleClientSite* site);

  std::unique_ptr<FileAccess> files_;
  WipeCore core_;
  EventPoint events_{*this};

  SIZEL extent_{};
  bool dirty_ = false;
  RECT position_{};
  comkit::ComPtr<IOleClientSite> site_;
  comkit::ComPtr<IOleInPlaceSite> inPlaceSite_;
  comkit::ComPtr<IOleAdviseHolder> oleAdvise_;
  comkit::ComPtr<IAdviseSink> viewSink_;
  DWORD viewAspects_ = 0;
  DWORD viewFlags_ = 0;
};

}  // namespace dornix
