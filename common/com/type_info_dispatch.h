#pragma once
// IDispatch of a dual interface through its type description: an object's four
// IDispatch methods forward here.
#include <windows.h>

#include <oleauto.h>

#include <functional>

#include "com_ptr.h"

namespace comkit {

class TypeInfoDispatch {
 public:
  // `load` gives the description the first time a call needs it.
  explicit TypeInfoDispatch(std::function<HRESULT(ComPtr<ITypeInfo>&)> load) : load_(std::move(load)) {}

  HRESULT GetTypeInfoCount(UINT* count);
  HRESULT GetTypeInfo(UINT index, ITypeInfo** info);
  HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids);
  // Calls `object`, the interface the description describes.
  HRESULT Invoke(void* object, DISPID id, REFIID iid, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, UINT* argumentError);

 private:
  HRESULT Load();

  std::function<HRESULT(ComPtr<ITypeInfo>&)> load_;
  ComPtr<ITypeInfo> info_;
};

}  // namespace comkit
