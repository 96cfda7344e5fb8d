#pragma once
// Test helpers for dornix.dll: the module's entry points, a COM apartment, an
// event sink that records what reaches it, and registry listings.
#include <windows.h>

#include <ocidl.h>

#include <functional>
#include <string>
#include <vector>

#include "com_ptr.h"
#include "dornix.h"
#include "registry.h"
#include "win_error.h"
#include "wipe_surface.h"

namespace dornix_test {

// dornix.dll as loaded next to the test program, with its exported entry points.
struct DornixModule {
  DornixModule();
  ~DornixModule();
  DornixModule(const DornixModule&) = delete;
  DornixModule& operator=(const DornixModule&) = delete;

  std::string path;  // as the module sees itself
  HMODULE module = nullptr;
  HRESULT(STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
  HRESULT(STDAPICALLTYPE* canUnloadNow)() = nullptr;
  HRESULT(STDAPICALLTYPE* registerServer)() = nullptr;
  HRESULT(STDAPICALLTYPE* unregisterServer)() = nullptr;
};

struct Apartment {
  Apartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~Apartment() { CoUninitialize(); }
  Apartment(const Apartment&) = delete;
  Apartment& operator=(const Apartment&) = delete;
};

using comkit::GuidText;

// Every key and value below HKEY_CLASSES_ROOT\`path`, one line each, sorted:
// "path" for a key, "path|name=value" for a string value ("@" is the default value).
std::vector<std::string> RegistryTree(const std::string& path);
bool KeyExists(const std::string& path);

// One OnProgress call as a sink saw it.
struct Report {
  int sink;
  long round, pass, percent;
  bool operator==(const Report&) const = default;
};

// An _IWipeEvents sink on the stack. It appends what it receives to a log shared
// with other sinks and complains about any call that is not the agreed one.
class RecordingSink final : public IDispatch {
 public:
  RecordingSink(int id, std::vector<Report>& log) : id_(id), log_(log) {}
  ~RecordingSink();

  HRESULT answer = S_OK;           // what Invoke returns
  std::function<void()> onReport;  // run inside each report, after logging
  ULONG References() const { return refs_; }

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
  STDMETHODIMP_(ULONG) Release() override { return --refs_; }
  STDMETHODIMP GetTypeInfoCount(UINT* count) override;
  STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                      UINT*) override;

 private:
  int id_;
  std::vector<Report>& log_;
  ULONG refs_ = 0;
};

// Connects a sink to a control for the lifetime of the holder.
class Connection {
 public:
  Connection(IUnknown* control, IUnknown* sink);
  ~Connection() { Disconnect(); }
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;
  DWORD cookie() const { return cookie_; }
  void Disconnect();

 private:
  comkit::ComPtr<IConnectionPoint> point_;
  DWORD cookie_ = 0;
};

}  // namespace dornix_test
