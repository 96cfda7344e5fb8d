// The Wipe control as its clients use it: by ProgID with late binding, and through
// the IWipe vtable of the generated header. Erases real files in a temporary folder.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "control_test_support.h"
#include "links.h"
#include "temp_folder.h"

namespace dornix_test {
namespace {

using comkit::ComPtr;
using comkit::UniqueBstr;
using comkit::UniqueVariant;
using testing_support::ListFolder;
using testing_support::MakeLink;
using testing_support::RemoveLink;
using testing_support::ReadFile;
using testing_support::TempFolder;
using testing_support::WriteFile;

constexpr int kInvalidRounds = win_error::kInvalidArgument;
// Larger than the engine's 256,000-byte buffer, so each pass reports 0, 0, 86, 100.
constexpr std::size_t kFileSize = 300000;
const std::vector<long> kPassPercents{0, 0, 86, 100};

// One way of driving the control; every call must report success.
class Driver {
 public:
  virtual ~Driver() = default;
  virtual IUnknown* Control() = 0;
  virtual void Drop() = 0;  // gives up the client's reference
  virtual long Method() = 0;
  virtual void SetMethod(long value) = 0;
  virtual long Rounds() = 0;
  virtual void SetRounds(long value) = 0;
  virtual void Cancel() = 0;
  virtual void Call() = 0;
  virtual int WipeFile(const std::string& path) = 0;
  virtual int FastWipeFile(const std::string& path, BYTE s) = 0;
  virtual int GovermentWipeFile(const std::string& path, BYTE s1, BYTE s2, BYTE s3) = 0;
};

// Knows only the ProgID and the member names.
class LateBound final : public Driver {
 public:
  LateBound() {
    CLSID clsid{};
    EXPECT_EQ(CLSIDFromProgID(L"Vc.Wipe", &clsid), S_OK);
    EXPECT_EQ(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, control_.put_void()), S_OK);
  }
  IUnknown* Control() override { return control_.get(); }
  void Drop() override { control_.reset(); }
  long Method() override { return Get(L"WipeMethod"); }
  void SetMethod(long value) override { Put(L"WipeMethod", value); }
  long Rounds() override { return Get(L"WipeRounds"); }
  void SetRounds(long value) override { Put(L"WipeRounds", value); }
  void Cancel() override { Call(L"CancelWipe", {}); }
  void Call() override { Call(L"CallWipe", {}); }
  int WipeFile(const std::string& path) override {
    const UniqueBstr name = UniqueBstr::FromAnsi(path);
    return Call(L"WipeFile", {Bstr(name)});
  }
  int FastWipeFile(const std::string& path, BYTE s) override {
    const UniqueBstr name = UniqueBstr::FromAnsi(path);
    return Call(L"FastWipeFile", {Bstr(name), Byte(s)});
  }
  int GovermentWipeFile(const std::string& path, BYTE s1, BYTE s2, BYTE s3) override {
    const UniqueBstr name = UniqueBstr::FromAnsi(path);
    return Call(L"GovermentWipeFile", {Bstr(name), Byte(s1), Byte(s2), Byte(s3)});
  }

  DISPID Id(const wchar_t* name) {
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    DISPID id = DISPID_UNKNOWN;
    EXPECT_EQ(control_->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id), S_OK) << "no member " << name;
    return id;
  }

