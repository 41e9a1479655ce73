#include <gtest/gtest.h>

#include "HvExceptions.h"
#include "HvLXHost.h"
#include "HvLXHostScript.h"
#include "HvLXHostScripts.h"
#include "HvLXRegistry.h"
#include "HostTestFiles.h"
#include "HvScopeExit.h"

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

using hv::ParseVersion;
using hv::TVersionNumber;

using hosttest::ScopedWineValue;

TEST(HostDetection, WineIsFoundByItsExportAndTheSettingOverridesIt) {
  struct Case {
    const wchar_t* setting;  // nullptr: absent
    bool wine;
  } cases[] = {{nullptr, true}, {L"  fAlSe ", false}, {L"False", false}, {L"True", true}, {L"maybe", true}};
  for (const Case& c : cases) {
    ScopedWineValue setting(HKEY_CURRENT_USER, L"HalvernIsWine", c.setting);
    hv::ScopedFreshHostDetection fresh;
    EXPECT_EQ(hv::IsWine(), c.wine) << (c.setting ? c.setting : L"(absent)");
    // Chrome OS needs both Android variables, and Wine.
    EXPECT_FALSE(hv::IsChromeOS());
  }
  SetEnvironmentVariableW(L"ANDROID_STORAGE", L"/storage");
  SetEnvironmentVariableW(L"ANDROID_ROOT", L"/system");
  for (bool wine : {true, false}) {
    ScopedWineValue setting(HKEY_CURRENT_USER, L"HalvernIsWine", wine ? nullptr : L"False");
    hv::ScopedFreshHostDetection fresh;
    EXPECT_EQ(hv::IsChromeOS(), wine);
  }
  SetEnvironmentVariableW(L"ANDROID_STORAGE", nullptr);
  SetEnvironmentVariableW(L"ANDROID_ROOT", nullptr);
}

TEST(HostDetection, ALinuxHostIsNoMac) {
  hv::ScopedFreshHostDetection fresh;
  EXPECT_FALSE(hv::IsMac());
  EXPECT_EQ(hv::GetMacVersionText(), L"n/a");
  EXPECT_EQ(hv::GetMacVersion(), TVersionNumber{});
}

// What the host shell was asked, and what it answers: a Mac's sw_vers.
std::vector<std::wstring> gScriptTitles;
std::wstring RecordScript(const std::wstring& title, const std::wstring&, const std::wstring&) {
  gScriptTitles.push_back(title);
  return L"ProductName:\tmacOS\nProductVersion:\t14.2.1\nBuildVersion:\t23C71\n";
}

TEST(HostDetection, TheMacIsAskedForOnlyWhereTheHostKernelMayBeOne) {
  struct Case {
    const wchar_t* system;  // empty: Wine does not tell
    bool asked;
  } cases[] = {{L"Linux", false}, {L"FreeBSD", false}, {L"Darwin", true}, {L"", true}};
  hv::InstallHostShell({&RecordScript, [] { return true; }});
  const hv::ScopeExit realShell([] { hv::InstallHostScriptRunner(); });
  for (const Case& c : cases) {
    const std::wstring name = *c.system ? c.system : L"(not told)";
    gScriptTitles.clear();
    hv::ScopedFreshHostDetection fresh;
    hv::ScopedHostFacts facts({.wineLoader = true, .hostSystem = c.system});
    hv::ScopedHostPins host({.wine = true});
    EXPECT_EQ(hv::IsMac(), c.asked) << name;
    EXPECT_EQ(hv::GetMacVersionText(), c.asked ? L"macOS, 14.2.1, 23C71" : L"n/a") << name;
    EXPECT_EQ(gScriptTitles, c.asked ? std::vector<std::wstring>{L"GetMacVersion"} : std::vector<std::wstring>{})
        << name;
  }
}

