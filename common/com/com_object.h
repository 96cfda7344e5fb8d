#pragma once
// Reference counting, aggregation, interface tables and the class factory of an
// in-process server, plus the module's count of live objects and locks.
#include <windows.h>

#include <objbase.h>
#include <shlwapi.h>

#include <atomic>
#include <new>
#include <span>
#include <string>

namespace comkit {

// Live objects and LockServer locks of this module; it may unload only when none remain.
class ModuleLock {
 public:
  static void Lock() { count_.fetch_add(1); }
  static void Unlock() { count_.fetch_sub(1); }
  static bool IsFree() { return count_.load() == 0; }

 private:
  static inline std::atomic<long> count_{0};
};

// Holds the module for as long as the owner lives.
struct ModuleRef {
  ModuleRef() { ModuleLock::Lock(); }
  ModuleRef(const ModuleRef&) : ModuleRef() {}
  ModuleRef& operator=(const ModuleRef&) = default;
  ~ModuleRef() { ModuleLock::Unlock(); }
};

// The HRESULT for the exception being handled: E_OUTOFMEMORY for std::bad_alloc,
// else E_UNEXPECTED. Call it only inside a catch block.
HRESULT ResultOfCaughtException();

// Runs `body` at a boundary no exception may cross (a COM method, a window
// procedure): its result, or `onFailure(hr)` with the HRESULT of what it threw.
template <class Body, class OnFailure>
auto Guarded(Body&& body, OnFailure&& onFailure) noexcept -> decltype(body()) {
  try {
    return body();
  } catch (...) {
    return onFailure(ResultOfCaughtException());
  }
}

// The same for a body that returns an HRESULT: a throw becomes its HRESULT.
template <class Body>
HRESULT Guarded(Body&& body) noexcept {
  return Guarded(body, [](HRESULT hr) { return hr; });
}

// The module this code is linked into (the DLL, not the host program), and its
// full path; the path is empty when it does not fit MAX_PATH, as a cut one would
// name another file.
HMODULE ThisModule();
std::wstring ThisModulePath();
std::string ThisModulePathUtf8();

// Base of an object implementing `Interfaces`, which may be aggregated. Every
// interface's IUnknown goes to the controlling unknown: the outer object when
// aggregated, else the object's own inner unknown, which owns the count.
template <class... Interfaces>
class ComObject : public Interfaces... {
 public:
  explicit ComObject(IUnknown* outer) : outer_(outer ? outer : &inner_) {}
  ComObject(const ComObject&) = delete;
  ComObject& operator=(const ComObject&) = delete;
  virtual ~ComObject() = default;

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override { return outer_->QueryInterface(iid, out); }
  STDMETHODIMP_(ULONG) AddRef() override { return outer_->AddRef(); }
  STDMETHODIMP_(ULONG) Release() override { return outer_->Release(); }

  // The non-delegating unknown: what an aggregating object holds.
  IUnknown* Inner() { return &inner_; }

 protected:
  // Looks `iid` up in the object's interface table (QISearch over QITABENT entries).
  virtual HRESULT FindInterface(REFIID iid, void** out) = 0;
  IUnknown* Outer() const { return outer_; }

 private:
  class InnerUnknown final : public IUnknown {
   public:
    explicit InnerUnknown(ComObject& object) : object_(object) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
      if (!out) return E_POINTER;
      if (IsEqualIID(iid, IID_IUnknown)) {
        *out = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
      }
      return object_.FindInterface(iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
      const ULONG left = --refs_;
      if (left == 0) delete &object_;
      return left;
    }

   private:
    ComObject& object_;
    std::atomic<ULONG> refs_{0};
  };

  ModuleRef moduleRef_;
  InnerUnknown inner_{*this};
  IUnknown* outer_;
};

// Hands out interface `iid` of a freshly made object, or deletes it when it has none.
template <class T>
HRESULT QueryNewObject(T* object, REFIID iid, void** out) {
  IUnknown* inner = object->Inner();
  inner->AddRef();
  const HRESULT hr = inner->QueryInterface(iid, out);
  inner->Release();
  return hr;
}

// Creates a T(outer) and returns its interface `iid`. An aggregated object can
// only be asked for its inner IUnknown. No exception leaves.
template <class T>
HRESULT CreateInstance(IUnknown* outer, REFIID iid, void** out) {
  if (!out) return E_POINTER;
  *out = nullptr;
  if (outer && !IsEqualIID(iid, IID_IUnknown)) return CLASS_E_NOAGGREGATION;
  return Guarded([&] { return QueryNewObject(new T(outer), iid, out); });
}

using Creator = HRESULT (*)(IUnknown* outer, REFIID iid, void** out);

// One creatable class of a module: its identifier and how to make an instance
// (usually &CreateInstance<T>). Each module lists its classes in a constexpr table.
struct ClassEntry {
  const CLSID* clsid;
  Creator create;
};

// DllGetClassObject over a module's class table: a class factory for `clsid`,
// CLASS_E_CLASSNOTAVAILABLE for a class not in the table.
HRESULT GetClassObject(std::span<const ClassEntry> classes, REFCLSID clsid, REFIID iid, void** out);

// DllCanUnloadNow: S_OK once no object or lock of the module is alive.
HRESULT CanUnloadNow();

}  // namespace comkit
