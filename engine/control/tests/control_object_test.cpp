// The control object as a container and COM see it, made through the module's
// own class factory: lifetime, aggregation, the OLE interfaces, persistence,
// design-time drawing and the embedded type library.
#include <gtest/gtest.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

#include "control_test_support.h"

namespace dornix_test {
namespace {

using comkit::ComPtr;

class ControlObjectTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_EQ(dll.getClassObject(CLSID_Wipe, IID_IClassFactory, factory.put_void()), S_OK); }

  template <class T>
  ComPtr<T> Create(REFIID iid = __uuidof(T)) {
    ComPtr<T> object;
    EXPECT_EQ(factory->CreateInstance(nullptr, iid, object.put_void()), S_OK);
    return object;
  }

  Apartment apartment;
  DornixModule dll;
  ComPtr<IClassFactory> factory;
};

TEST_F(ControlObjectTest, ModuleStaysWhileAnyFactoryObjectOrLockLives) {
  EXPECT_EQ(dll.canUnloadNow(), S_FALSE) << "the factory is alive";
  ComPtr<IUnknown> other;
  EXPECT_EQ(dll.getClassObject(IID_IWipe, IID_IClassFactory, other.put_void()), CLASS_E_CLASSNOTAVAILABLE);

  ASSERT_EQ(factory->LockServer(TRUE), S_OK);
  ComPtr<IWipe> control = Create<IWipe>();
  factory.reset();
  EXPECT_EQ(dll.canUnloadNow(), S_FALSE);
  control.reset();
  EXPECT_EQ(dll.canUnloadNow(), S_FALSE) << "locked";
  ASSERT_EQ(dll.getClassObject(CLSID_Wipe, IID_IClassFactory, factory.put_void()), S_OK);
  ASSERT_EQ(factory->LockServer(FALSE), S_OK);
  control = Create<IWipe>();
  factory.reset();
  EXPECT_EQ(dll.canUnloadNow(), S_FALSE) << "a control is alive";
  control.reset();
  EXPECT_EQ(dll.canUnloadNow(), S_OK);
}

// A controlling object that aggregates the control and counts its own references.
class Outer final : public IUnknown {
 public:
  STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown)) {
      *out = this;
      AddRef();
      return S_OK;
    }
    return inner ? inner->QueryInterface(iid, out) : E_NOINTERFACE;
  }
  STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
  STDMETHODIMP_(ULONG) Release() override { return --refs; }

  ULONG refs = 1;
  ComPtr<IUnknown> inner;
};

TEST_F(ControlObjectTest, CanBeAggregated) {
  Outer outer;
  ComPtr<IWipe> refused;
  EXPECT_EQ(factory->CreateInstance(&outer, IID_IWipe, refused.put_void()), CLASS_E_NOAGGREGATION);
  ASSERT_EQ(factory->CreateInstance(&outer, IID_IUnknown, outer.inner.put_void()), S_OK);

  IWipe* wipe = nullptr;
  ASSERT_EQ(outer.QueryInterface(IID_IWipe, reinterpret_cast<void**>(&wipe)), S_OK);
  EXPECT_EQ(outer.refs, 2u) << "references through an inner interface count on the outer object";
  IUnknown* identity = nullptr;
  ASSERT_EQ(wipe->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity)), S_OK);
  EXPECT_EQ(identity, &outer);
  identity->Release();
  EXPECT_EQ(wipe->put_WipeRounds(4), S_OK);
  wipe->Release();
  EXPECT_EQ(outer.refs, 1u);

  outer.inner.reset();
  factory.reset();
  EXPECT_EQ(dll.canUnloadNow(), S_OK) << "the inner object is gone with its last inner reference";
}