TEST(ParseVersion, ReadsEveryFormOfVersionText) {
  struct Case {
    const wchar_t* text;
    TVersionNumber version;
  } cases[] = {{L"10.15.7", {10, 15, 7, 0}}, {L"4.12", {4, 12, 0, 0}}, {L"7.0 r12", {7, 0, 12, 0}},
               {L"6.0-rc1", {6, 0, 0, 0}},   {L"", {0, 0, 0, 0}},      {L"1.2.3.4", {1, 2, 3, 4}},
               {L" 8 ", {8, 0, 0, 0}},       {L"x.5", {0, 5, 0, 0}},   {L"65535.1", {65535, 1, 0, 0}}};
  for (const Case& c : cases) EXPECT_EQ(ParseVersion(c.text), c.version) << c.text;
  EXPECT_THROW(ParseVersion(L"70000"), hv::ERangeError);
  EXPECT_THROW(ParseVersion(L"1.65536"), hv::ERangeError);
  EXPECT_TRUE(ParseVersion(L"1.2.3.5").AtLeast(ParseVersion(L"1.2.3.4")));
  EXPECT_TRUE(ParseVersion(L"1.9").LessThan(ParseVersion(L"2.0")));
  EXPECT_FALSE(ParseVersion(L"2.0").LessThan(ParseVersion(L"2.0")));
}

TEST(UseWineTricks, FollowsTheSettingAndTheWineVersion) {
  struct Case {
    const wchar_t* setting;  // HKLM "HalvernWineTricks"; nullptr: absent
    bool wine;
    const wchar_t* query;
    bool answer;
  } cases[] = {
      {nullptr, true, L"4.12", true},      {nullptr, true, L"always", true},   {nullptr, false, L"always", false},
      {nullptr, false, L"4.12", false},    {L"5.0", true, L"4.12", false},     {L"5.0", true, L"5.1", true},
      {L"5.0", true, L"unknown", true},    {L" false ", true, L"4.12", false}, {L"False", true, L"always", true},
      {L"TRUE", false, L"always", true},   {L"True", false, L"4.12", true},    {nullptr, false, L"letters", false},
  };
  for (const Case& c : cases) {
    ScopedWineValue setting(HKEY_LOCAL_MACHINE, L"HalvernWineTricks", c.setting);
    hv::ScopedFreshHostDetection fresh;
    hv::ScopedHostPins host({.wine = c.wine});
    EXPECT_EQ(hv::UseWineTricks(c.query), c.answer)
        << (c.setting ? c.setting : L"(absent)") << " wine " << c.wine << " " << c.query;
  }
  ScopedWineValue absent(HKEY_LOCAL_MACHINE, L"HalvernWineTricks", nullptr);
  hv::ScopedFreshHostDetection fresh;
  try {
    hv::UseWineTricks(L"letters");
    ADD_FAILURE() << "no error";
  } catch (const hv::Exception& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: Unexpected Wine Version: \"letters\"");
  }
  EXPECT_THROW(hv::UseWineTricks(L"letters"), hv::Exception) << "no answer was stored";
  EXPECT_THROW(hv::UseWineTricks(L""), hv::EHvInternalError);
}

TEST(UseWineTricks, AnswersAreKeptForTheProcess) {
  ScopedWineValue older(HKEY_LOCAL_MACHINE, L"HalvernWineTricks", L"4.11");
  hv::ScopedFreshHostDetection fresh;
  EXPECT_TRUE(hv::UseWineTricks(L"4.12"));
  // The setting is read once: a change later in the run changes no answer, given or new.
  ScopedWineValue newer(HKEY_LOCAL_MACHINE, L"HalvernWineTricks", L"False");
  EXPECT_TRUE(hv::UseWineTricks(L"4.12"));
  EXPECT_TRUE(hv::UseWineTricks(L"5.0"));
  EXPECT_FALSE(hv::UseWineTricks(L"4.11"));
}

TEST(UseWineTricks, ManyThreadsAskingAtOnceGetTheirAnswers) {
  // Worker threads ask too (an internet error asks whether a Wine workaround applies).
  ScopedWineValue setting(HKEY_LOCAL_MACHINE, L"HalvernWineTricks", L"5.0");
  hv::ScopedFreshHostDetection fresh;
  std::atomic<int> wrong{0}, ready{0};
  std::vector<std::thread> threads;
  constexpr int kThreads = 8;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([t, &wrong, &ready] {
      // All start together, so the answers are found and kept at the same moments.
      ++ready;
      while (ready < kThreads) std::this_thread::yield();
      for (int i = 0; i < 20000; ++i) {
        // Half the texts every thread asks, half its own.
        const int minor = i % 2 ? i : i * kThreads + t;
        const std::wstring text = std::to_wstring(4 + minor % 3) + L"." + std::to_wstring(minor % 60000);
        const bool expected = ParseVersion(L"5.0").LessThan(ParseVersion(text));
        if (hv::UseWineTricks(text) != expected || !hv::IsWine()) ++wrong;
      }
    });
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(wrong.load(), 0);
}

}  // namespace
