// What every in-process server of the product relies on at its boundaries.
#include <gtest/gtest.h>

#include <stdexcept>

#include "com_object.h"
#include "com_ptr.h"

namespace {

TEST(GuardedTest, AThrowEndsAsItsHResultAndNeverLeaves) {
  EXPECT_EQ(comkit::Guarded([] { return S_FALSE; }), S_FALSE);
  EXPECT_EQ(comkit::Guarded([]() -> HRESULT { throw std::bad_alloc(); }), E_OUTOFMEMORY);
  EXPECT_EQ(comkit::Guarded([]() -> HRESULT { throw std::runtime_error("broken"); }), E_UNEXPECTED);
  // A window procedure answers with its fallback.
  EXPECT_EQ(comkit::Guarded([]() -> LRESULT { throw 1; }, [](HRESULT hr) { return LRESULT{hr}; }), E_UNEXPECTED);
}

constexpr CLSID kFirst{0x1, 0, 0, {}}, kSecond{0x2, 0, 0, {}}, kUnknown{0x3, 0, 0, {}};
HRESULT MakeFirst(IUnknown*, REFIID, void**) { return E_NOTIMPL; }
HRESULT MakeSecond(IUnknown*, REFIID, void**) { return E_ABORT; }

TEST(ClassTableTest, TheFactoryMakesTheClassAskedForAndNoOther) {
  constexpr comkit::ClassEntry classes[] = {{&kFirst, &MakeFirst}, {&kSecond, &MakeSecond}};
  comkit::ComPtr<IClassFactory> factory;
  ASSERT_EQ(comkit::GetClassObject(classes, kSecond, IID_IClassFactory, factory.put_void()), S_OK);
  void* made = nullptr;
  EXPECT_EQ(factory->CreateInstance(nullptr, IID_IUnknown, &made), E_ABORT);

  void* none = &made;
  EXPECT_EQ(comkit::GetClassObject(classes, kUnknown, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(none, nullptr);
}

}  // namespace