 private:
  static VARIANT Bstr(const UniqueBstr& text) {
    VARIANT value{};
    value.vt = VT_BSTR;
    value.bstrVal = text.get();
    return value;
  }
  static VARIANT Byte(BYTE byte) {
    VARIANT value{};
    value.vt = VT_UI1;
    value.bVal = byte;
    return value;
  }
  // Arguments in the order of the member's declaration; the result as a long.
  long Invoke(const wchar_t* name, WORD flags, std::vector<VARIANT> arguments) {
    std::reverse(arguments.begin(), arguments.end());
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params{arguments.data(), flags == DISPATCH_PROPERTYPUT ? &put : nullptr,
                      static_cast<UINT>(arguments.size()), flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    UniqueVariant result;
    EXPECT_EQ(control_->Invoke(Id(name), IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result.get(), nullptr, nullptr),
              S_OK)
        << "calling " << name;
    if ((*result).vt == VT_EMPTY) return 0;
    EXPECT_EQ(VariantChangeType(result.get(), result.get(), 0, VT_I4), S_OK);
    return (*result).lVal;
  }
  long Get(const wchar_t* name) { return Invoke(name, DISPATCH_PROPERTYGET, {}); }
  void Put(const wchar_t* name, long value) {
    VARIANT argument{};
    argument.vt = VT_I4;
    argument.lVal = value;
    Invoke(name, DISPATCH_PROPERTYPUT, {argument});
  }
  int Call(const wchar_t* name, std::vector<VARIANT> arguments) {
    return static_cast<int>(Invoke(name, DISPATCH_METHOD, std::move(arguments)));
  }

  ComPtr<IDispatch> control_;
};

// Calls through the IWipe vtable of dornix.h.
class EarlyBound final : public Driver {
 public:
  EarlyBound() {
    EXPECT_EQ(CoCreateInstance(CLSID_Wipe, nullptr, CLSCTX_INPROC_SERVER, IID_IWipe, control_.put_void()), S_OK);
  }
  IUnknown* Control() override { return control_.get(); }
  void Drop() override { control_.reset(); }
  long Method() override {
    LONG value = 0x55555555;
    EXPECT_EQ(control_->get_WipeMethod(&value), S_OK);
    return value;
  }
  void SetMethod(long value) override { EXPECT_EQ(control_->put_WipeMethod(value), S_OK); }
  long Rounds() override {
    LONG value = 0x55555555;
    EXPECT_EQ(control_->get_WipeRounds(&value), S_OK);
    return value;
  }
  void SetRounds(long value) override { EXPECT_EQ(control_->put_WipeRounds(value), S_OK); }
  void Cancel() override { EXPECT_EQ(control_->CancelWipe(), S_OK); }
  void Call() override { EXPECT_EQ(control_->CallWipe(), S_OK); }
  int WipeFile(const std::string& path) override {
    return Result(path, [&](BSTR name, int* result) { return control_->WipeFile(name, result); });
  }
  int FastWipeFile(const std::string& path, BYTE s) override {
    return Result(path, [&](BSTR name, int* result) { return control_->FastWipeFile(name, s, result); });
  }
  int GovermentWipeFile(const std::string& path, BYTE s1, BYTE s2, BYTE s3) override {
    return Result(path, [&](BSTR name, int* result) { return control_->GovermentWipeFile(name, s1, s2, s3, result); });
  }

 private:
  template <class Erase>
  int Result(const std::string& path, Erase erase) {
    const UniqueBstr name = UniqueBstr::FromAnsi(path);
    int result = 0x55555555;
    EXPECT_EQ(erase(name.get(), &result), S_OK);
    return result;
  }

  ComPtr<IWipe> control_;
};

enum class Binding { Late, Early };

class WipeControlTest : public testing::TestWithParam<Binding> {
 protected:
  void SetUp() override {
    ASSERT_EQ(dll.registerServer(), S_OK);
    if (GetParam() == Binding::Late)
      wipe = std::make_unique<LateBound>();
    else
      wipe = std::make_unique<EarlyBound>();
    ASSERT_NE(wipe->Control(), nullptr);
  }
  void TearDown() override {
    wipe.reset();
    dll.unregisterServer();
  }

  std::string NewFile(const std::string& name, std::size_t size = kFileSize) {
    WriteFile(folder / name, size);
    return folder / name;
  }

  // The reports one erase over a kFileSize file gives: rounds x passes.
  static std::vector<Report> Expected(int sink, int rounds, int passes) {
    std::vector<Report> reports;
    for (int round = 1; round <= rounds; ++round)
      for (int pass = 1; pass <= passes; ++pass)
        for (long percent : kPassPercents) reports.push_back({sink, round, pass, percent});
    return reports;
  }
  // The same reports as two sinks, `first` and `second`, receive them, report by report.
  static std::vector<Report> Expected(int first, int second, int rounds, int passes) {
    std::vector<Report> reports;
    for (const Report& report : Expected(first, rounds, passes)) {
      reports.push_back(report);
      reports.push_back({second, report.round, report.pass, report.percent});
    }
    return reports;
  }

