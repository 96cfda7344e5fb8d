#include "control_test_support.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "registry.h"

namespace dornix_test {

namespace {
template <class Function>
void Entry(HMODULE module, const char* name, Function& function) {
  // Through void(*)(), the one function type any other may be cast from.
  function = reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}
}  // namespace

DornixModule::DornixModule() {
  module = LoadLibraryA("dornix.dll");  // beside the test program
  if (!module) {
    ADD_FAILURE() << "cannot load dornix.dll: " << GetLastError();
    return;
  }
  char name[MAX_PATH];
  path.assign(name, GetModuleFileNameA(module, name, MAX_PATH));
  Entry(module, "DllGetClassObject", getClassObject);
  Entry(module, "DllCanUnloadNow", canUnloadNow);
  Entry(module, "DllRegisterServer", registerServer);
  Entry(module, "DllUnregisterServer", unregisterServer);
  if (!getClassObject || !canUnloadNow || !registerServer || !unregisterServer)
    ADD_FAILURE() << "dornix.dll lacks an entry point";
}

DornixModule::~DornixModule() {
  if (module) FreeLibrary(module);
}

namespace {

void ListKey(HKEY key, const std::string& path, std::vector<std::string>& lines) {
  lines.push_back(path);
  char name[512];
  BYTE data[1024];
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = sizeof name, dataSize = sizeof data, type = 0;
    if (RegEnumValueA(key, index, name, &nameSize, nullptr, &type, data, &dataSize) != ERROR_SUCCESS) break;
    const std::string shown = nameSize ? std::string(name, nameSize) : "@";
    std::string value =
        type == REG_SZ ? std::string(reinterpret_cast<char*>(data), strnlen(reinterpret_cast<char*>(data), dataSize))
                       : "<type " + std::to_string(type) + ">";
    lines.push_back(path + "|" + shown + "=" + value);
  }
  for (DWORD index = 0;; ++index) {
    DWORD nameSize = sizeof name;
    if (RegEnumKeyExA(key, index, name, &nameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    const std::string child(name, nameSize);
    comkit::RegKey sub;
    if (comkit::RegKey::Open(key, child, KEY_READ, sub) == ERROR_SUCCESS)
      ListKey(sub.get(), path + "\\" + child, lines);
  }
}

}  // namespace

std::vector<std::string> RegistryTree(const std::string& path) {
  std::vector<std::string> lines;
  comkit::RegKey key;
  if (comkit::RegKey::Open(HKEY_CLASSES_ROOT, path, KEY_READ, key) == ERROR_SUCCESS) ListKey(key.get(), path, lines);
  std::sort(lines.begin(), lines.end());
  return lines;
}

bool KeyExists(const std::string& path) {
  comkit::RegKey key;
  return comkit::RegKey::Open(HKEY_CLASSES_ROOT, path, KEY_READ, key) == ERROR_SUCCESS;
}

RecordingSink::~RecordingSink() { EXPECT_EQ(refs_, 0u) << "sink " << id_ << " is still referenced"; }

STDMETHODIMP RecordingSink::QueryInterface(REFIID iid, void** out) {
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) || IsEqualIID(iid, DIID__IWipeEvents)) {
    *out = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
  }
  *out = nullptr;
  return E_NOINTERFACE;
}

STDMETHODIMP RecordingSink::GetTypeInfoCount(UINT* count) {
  *count = 0;
  return S_OK;
}
STDMETHODIMP RecordingSink::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
STDMETHODIMP RecordingSink::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) { return E_NOTIMPL; }

STDMETHODIMP RecordingSink::Invoke(DISPID id, REFIID iid, LCID locale, WORD flags, DISPPARAMS* params, VARIANT*,
                                   EXCEPINFO*, UINT*) {
  EXPECT_EQ(id, dornix::kOnProgressDispid);
  EXPECT_TRUE(IsEqualIID(iid, IID_NULL));
  EXPECT_EQ(locale, 0x0400u);
  EXPECT_EQ(flags, DISPATCH_METHOD);
  EXPECT_EQ(params->cNamedArgs, 0u);
  EXPECT_EQ(params->cArgs, 3u);
  if (params->cArgs != 3) return answer;
  for (UINT i = 0; i < 3; ++i) EXPECT_EQ(params->rgvarg[i].vt, VT_I4);
  // Dispatch arguments arrive last first.
  log_.push_back({id_, params->rgvarg[2].lVal, params->rgvarg[1].lVal, params->rgvarg[0].lVal});
  // A rude sink may scribble over its arguments; the next one must not notice.
  params->rgvarg[0].lVal = -1;
  if (onReport) onReport();
  return answer;
}

Connection::Connection(IUnknown* control, IUnknown* sink) {
  comkit::ComPtr<IConnectionPointContainer> container;
  EXPECT_EQ(control->QueryInterface(IID_IConnectionPointContainer, container.put_void()), S_OK);
  if (!container) return;
  EXPECT_EQ(container->FindConnectionPoint(DIID__IWipeEvents, point_.put()), S_OK);
  if (point_) {
    EXPECT_EQ(point_->Advise(sink, &cookie_), S_OK);
  }
}

void Connection::Disconnect() {
  if (point_ && cookie_) {
    EXPECT_EQ(point_->Unadvise(cookie_), S_OK);
  }
  cookie_ = 0;
  point_.reset();
}

}  // namespace dornix_test
