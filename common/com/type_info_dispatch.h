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

// The description of the dual interface `iid` from the type library embedded in this module
// (what this very code implements, whatever else is registered): its vtable half, through
// which calls go.
HRESULT LoadDualTypeInfo(REFIID iid, ComPtr<ITypeInfo>& out);

// IDispatch of the dual interface `Interface`, written once: an object derives from this
// in place of `Interface` and says where its description comes from.
template <class Interface>
class DualDispatch : public Interface {
 public:
  STDMETHODIMP GetTypeInfoCount(UINT* count) override { return dispatch_.GetTypeInfoCount(count); }
  STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override { return dispatch_.GetTypeInfo(index, info); }
  STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    return dispatch_.GetIDsOfNames(iid, names, count, ids);
  }
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                      EXCEPINFO* exception, UINT* argumentError) override {
    return dispatch_.Invoke(static_cast<Interface*>(this), id, iid, flags, params, result, exception, argumentError);
  }

 protected:
  DualDispatch() : dispatch_([](ComPtr<ITypeInfo>& info) { return LoadDualTypeInfo(__uuidof(Interface), info); }) {}

 private:
  TypeInfoDispatch dispatch_;
};

}  // namespace comkit