  Apartment apartment;
  DornixModule dll;
  TempFolder folder;
  std::unique_ptr<Driver> wipe;
  std::vector<Report> log;
};

TEST_P(WipeControlTest, NewControlHasNoRoundsAndRefusesUntilTheyAreSet) {
  EXPECT_EQ(wipe->Method(), 0);
  EXPECT_EQ(wipe->Rounds(), 0);
  const std::string path = NewFile("kept.txt", 1000);
  const std::string before = ReadFile(path);
  EXPECT_EQ(wipe->WipeFile(path), kInvalidRounds);
  EXPECT_EQ(wipe->FastWipeFile(path, 0xFF), kInvalidRounds);
  EXPECT_EQ(wipe->GovermentWipeFile(path, 1, 2, 3), kInvalidRounds);
  EXPECT_EQ(ReadFile(path), before);

  wipe->SetRounds(1);
  EXPECT_EQ(wipe->WipeFile(path), 0);
  EXPECT_EQ(ListFolder(folder.path()), "");
}

TEST_P(WipeControlTest, PropertiesKeepAnyValueUnchanged) {
  for (long value : {-5L, 99L, 10L, 0L}) {
    wipe->SetMethod(value);
    wipe->SetRounds(value);
    EXPECT_EQ(wipe->Method(), value);
    EXPECT_EQ(wipe->Rounds(), value);
  }
}

TEST_P(WipeControlTest, EachOperationErasesItsFileAndReportsEveryPass) {
  RecordingSink sink(1, log);
  Connection connection(wipe->Control(), &sink);
  wipe->SetRounds(2);

  wipe->SetMethod(99);  // outside the catalogue: the single zero pass
  EXPECT_EQ(wipe->WipeFile(NewFile("method.bin")), 0);
  EXPECT_EQ(log, Expected(1, 2, 1));
  log.clear();
  EXPECT_EQ(wipe->FastWipeFile(NewFile("fast.bin"), 0xFF), 0);
  EXPECT_EQ(log, Expected(1, 2, 1));
  log.clear();
  EXPECT_EQ(wipe->GovermentWipeFile(NewFile("government.bin"), 0xFF, 0x00, 0xFF), 0);
  EXPECT_EQ(log, Expected(1, 2, 3));
  EXPECT_EQ(ListFolder(folder.path()), "");
  EXPECT_EQ(wipe->Method(), 99);  // the wizard reads it back before each file

  // A failure comes back as the result, never as a failed call.
  EXPECT_EQ(wipe->WipeFile(folder / "missing.bin"), 2);
}

TEST_P(WipeControlTest, WhileCancelledAnEraseAnswersCancelledAndTouchesNothingUntilCallWipe) {
  RecordingSink sink(1, log);
  Connection connection(wipe->Control(), &sink);
  wipe->SetRounds(1);
  wipe->Cancel();
  const std::string path = NewFile("a.bin");
  const std::string before = ReadFile(path);
  EXPECT_EQ(wipe->WipeFile(path), ERROR_CANCELLED);
  EXPECT_EQ(wipe->GovermentWipeFile(path, 1, 2, 3), ERROR_CANCELLED);
  EXPECT_EQ(ReadFile(path), before);
  EXPECT_TRUE(log.empty()) << "a pass ran while cancelled";

  wipe->Call();
  EXPECT_EQ(wipe->FastWipeFile(path, 0), 0);
  EXPECT_EQ(log, Expected(1, 1, 1));
  EXPECT_EQ(ListFolder(folder.path()), "");
}

TEST_P(WipeControlTest, CancelFromInsideAReportStopsTheEraseAndLeavesTheFileUnderItsName) {
  RecordingSink sink(1, log);
  sink.onReport = [&] { wipe->Cancel(); };  // as the wizard's quit command does while pumping messages
  Connection connection(wipe->Control(), &sink);
  wipe->SetRounds(3);
  const std::string path = NewFile("a.bin");
  EXPECT_EQ(wipe->GovermentWipeFile(path, 1, 2, 3), ERROR_CANCELLED);
  EXPECT_EQ(log, (std::vector<Report>{{1, 1, 1, 0}, {1, 1, 1, 0}, {1, 1, 1, 100}}));
  EXPECT_EQ(ReadFile(path).size(), kFileSize);
  EXPECT_EQ(ListFolder(folder.path()), "a.bin");
}

// Any program can call the control: a link, to a file or on the way, must carry no erase outside.
TEST_P(WipeControlTest, ALinkToAnOutsideFileOrALinkedFolderOnTheWayLeavesTheOutsideDataWhole) {
  TempFolder outside;
  WriteFile(outside / "secret.txt", 3000, 'o');
  const std::filesystem::path link = folder.path() / "link.txt", way = folder.path() / "way";
  ASSERT_TRUE(MakeLink(outside.path() / "secret.txt", link));
  ASSERT_TRUE(MakeLink(outside.path(), way));
  wipe->SetRounds(1);
  EXPECT_EQ(wipe->WipeFile(link.string()), ERROR_ACCESS_DENIED);
  EXPECT_EQ(wipe->WipeFile((way / "secret.txt").string()), ERROR_ACCESS_DENIED);
  EXPECT_EQ(ReadFile(outside / "secret.txt"), std::string(3000, 'o'));
  RemoveLink(link);
  RemoveLink(way);
}

TEST_P(WipeControlTest, EverySinkGetsEveryReportInConnectionOrder) {
  wipe->SetRounds(1);
  // None connected: the same erase, only silent.
  EXPECT_EQ(wipe->WipeFile(NewFile("alone.bin")), 0);
  EXPECT_EQ(ListFolder(folder.path()), "");

  RecordingSink first(1, log), second(2, log), third(3, log);
  auto one = std::make_unique<Connection>(wipe->Control(), &first);
  Connection two(wipe->Control(), &second);
  EXPECT_EQ(wipe->FastWipeFile(NewFile("a.bin"), 7), 0);
  EXPECT_EQ(log, Expected(1, 2, 1, 1));

  // A freed slot stays empty: a later sink comes after the remaining ones.
  one.reset();
  Connection three(wipe->Control(), &third);
  EXPECT_EQ(three.cookie(), 3u);
  log.clear();
  EXPECT_EQ(wipe->FastWipeFile(NewFile("b.bin"), 7), 0);
  EXPECT_EQ(log, Expected(2, 3, 1, 1));
}

TEST_P(WipeControlTest, FailingSinkDoesNotStopTheErase) {
  RecordingSink failing(1, log), healthy(2, log);
  failing.answer = DISP_E_EXCEPTION;
  Connection one(wipe->Control(), &failing);
  Connection two(wipe->Control(), &healthy);
  wipe->SetRounds(1);
  EXPECT_EQ(wipe->GovermentWipeFile(NewFile("a.bin"), 1, 2, 3), 0);
  EXPECT_EQ(log, Expected(1, 2, 1, 3));
  EXPECT_EQ(ListFolder(folder.path()), "");
}

TEST_P(WipeControlTest, HostLettingGoOfTheControlDuringAReportEndsTheEraseSafely) {
  RecordingSink sink(1, log);
  auto connection = std::make_unique<Connection>(wipe->Control(), &sink);
  wipe->SetRounds(2);
  // The wizard's handler pumps messages; closing its window there releases the control.
  sink.onReport = [&] {
    if (!connection) return;
    connection.reset();
    wipe->Drop();
  };
  EXPECT_EQ(wipe->WipeFile(NewFile("a.bin")), 0);
  EXPECT_EQ(ListFolder(folder.path()), "");
  EXPECT_EQ(log.size(), 1u);
  EXPECT_EQ(sink.References(), 0u);
  EXPECT_EQ(dll.canUnloadNow(), S_OK) << "the control outlived its last reference";
}

INSTANTIATE_TEST_SUITE_P(Bindings, WipeControlTest, testing::Values(Binding::Late, Binding::Early),
                         [](const testing::TestParamInfo<Binding>& info) {
                           return info.param == Binding::Late ? "LateBound" : "EarlyBound";
                         });

}  // namespace
}  // namespace dornix_test
