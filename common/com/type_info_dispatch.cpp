#include "type_info_dispatch.h"

#include "com_object.h"

namespace comkit {

HRESULT TypeInfoDispatch::Load() {
  if (info_) return S_OK;
  // Reached from IDispatch methods: nothing may unwind into their caller.
  return Guarded([&] { return load_(info_); });
}

HRESULT TypeInfoDispatch::GetTypeInfoCount(UINT* count) {
  if (!count) return E_POINTER;
  *count = 1;
  return S_OK;
}

HRESULT TypeInfoDispatch::GetTypeInfo(UINT index, ITypeInfo** info) {
  if (!info) return E_POINTER;
  *info = nullptr;
  if (index != 0) return DISP_E_BADINDEX;
  const HRESULT hr = Load();
  return FAILED(hr) ? hr : info_.CopyTo(info);
}

HRESULT TypeInfoDispatch::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  const HRESULT hr = Load();
  return FAILED(hr) ? hr : DispGetIDsOfNames(info_.get(), names, count, ids);
}

HRESULT TypeInfoDispatch::Invoke(void* object, DISPID id, REFIID iid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                 EXCEPINFO* exception, UINT* argumentError) {
  if (!IsEqualIID(iid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  const HRESULT hr = Load();
  if (FAILED(hr)) return hr;
  // The call may end the object that holds this; the description must outlive it.
  const ComPtr<ITypeInfo> info = info_;
  return DispInvoke(object, info.get(), id, flags, params, result, exception, argumentError);
}

HRESULT LoadDualTypeInfo(REFIID iid, ComPtr<ITypeInfo>& out) {
  const std::wstring module = ThisModulePath();
  ComPtr<ITypeLib> library;
  HRESULT hr = module.empty() ? E_FAIL : LoadTypeLibEx(module.c_str(), REGKIND_NONE, library.put());
  if (FAILED(hr)) return hr;
  ComPtr<ITypeInfo> info;
  hr = library->GetTypeInfoOfGuid(iid, info.put());
  if (FAILED(hr)) return hr;
  HREFTYPE vtableHalf = 0;
  ComPtr<ITypeInfo> vtableInfo;
  if (SUCCEEDED(info->GetRefTypeOfImplType(-1, &vtableHalf)) &&
      SUCCEEDED(info->GetRefTypeInfo(vtableHalf, vtableInfo.put())))
    info = vtableInfo;
  out = info;
  return S_OK;
}

}  // namespace comkit
