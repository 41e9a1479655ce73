#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <thread>

#include "HvExceptions.h"
#include "HvLXDelayLoad.h"
#include "HvLXFontBoost.h"
#include "HvLXThreadCheck.h"
#include "HvLXOptionalApi.h"
#include "HvLXSysErrorText.h"
#include "HvLXVersion.h"
#include "HvTestSupport.h"

namespace {

TEST(Version, AtLeastComparesMajorThenMinor) {
  EXPECT_TRUE(hv::VersionAtLeast(6, 1, 6, 0));
  EXPECT_TRUE(hv::VersionAtLeast(6, 0, 6, 0));
  EXPECT_FALSE(hv::VersionAtLeast(6, 0, 6, 1));
  EXPECT_TRUE(hv::VersionAtLeast(10, 0, 6, 3));  // a larger major wins over any minor
  EXPECT_FALSE(hv::VersionAtLeast(5, 9, 6, 0));
  // The flags are nested: a later one never holds without the earlier ones.
  EXPECT_TRUE(!hv::IsWin10OrLater() || hv::IsWin7OrLater());
  EXPECT_TRUE(!hv::IsWin7OrLater() || hv::IsVistaOrLater());
  EXPECT_TRUE(hv::IsVistaOrLater());  // everything this program supports
}

TEST(Version, ElapsedMs) {
  EXPECT_EQ(hv::ElapsedMs(1000, 1500), 500);
  EXPECT_EQ(hv::ElapsedMs(1500, 1000), INT_MAX);  // the tick count wrapped
  EXPECT_EQ(hv::ElapsedMs(0, 0xFFFFFFFFu), INT_MAX);
  DWORD start = GetTickCount();
  int elapsed = hv::ElapsedMs(start);
  EXPECT_GE(elapsed, 0);
  EXPECT_LT(elapsed, INT_MAX);
}

TEST(MainThread, OnlyTheStartingThread) {
  EXPECT_TRUE(hv::IsMainThread());
  bool onWorker = true;
  std::thread([&] { onWorker = hv::IsMainThread(); }).join();
  EXPECT_FALSE(onWorker);
}

TEST(SysErrorText, SystemAndModuleTextsTrimmedOrTheDefault) {
  std::wstring text = hv::SysErrorTextLX(L"", nullptr, ERROR_FILE_NOT_FOUND, L"none");
  EXPECT_NE(text, L"none");
  EXPECT_FALSE(text.empty());
  EXPECT_GT(text.back(), L' ');

  EXPECT_EQ(hv::SysErrorTextLX(L"", nullptr, 0x2FFFFFF0, L"none"), L"none");

  HMODULE wininet = LoadLibraryExW(L"wininet.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(wininet, nullptr);
  std::wstring timeout = hv::SysErrorTextLX(L"wininet.dll", wininet, 12002, L"none");  // timed out
  EXPECT_NE(timeout, L"none");
  EXPECT_GT(timeout.back(), L' ');
  EXPECT_EQ(hv::SysErrorTextLX(L"wininet.dll", wininet, 0x2FFFFFF0, L"none"), L"none");
  FreeLibrary(wininet);
}

TEST(DelayLoad, BindsOnFirstCall) {
  hvtest::ScratchDir dir;
  std::wstring path = dir / L"bound.txt";
  ASSERT_TRUE(hvtest::WriteTextFile(path, "x"));
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  wchar_t buffer[1024];
  DWORD length = hv::OptionalApi::GetFinalPathNameByHandleW(file, buffer, 1024, 0);
  CloseHandle(file);
  ASSERT_GT(length, 0u);
  EXPECT_TRUE(std::wstring(buffer, length).ends_with(L"\\bound.txt")) << testing::PrintToString(std::wstring(buffer));

  BOOL composition = FALSE;
  EXPECT_EQ(hv::OptionalApi::DwmIsCompositionEnabled(&composition), S_OK);
}

TEST(DelayLoad, FailuresNameWhatIsMissing) {
  using Fn = int WINAPI();
  struct Case {
    hv::TDelayedFunction<Fn> function;
    const wchar_t* message;
  };
  const Case cases[] = {
      {{L"hvnosuch.dll", "Anything"}, L"Could not load \"hvnosuch.dll\"."},
      {{L"kernel32.dll", "HvNoSuchFunction"}, L"Could not load \"HvNoSuchFunction\" from \"kernel32.dll\"."},
      {{L"kernel32.dll", WORD{65000}}, L"Could not load index 65000 from \"kernel32.dll\"."},
      // Only the system folder is searched, not the program's own folder, where this sits.
      {{L"hv_hook_fixture.dll", "HvFixtureTryHook"}, L"Could not load \"hv_hook_fixture.dll\"."},
  };
  for (const auto& [function, message] : cases) {
    for (int attempt = 0; attempt < 2; ++attempt) {  // a failure is not remembered as a binding
      try {
        function();
        ADD_FAILURE() << "bound: " << testing::PrintToString(std::wstring(message));
      } catch (const hv::EDelayedLoadLibrary& e) {
        EXPECT_EQ(e.Message(), message);
      }
    }
  }
}

// The program's own settings key, removed before and after each test.
class FontBoost : public testing::Test {
 protected:
  static constexpr const wchar_t* kKey = L"Software\\Halvern\\test_sysutils";
  void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
  void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, kKey); }
  void Store(DWORD type, const void* data, DWORD size) {
    ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, kKey, L"FontBoostPercent", type, data, size), ERROR_SUCCESS);
  }
};

TEST_F(FontBoost, LimitedTo100Through200) {
  EXPECT_EQ(hv::GetFontBoostPercent(), 100);  // nothing stored
  const std::pair<DWORD, int> cases[] = {{50, 100}, {100, 100}, {150, 150}, {200, 200}, {300, 200}, {0xFFFFFFFF, 100}};
  for (const auto& [stored, expected] : cases) {
    Store(REG_DWORD, &stored, sizeof(stored));
    EXPECT_EQ(hv::GetFontBoostPercent(), expected) << stored;
  }
  const wchar_t text[] = L"150";
  Store(REG_SZ, text, sizeof(text));
  EXPECT_EQ(hv::GetFontBoostPercent(), 100);
}

}  // namespace
