#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "HvExceptions.h"

namespace {

// Offers extra information through the interface alone, without deriving from
// EExtraInfoException: reports must find it all the same.
class EWithOwnInfo : public hv::Exception, public hv::IExtraErrorInfo {
 public:
  using hv::Exception::Exception;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    *out = IsEqualIID(iid, hv::IID_IExtraErrorInfo) ? static_cast<hv::IExtraErrorInfo*>(this) : nullptr;
    return *out ? S_OK : E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 1; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  std::wstring GetExtraInfo() override { return L"own info"; }
};

std::wstring ExtraInfoOf(const hv::Exception& e) {
  hv::IExtraErrorInfo* info = nullptr;
  if (!hv::Supports(e, &info)) return L"<none>";
  return info->GetExtraInfo();
}

}  // namespace

TEST(ExtraErrorInfo, AnyExceptionIsAskedForTheInterfaceNotForItsClass) {
  hv::EExtraInfoException extra(L"msg", L"FileOpResult = 0x00000002");
  hv::EShellOpenError shell(L"Cannot open", L"ShellExecute = 2", 2);
  hv::EAppleScriptError script(L"Script failed", L"exit 1");
  EWithOwnInfo own(L"msg");
  hv::Exception plain(L"msg");
  hv::EOSError os = hv::MakeOSError(5);

  struct Case {
    const hv::Exception& e;
    std::wstring want;
  } cases[] = {
      {extra, L"FileOpResult = 0x00000002"}, {shell, L"ShellExecute = 2"}, {script, L"exit 1"},
      {own, L"own info"},                    {plain, L"<none>"},           {os, L"<none>"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(ExtraInfoOf(cases[i].e), cases[i].want) << "case " << i;
  EXPECT_TRUE(hv::Supports(extra, nullptr));
  EXPECT_FALSE(hv::Supports(plain, nullptr));
}

TEST(ExtraErrorInfo, ReferencesDoNothingToTheExceptionsLifetime) {
  auto e = std::make_unique<hv::EExtraInfoException>(L"msg", L"first");
  hv::IExtraErrorInfo* info = nullptr;
  ASSERT_TRUE(hv::Supports(*e, &info));
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(info->Release(), static_cast<ULONG>(E_NOTIMPL));
    EXPECT_EQ(info->AddRef(), static_cast<ULONG>(E_NOTIMPL));
  }
  // Still alive after more releases than references, and changing ExtraInfo later is seen.
  e->SetExtraInfo(L"changed");
  EXPECT_EQ(info->GetExtraInfo(), L"changed");

  void* other = &other;
  EXPECT_EQ(info->QueryInterface(IID_IClassFactory, &other), E_NOINTERFACE);
  EXPECT_EQ(other, nullptr);
  void* unknown = nullptr;
  EXPECT_EQ(info->QueryInterface(IID_IUnknown, &unknown), S_OK);
  EXPECT_NE(unknown, nullptr);
}

TEST(ExtraErrorInfo, CopiesAndRethrowsKeepTheClassAndItsData) {
  std::unique_ptr<hv::Exception> copy(hv::EShellOpenError(L"Cannot open", L"extra", 31).Clone());
  try {
    copy->Rethrow();
    ADD_FAILURE() << "nothing raised";
  } catch (const hv::EShellOpenError& e) {
    EXPECT_EQ(e.ErrorCode(), 31);
    EXPECT_EQ(e.ExtraInfo(), L"extra");
    EXPECT_EQ(e.ClassName(), L"EShellOpenError");
    EXPECT_EQ(ExtraInfoOf(e), L"extra");
  }
}
