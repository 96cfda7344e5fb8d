// Self-registration of dornix.dll in the test prefix's registry.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "control_test_support.h"
#include "registry.h"
#include "scope_exit.h"

namespace dornix_test {
namespace {

using testing::ElementsAreArray;
using testing::UnorderedElementsAreArray;

class RegistrationTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(dll.unregisterServer(), S_OK);
    ASSERT_FALSE(KeyExists(classKey));
  }
  void TearDown() override { dll.unregisterServer(); }

  std::vector<std::string> ExpectedClassKey() const {
    const std::string& k = classKey;
    return {k,
            k + "\\Control",
            k + "\\InprocServer32",
            k + "\\InprocServer32|@=" + dll.path,
            k + "\\InprocServer32|ThreadingModel=Apartment",
            k + "\\MiscStatus",
            k + "\\MiscStatus\\1",
            k + "\\MiscStatus\\1|@=132497",
            k + "\\MiscStatus|@=0",
            k + "\\ProgID",
            k + "\\ProgID|@=Vc.Wipe.1",
            k + "\\Programmable",
            k + "\\ToolboxBitmap32",
            k + "\\ToolboxBitmap32|@=" + dll.path + ", " WIPE_TEXT(WIPE_TOOLBOX_BITMAP),
            k + "\\TypeLib",
            k + "\\TypeLib|@=" + libid,
            k + "\\Version",
            k + "\\Version|@=" + dornix::kLibraryVersionText,
            k + "\\VersionIndependentProgID",
            k + "\\VersionIndependentProgID|@=Vc.Wipe",
            k + "|@=Wipe Class"};
  }

  void ExpectRegistered() const {
    EXPECT_THAT(RegistryTree(classKey), UnorderedElementsAreArray(ExpectedClassKey()));
    EXPECT_THAT(RegistryTree("Vc.Wipe.1"),
                ElementsAreArray(std::vector<std::string>{"Vc.Wipe.1", "Vc.Wipe.1\\CLSID",
                                                          "Vc.Wipe.1\\CLSID|@=" + clsid, "Vc.Wipe.1|@=Wipe Class"}));
    EXPECT_THAT(RegistryTree("Vc.Wipe"),
                ElementsAreArray(std::vector<std::string>{"Vc.Wipe", "Vc.Wipe\\CLSID", "Vc.Wipe\\CLSID|@=" + clsid,
                                                          "Vc.Wipe\\CurVer", "Vc.Wipe\\CurVer|@=Vc.Wipe.1",
                                                          "Vc.Wipe|@=Wipe Class"}));
    // The type library is registered at the module's own path.
    BSTR path = nullptr;
    ASSERT_EQ(
        QueryPathOfRegTypeLib(LIBID_VCLib, dornix::kLibraryMajor, dornix::kLibraryMinor, dornix::kLibraryLocale, &path),
        S_OK);
    const comkit::UniqueBstr owned(std::wstring_view(path, SysStringLen(path)));
    SysFreeString(path);
    EXPECT_EQ(std::wstring(owned.get()), std::wstring(dll.path.begin(), dll.path.end()));
    EXPECT_TRUE(KeyExists("Interface\\" + GuidText(IID_IWipe)));
  }

  void ExpectUnregistered() const {
    EXPECT_FALSE(KeyExists(classKey));
    EXPECT_FALSE(KeyExists("Vc.Wipe.1"));
    EXPECT_FALSE(KeyExists("Vc.Wipe"));
    EXPECT_FALSE(KeyExists("TypeLib\\" + libid));
    EXPECT_FALSE(KeyExists("Interface\\" + GuidText(IID_IWipe)));
    EXPECT_TRUE(KeyExists("CLSID"));
  }

  static void Plant(const std::string& key, const std::string& name, const std::string& value) {
    comkit::RegKey planted;
    ASSERT_EQ(comkit::RegKey::Create(HKEY_CLASSES_ROOT, key, planted), ERROR_SUCCESS);
    ASSERT_EQ(planted.SetString(name, value), ERROR_SUCCESS);
  }

  Apartment apartment;
  DornixModule dll;
  const std::string clsid = GuidText(CLSID_Wipe);
  const std::string libid = GuidText(LIBID_VCLib);
  const std::string classKey = "CLSID\\" + clsid;
};