TEST_F(ControlObjectTest, AnswersAsAWindowlessControlWithOneEventSource) {
  const ComPtr<IUnknown> control = Create<IUnknown>();
  const IID* interfaces[] = {&IID_IWipe,
                             &IID_IDispatch,
                             &IID_IConnectionPointContainer,
                             &IID_IViewObjectEx,
                             &IID_IViewObject2,
                             &IID_IViewObject,
                             &IID_IOleInPlaceObjectWindowless,
                             &IID_IOleInPlaceObject,
                             &IID_IOleWindow,
                             &IID_IOleInPlaceActiveObject,
                             &IID_IOleControl,
                             &IID_IOleObject,
                             &IID_IPersistStreamInit,
                             &IID_IPersist};
  for (const IID* iid : interfaces) {
    ComPtr<IUnknown> answer, identity;
    ASSERT_EQ(control->QueryInterface(*iid, answer.put_void()), S_OK) << GuidText(*iid);
    ASSERT_EQ(answer->QueryInterface(IID_IUnknown, identity.put_void()), S_OK);
    EXPECT_EQ(identity.get(), control.get()) << GuidText(*iid);
  }

  ComPtr<IOleObject> ole;
  ASSERT_EQ(control.As(ole), S_OK);
  DWORD status = 0;
  EXPECT_EQ(ole->GetMiscStatus(DVASPECT_CONTENT, &status), S_OK);
  EXPECT_EQ(status, 0x20591u);
  ComPtr<IOleWindow> window;
  ASSERT_EQ(control.As(window), S_OK);
  HWND handle = HWND(1);
  EXPECT_TRUE(FAILED(window->GetWindow(&handle)));
  EXPECT_EQ(handle, nullptr);

  ComPtr<IConnectionPointContainer> container;
  ASSERT_EQ(control.As(container), S_OK);
  ComPtr<IConnectionPoint> point;
  EXPECT_EQ(container->FindConnectionPoint(IID_IDispatch, point.put()), CONNECT_E_NOCONNECTION);
  ComPtr<IEnumConnectionPoints> points;
  ASSERT_EQ(container->EnumConnectionPoints(points.put()), S_OK);
  IConnectionPoint* found[2] = {};
  ULONG fetched = 0;
  EXPECT_EQ(points->Next(2, found, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 1u);
  point = ComPtr<IConnectionPoint>(found[0]);
  found[0]->Release();
  IID events{};
  EXPECT_EQ(point->GetConnectionInterface(&events), S_OK);
  EXPECT_TRUE(IsEqualIID(events, DIID__IWipeEvents));

  // Only an _IWipeEvents sink can connect; only live cookies disconnect.
  DWORD cookie = 0;
  EXPECT_EQ(point->Advise(ole.get(), &cookie), CONNECT_E_CANNOTCONNECT);
  std::vector<Report> log;
  RecordingSink sink(1, log);
  ASSERT_EQ(point->Advise(&sink, &cookie), S_OK);
  EXPECT_EQ(point->Unadvise(cookie + 1), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(point->Unadvise(cookie), S_OK);
  EXPECT_EQ(point->Unadvise(cookie), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(point->Unadvise(0), CONNECT_E_NOCONNECTION);
}

TEST_F(ControlObjectTest, PersistsOnlyItsExtent) {
  const ComPtr<IOleObject> saved = Create<IOleObject>();
  SIZEL extent{1234, 567};
  ASSERT_EQ(saved->SetExtent(DVASPECT_CONTENT, &extent), S_OK);
  ComPtr<IPersistStreamInit> persist;
  ASSERT_EQ(saved.As(persist), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_OK);
  ComPtr<IStream> stream;
  ASSERT_EQ(CreateStreamOnHGlobal(nullptr, TRUE, stream.put()), S_OK);
  ASSERT_EQ(persist->Save(stream.get(), TRUE), S_OK);
  EXPECT_EQ(persist->IsDirty(), S_FALSE);

  const ComPtr<IOleObject> loaded = Create<IOleObject>();
  ASSERT_EQ(loaded.As(persist), S_OK);
  const auto loadFromStart = [&] {
    const LARGE_INTEGER start{};
    stream->Seek(start, STREAM_SEEK_SET, nullptr);
    return persist->Load(stream.get());
  };
  const auto extentOf = [&] {
    SIZEL read{};
    EXPECT_EQ(loaded->GetExtent(DVASPECT_CONTENT, &read), S_OK);
    return std::pair(read.cx, read.cy);
  };
  ASSERT_EQ(loadFromStart(), S_OK);
  EXPECT_EQ(extentOf(), std::pair(1234L, 567L));

  // A cut stream leaves the extent as it was.
  ULARGE_INTEGER half{};
  half.QuadPart = 4;
  ASSERT_EQ(stream->SetSize(half), S_OK);
  EXPECT_TRUE(FAILED(loadFromStart()));
  EXPECT_EQ(extentOf(), std::pair(1234L, 567L));
}

TEST_F(ControlObjectTest, DrawsItsRectangleAndLabelAroundTheCentre) {
  const ComPtr<IViewObject> view = Create<IViewObject>();
  constexpr int kWidth = 120, kHeight = 60;
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), kWidth, -kHeight, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HDC dc = CreateCompatibleDC(nullptr);
  const HBITMAP bitmap = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  ASSERT_TRUE(dc && bitmap && bits);
  const HGDIOBJ previous = SelectObject(dc, bitmap);
  const auto pixels = static_cast<const DWORD*>(bits);
  const auto dark = [&](int x, int y) { return (pixels[y * kWidth + x] & 0xFFFFFF) == 0; };

  const RECTL bounds{0, 0, kWidth, kHeight};
  EXPECT_EQ(view->Draw(DVASPECT_ICON, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0), DV_E_DVASPECT);
  ASSERT_EQ(view->Draw(DVASPECT_CONTENT, -1, nullptr, nullptr, nullptr, dc, &bounds, nullptr, nullptr, 0), S_OK);
  GdiFlush();
  EXPECT_EQ(GetTextAlign(dc), static_cast<UINT>(TA_TOP | TA_LEFT)) << "the caller's alignment is restored";

  EXPECT_TRUE(dark(0, 0) && dark(kWidth - 1, kHeight - 1) && dark(0, kHeight / 2)) << "rectangle border";
  int above = 0, below = 0, left = 0, right = 0;
  for (int y = 1; y < kHeight - 1; ++y)
    for (int x = 1; x < kWidth - 1; ++x) {
      if (!dark(x, y)) continue;
      (y < kHeight / 2 ? above : below)++;
      (x < kWidth / 2 ? left : right)++;
    }
  EXPECT_GT(above, 10) << "the label stands on the centre line";
  EXPECT_EQ(below, 0) << "\"Vize2\" has nothing below its baseline";
  EXPECT_GT(left, 5);
  EXPECT_GT(right, 5);
  EXPECT_LT(std::abs(left - right), (left + right) / 2) << "centred";

  SelectObject(dc, previous);
  DeleteObject(bitmap);
  DeleteDC(dc);
}

// What installers and toolboxes read from the module without running it.
TEST_F(ControlObjectTest, ModuleAnnouncesSelfRegistrationAndCarriesItsToolboxBitmap) {
  DWORD ignored = 0;
  std::vector<BYTE> version(GetFileVersionInfoSizeA(dll.path.c_str(), &ignored));
  ASSERT_FALSE(version.empty());
  ASSERT_TRUE(GetFileVersionInfoA(dll.path.c_str(), 0, static_cast<DWORD>(version.size()), version.data()));
  void* value = nullptr;
  UINT length = 0;
  EXPECT_TRUE(VerQueryValueA(version.data(), "\\StringFileInfo\\040904B0\\OLESelfRegister", &value, &length));

  const HRSRC found = FindResourceA(dll.module, MAKEINTRESOURCEA(dornix::kToolboxBitmap), RT_BITMAP);
  ASSERT_NE(found, nullptr);
  const auto* header = static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(dll.module, found)));
  ASSERT_NE(header, nullptr);
  EXPECT_EQ(header->biWidth, 16);
  EXPECT_EQ(header->biHeight, 16);
  EXPECT_EQ(header->biBitCount, 4);
}

// What the wizard and any late-binding client rely on in the type library.
TEST_F(ControlObjectTest, EmbeddedTypeLibraryDescribesTheSurface) {
  ComPtr<ITypeLib> library;
  const std::wstring path(dll.path.begin(), dll.path.end());
  ASSERT_EQ(LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put()), S_OK);
  TLIBATTR* libraryAttributes = nullptr;
  ASSERT_EQ(library->GetLibAttr(&libraryAttributes), S_OK);
  EXPECT_EQ(GuidText(libraryAttributes->guid), GuidText(LIBID_VCLib));
  EXPECT_EQ(libraryAttributes->lcid, dornix::kLibraryLocale);
  EXPECT_EQ(libraryAttributes->wMajorVerNum, dornix::kLibraryMajor);
  EXPECT_EQ(libraryAttributes->wMinorVerNum, dornix::kLibraryMinor);
  library->ReleaseTLibAttr(libraryAttributes);

  const auto documentation = [](auto* owner, int index) {
    BSTR name = nullptr, help = nullptr;
    EXPECT_EQ(owner->GetDocumentation(index, &name, &help, nullptr, nullptr), S_OK);
    std::wstring text = std::wstring(name ? name : L"") + L": " + (help ? help : L"");
    SysFreeString(name);
    SysFreeString(help);
    return text;
  };
  EXPECT_EQ(documentation(library.get(), -1), L"VCLib: Vize2 1.0 Type Library");

  // IWipe: dual, members in vtable order after IDispatch's seven.
  ComPtr<ITypeInfo> dispatch, vtable;
  ASSERT_EQ(library->GetTypeInfoOfGuid(IID_IWipe, dispatch.put()), S_OK);
  EXPECT_EQ(documentation(dispatch.get(), MEMBERID_NIL), L"IWipe: IWipe Interface");
  HREFTYPE vtableHalf = 0;
  ASSERT_EQ(dispatch->GetRefTypeOfImplType(-1, &vtableHalf), S_OK) << "dual";
  ASSERT_EQ(dispatch->GetRefTypeInfo(vtableHalf, vtable.put()), S_OK);
  std::vector<std::wstring> members;
  for (UINT index = 0; index < 9; ++index) {
    FUNCDESC* function = nullptr;
    ASSERT_EQ(vtable->GetFuncDesc(index, &function), S_OK);
    EXPECT_EQ(function->oVft, static_cast<SHORT>((7 + index) * sizeof(void*)));
    members.push_back(std::to_wstring(function->memid) + L" " + std::to_wstring(function->invkind) + L" " +
                      std::to_wstring(function->cParams) + L" " + documentation(vtable.get(), function->memid));
    vtable->ReleaseFuncDesc(function);
  }
  EXPECT_EQ(members, (std::vector<std::wstring>{
                         L"1 1 0 CallWipe: method CallWipe",
                         L"2 2 1 WipeMethod: property WipeMethod",  // get
                         L"2 4 1 WipeMethod: property WipeMethod",  // put
                         L"3 2 1 WipeRounds: property WipeRounds",
                         L"3 4 1 WipeRounds: property WipeRounds",
                         L"4 1 0 CancelWipe: method CancelWipe: erasing answers 1223 until CallWipe",
                         L"5 1 2 WipeFile: method WipeFile: 0 erased, 5 no plain file, 32 held open, "
                         L"50 not overwritable in place, 1223 cancelled, 0x80070057 no rounds, else the system's error",
                         L"6 1 3 FastWipeFile: method FastWipeFile: lResult as for WipeFile",
                         L"7 1 5 GovermentWipeFile: method GovermentWipeFile: lResult as for WipeFile",
                     }));

  ComPtr<ITypeInfo> events;
  ASSERT_EQ(library->GetTypeInfoOfGuid(DIID__IWipeEvents, events.put()), S_OK);
  EXPECT_EQ(documentation(events.get(), MEMBERID_NIL), L"_IWipeEvents: _IWipeEvents Interface");
  EXPECT_EQ(documentation(events.get(), 1), L"OnProgress: method OnProgress");

  ComPtr<ITypeInfo> coclass;
  ASSERT_EQ(library->GetTypeInfoOfGuid(CLSID_Wipe, coclass.put()), S_OK);
  EXPECT_EQ(documentation(coclass.get(), MEMBERID_NIL), L"Wipe: Wipe Class");
  INT flags = 0;
  ASSERT_EQ(coclass->GetImplTypeFlags(1, &flags), S_OK);
  EXPECT_EQ(flags, IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE);
}

}  // namespace
}  // namespace dornix_test