TEST_F(RegistrationTest, WritesExactlyTheClassAndProgIdKeysAndTheTypeLibrary) {
  ASSERT_EQ(dll.registerServer(), S_OK);
  ExpectRegistered();
  EXPECT_EQ(dll.unregisterServer(), S_OK);
  ExpectUnregistered();
  // Unregistering what is not there is no failure.
  EXPECT_EQ(dll.unregisterServer(), S_OK);
}

TEST_F(RegistrationTest, SecondRegistrationReplacesTheClassKeyWhole) {
  ASSERT_EQ(dll.registerServer(), S_OK);
  Plant(classKey + "\\Insertable\\Stale", "", "left over");
  Plant(classKey + "\\InprocServer32", "", "C:\\elsewhere\\old.dll");
  Plant(classKey, "AppID", "{00000000-0000-0000-0000-000000000000}");
  Plant(classKey + "\\Programmable", "Note", "x");
  ASSERT_EQ(dll.registerServer(), S_OK);
  ExpectRegistered();
}

TEST_F(RegistrationTest, UnregistrationLeavesOtherClassesAlone) {
  Plant("CLSID\\{0B0B0B0B-1111-2222-3333-444455556666}", "", "neighbour");
  ASSERT_EQ(dll.registerServer(), S_OK);
  ASSERT_EQ(dll.unregisterServer(), S_OK);
  ExpectUnregistered();
  EXPECT_TRUE(KeyExists("CLSID\\{0B0B0B0B-1111-2222-3333-444455556666}"));
  comkit::DeleteKeyTree(HKEY_CLASSES_ROOT, "CLSID\\{0B0B0B0B-1111-2222-3333-444455556666}");
}

// A module in a folder whose name the ANSI code page cannot spell (Greek under
// Western code pages) must still register the path it really has.
TEST_F(RegistrationTest, RegistersTheModulesPathInFull) {
  wchar_t temp[MAX_PATH];
  ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
  const std::wstring folder = std::wstring(temp) + L"dornix-\u03A9\u03BC\u03AD\u03B3\u03B1-" +
                              std::to_wstring(GetCurrentProcessId());
  const std::wstring copy = folder + L"\\dornix.dll";
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  const basekit::ScopeExit cleanup([&] {
    DeleteFileW(copy.c_str());
    RemoveDirectoryW(folder.c_str());
  });
  const std::wstring original(dll.path.begin(), dll.path.end());
  ASSERT_TRUE(CopyFileW(original.c_str(), copy.c_str(), TRUE));
  {
    const HMODULE module = LoadLibraryW(copy.c_str());
    ASSERT_NE(module, nullptr);
    const basekit::ScopeExit release([&] { FreeLibrary(module); });
    const auto registerCopy = reinterpret_cast<HRESULT(STDAPICALLTYPE*)()>(
        reinterpret_cast<void*>(GetProcAddress(module, "DllRegisterServer")));
    ASSERT_EQ(registerCopy(), S_OK);
    wchar_t value[MAX_PATH];
    DWORD size = sizeof value;
    const std::wstring key = L"CLSID\\" + std::wstring(clsid.begin(), clsid.end()) + L"\\InprocServer32";
    ASSERT_EQ(RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, value, &size),
              ERROR_SUCCESS);
    EXPECT_EQ(std::wstring(value), copy);
  }
  EXPECT_EQ(dll.unregisterServer(), S_OK);
}

// regsvr32 as an installer runs it, in a process of its own.
DWORD RunRegsvr32(const std::string& arguments) {
  std::string command = "regsvr32.exe /s " + arguments;
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
    return GetLastError() | 0x80000000u;
  WaitForSingleObject(process.hProcess, 60000);
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(process.hProcess, &code);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return code;
}

TEST_F(RegistrationTest, Regsvr32RegistersAndUnregisters) {
  ASSERT_EQ(RunRegsvr32("\"" + dll.path + "\""), 0u);
  ExpectRegistered();
  ASSERT_EQ(RunRegsvr32("/u \"" + dll.path + "\""), 0u);
  ExpectUnregistered();
}

}  // namespace
}  // namespace dornix_test
