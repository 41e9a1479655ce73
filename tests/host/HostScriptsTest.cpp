#include <gtest/gtest.h>

#include "HostTestFiles.h"

#include "HvExceptions.h"
#include "HvHostLinks.h"
#include "HvLXFiles.h"
#include "HvLXHost.h"
#include "HvLXHostPaths.h"
#include "HvLXHostScript.h"
#include "HvLXHostScripts.h"
#include "HvLXHostStartup.h"
#include "HvLXProcesses.h"
#include "HvLXRegistry.h"
#include "HvLXSpecialFolders.h"
#include "HvHandles.h"
#include "HvShellNames.h"
#include "HvTestSupport.h"
#include <shlobj.h>
#include "HvLXSystemText.h"
#include "HvStringList.h"
#include "HvLXFileSearch.h"
#include "HvLXFlash.h"

#include <memory>
#include <optional>

namespace {

using hvtest::ScratchDir;

std::wstring Widen(const std::string& text) {
  const int size = MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, nullptr, 0);
  std::wstring out(size, L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.c_str(), -1, out.data(), size);
  out.resize(size - 1);
  return out;
}

using hosttest::ReadBytes;

// The host path as the kernel resolves it (readlink -f), read through the test's own runner.
std::wstring HostRealPath(const std::wstring& path) {
  ScratchDir out;
  filestest::RunHostScript("readlink -f " + filestest::ShellQuote(filestest::HostPath(path)) + " > " +
                           filestest::ShellQuote(filestest::HostPath(out / L"real")));
  std::string text = ReadBytes(out / L"real");
  while (!text.empty() && text.back() == '\n') text.pop_back();
  return Widen(text);
}

TEST(HostShellWord, EveryCharacterReachesTheShellAsWritten) {
  ScratchDir dir;
  std::vector<std::wstring> names = hvtest::ShellHostileWindowsNames();
  names.insert(names.end(), hvtest::ShellHostileHostOnlyNames().begin(), hvtest::ShellHostileHostOnlyNames().end());
  for (const std::wstring& name : names) {
    const std::wstring script =
        L"cd -- " + hv::HostShellWord(hv::Wine_ConvertDosPathToNative(dir.Path())) + L"\nprintf '%s' " + hv::HostShellWord(name);
    EXPECT_EQ(hv::Wine_RunScript(L"Echo", script), name);
  }
  EXPECT_FALSE(hvtest::PathExists(dir / L"CANARY")) << "a name ran a command";
}

TEST(WineRunScript, ReturnsOutputAndErrorsAsUtf8AndLeavesNoWorkFiles) {
  const std::wstring temp = hv::GetHalvernTempFolder();
  EXPECT_EQ(hv::Wine_RunScript(L"Mixed", L"echo out\r\necho err 1>&2\nprintf '\\303\\251\\377.'"),
            L"out\nerr\n\u00e9\uFFFD.");
  // A run that cannot finish in the quiet time still answers; its work folder goes.
  EXPECT_EQ(hv::Wine_RunScript(L"Slow", L"sleep 0.4; echo late", L"Waiting..."), L"late\n");
  hv::THvStringList left;
  hv::FindFoldersLX(temp, left, false, true);
  for (int i = 0; i < left.Count(); ++i)
    EXPECT_FALSE(left[i].find(L"\\Mixed_") != std::wstring::npos || left[i].find(L"\\Slow_") != std::wstring::npos)
        << left[i];
}

// What a call raised, or nothing when it did not return within `limitMs`. A call that does not
// return is left waiting on its own thread: a wait without end is the fault looked for here.
struct TBoundedCall {
  std::function<void()> call;
  std::shared_ptr<const hv::Exception> raised;
  bool returned = false;
};

DWORD WINAPI RunBoundedCall(void* state) {
  auto* bounded = static_cast<TBoundedCall*>(state);
  try {
    bounded->call();
  } catch (...) {
    bounded->raised = hv::CurrentExceptionCopy();
  }
  return 0;
}

std::optional<std::shared_ptr<const hv::Exception>> RaisedWithin(DWORD limitMs, std::function<void()> call) {
  auto* bounded = new TBoundedCall;
  bounded->call = std::move(call);
  const HANDLE thread = CreateThread(nullptr, 0, &RunBoundedCall, bounded, 0, nullptr);
  if (!thread) return std::nullopt;
  const bool returned = WaitForSingleObject(thread, limitMs) == WAIT_OBJECT_0;
  CloseHandle(thread);
  if (!returned) return std::nullopt;  // `bounded` stays with the thread that still uses it
  std::shared_ptr<const hv::Exception> raised = bounded->raised;
  delete bounded;
  return raised;
}

TEST(WineRunScript, AScriptThatCannotFinishEndsTheWaitWithItsOutput) {
  hv::Wine_RunScript(L"Warm", L"true");  // the one-time shell test, done before any time is taken
  struct Case {
    const wchar_t* title;
    const wchar_t* script;
    std::wstring message, output;
  } cases[] = {
      {L"Quits", L"echo partial\nexit 3\necho never", L"The host script \"Quits\" ended before it was done.",
       L"partial\n"},
      {L"Killed", L"echo before\nkill -9 $$", L"The host script \"Killed\" ended before it was done.", L"before\n"},
      {L"Hangs", L"echo waiting\nsleep 60", L"The host script \"Hangs\" did not finish within 3 seconds.",
       L"waiting\n"},
  };
  hv::ScopedHostScriptLimits limits(60000, 3000);
  for (const Case& c : cases) {
    const DWORD start = GetTickCount();
    const auto raised = RaisedWithin(30000, [&] { hv::Wine_RunScript(c.title, c.script); });
    ASSERT_TRUE(raised.has_value()) << c.title << ": the wait did not end";
    ASSERT_TRUE(*raised) << c.title << ": nothing raised";
    EXPECT_EQ((*raised)->Message(), c.message) << c.title;
    const auto* extra = dynamic_cast<const hv::EExtraInfoException*>(raised->get());
    ASSERT_NE(extra, nullptr) << c.title;
    EXPECT_EQ(extra->ExtraInfo(), c.output) << c.title;
    EXPECT_LT(GetTickCount() - start, 15000u) << c.title;
  }
  // A script that ends in time is not cut by the limits, and its own exit status is its own.
  EXPECT_EQ(hv::Wine_RunScript(L"InTime", L"sleep 1; false; echo done"), L"done\n");
}

// A progress window whose Cancel is pressed at its second look.
class TCancellingDisplay : public hv::IFlashExtender {
 public:
  void SetPicture(hv::TPicture*) override {}
  void SetMessage(const std::wstring& message, int) override { messages.push_back(message); }
  void SetProgress(int, int, int) override {}
  void CheckCancel() override {
    if (++looks >= 2) throw hv::EAbort(L"Operation aborted");
  }
  bool SupportsCancel() override { return true; }
  static inline int looks = 0;
  static inline std::vector<std::wstring> messages;
};

TEST(WineRunScript, CancelInTheProgressWindowEndsTheWait) {
  hv::Wine_RunScript(L"Warm", L"true");
  TCancellingDisplay::looks = 0;
  TCancellingDisplay::messages.clear();
  const DWORD start = GetTickCount();
  const auto raised = RaisedWithin(30000, [] {
    hv::SetFlashExtenderFactory([](void*, bool) -> std::shared_ptr<hv::IFlashExtender> {
      return std::make_shared<TCancellingDisplay>();
    });
    struct Reset {
      ~Reset() { hv::SetFlashExtenderFactory(nullptr); }
    } reset;
    hv::Wine_RunScript(L"Patient", L"sleep 60", L"Waiting for the host...");
  });
  ASSERT_TRUE(raised.has_value()) << "the wait did not end";
  ASSERT_TRUE(*raised) << "nothing raised";
  EXPECT_NE(dynamic_cast<const hv::EAbort*>(raised->get()), nullptr) << (*raised)->Message();
  EXPECT_LT(GetTickCount() - start, 10000u);
  EXPECT_NE(std::find(TCancellingDisplay::messages.begin(), TCancellingDisplay::messages.end(),
                      L"Waiting for the host..."),
            TCancellingDisplay::messages.end());
}

TEST(WineRunScript, RefusesOutsideWineAndOnChromeOS) {
  // The shell is tested first, as it is in the program: an untested shell on Chrome OS ends
  // the process with a box, whatever test ran before.
  hv::Wine_RunScript(L"Warm", L"true");
  {
    hv::ScopedHostPins windows({.wine = false});
    try {
      hv::Wine_RunScript(L"T", L"true");
      ADD_FAILURE();
    } catch (const hv::Exception& e) {
      EXPECT_EQ(e.Message(), L"Internal Error: Can only run script under Wine.");
    }
  }
  hv::ScopedHostPins chromeOS({.wine = true, .chromeOS = true});
  try {
    hv::Wine_RunScript(L"T", L"true");
    ADD_FAILURE();
  } catch (const hv::Exception& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: cannot run script \"T\" on Chrome OS.");
  }
}

TEST(WineRunScript, CrcOfTheScriptIsZlibs) {
  EXPECT_EQ(hv::TextCrc32(L""), 0u);
  // zlib.crc32("a\0".encode()) and of "abc" as UTF-16LE.
  EXPECT_EQ(hv::TextCrc32(L"a"), 0x3D3F4819u);
  EXPECT_EQ(hv::TextCrc32(L"abc"), 0xAD957AB0u);
}

TEST(HostPaths, TheHostFoldersFromTheEnvironmentWithWinesDefaultsAndNeverOnChromeOS) {
  // The variable as it was, set again when the test ends.
  struct ScopedVariable {
    explicit ScopedVariable(const wchar_t* name, const wchar_t* value) : FName(name) {
      FOld = hv::GetEnvironmentValue(name);
      FHad = GetEnvironmentVariableW(name, nullptr, 0) > 0;
      SetEnvironmentVariableW(name, value);
    }
    ~ScopedVariable() { SetEnvironmentVariableW(FName, FHad ? FOld.c_str() : nullptr); }
    const wchar_t* FName;
    std::wstring FOld;
    bool FHad = false;
  };
  EXPECT_EQ(hv::Wine_GetNativeHomeDir(), L"~");
  {
    ScopedVariable prefix(L"WINEPREFIX", nullptr), tmp(L"TMPDIR", nullptr);
    EXPECT_EQ(hv::Wine_GetNativeWinePrefixDir(), hv::GetHostHomeFolder() + L"/.wine");
    EXPECT_EQ(hv::Wine_GetNativeTmpDir(), L"/tmp/");
  }
  {
    ScopedVariable prefix(L"WINEPREFIX", L"/srv/prefix a"), tmp(L"TMPDIR", L"/var/tmp/x");
    EXPECT_EQ(hv::Wine_GetNativeWinePrefixDir(), L"/srv/prefix a");
    EXPECT_EQ(hv::Wine_GetNativeTmpDir(), L"/var/tmp/x");
  }
  hv::ScopedHostPins chromeOS({.wine = true, .chromeOS = true});
  for (auto [call, name] : {std::pair{&hv::Wine_GetNativeHomeDir, L"Wine_GetNativeHomeDir"},
                            std::pair{&hv::Wine_GetNativeWinePrefixDir, L"Wine_GetNativeWinePrefixDir"},
                            std::pair{&hv::Wine_GetNativeTmpDir, L"Wine_GetNativeTmpDir"}}) {
    try {
      call();
      ADD_FAILURE() << name << " answered on Chrome OS";
    } catch (const hv::Exception& e) {
      EXPECT_EQ(e.Message(), std::wstring(L"Internal Error: ") + name + L"() cannot be called on Chrome OS.");
    }
  }
}

TEST(HostPaths, HostPathsBecomeDrivePaths) {
  std::wstring home = hv::GetHostHomeFolder();
  // Wine names the host home folder in WINEHOMEDIR as "\\??\\Z:\\...".
  EXPECT_EQ(hv::Wine_ConvertNativePathToDos(home), hv::GetEnvironmentValue(L"WINEHOMEDIR").substr(4));
  struct Case {
    std::wstring host, drive;
  } cases[] = {{L"/tmp/x", L"Z:\\tmp\\x"},
               {L"/tmp/", L"Z:\\tmp\\"},
               {L"plain", L"plain"},
               {L"~/Documents", hv::Wine_ConvertNativePathToDos(home) + L"\\Documents"}};
  for (const Case& c : cases) EXPECT_EQ(hv::Wine_ConvertNativePathToDos(c.host), c.drive) << c.host;
}

TEST(HostPaths, DrivePathsBecomeTheHostPathsTheKernelResolves) {
  ScratchDir dir;  // on C:, through the prefix's dosdevices link
  wchar_t documents[MAX_PATH] = {};
  SHGetSpecialFolderPathW(nullptr, documents, CSIDL_PERSONAL, FALSE);
  for (const std::wstring& path : {dir.Path(), dir.Path() + L"\\", std::wstring(documents), std::wstring(L"C:\\windows")})
  {
    std::wstring host = hv::Wine_ConvertDosPathToNative(path);
    if (path.ends_with(L"\\")) {
      EXPECT_TRUE(host.ends_with(L"/")) << path;
      host.pop_back();
    }
    EXPECT_EQ(host, HostRealPath(path)) << path;
  }
  EXPECT_EQ(hv::Wine_ConvertDosPathToNative(L"\\\\?\\" + dir.Path()), HostRealPath(dir.Path()));
  EXPECT_EQ(hv::Wine_ConvertDosPathToNative(L"Z:\\tmp\\a b"), L"/tmp/a b");
  EXPECT_EQ(hv::Wine_ConvertDosPathToNative(L"\\tmp\\a\"b", true), L"/tmp/a\\\"b");
  EXPECT_EQ(hv::Wine_ConvertDosPathToNative(L""), L"");
  for (const wchar_t* bad : {L"C:", L"C:x\\y", L"xy\\z"}) EXPECT_THROW(hv::Wine_ConvertDosPathToNative(bad), hv::Exception) << bad;
  hv::ScopedHostPins windows({.wine = false});
  EXPECT_THROW(hv::Wine_ConvertDosPathToNative(L"C:\\"), hv::EAssertionFailed);
}

TEST(HostPaths, ResolveHostLinkFindsTheTargetWhateverTheNames) {
  ScratchDir dir;
  filestest::HostLinks links;
  for (const std::wstring& name : hvtest::ShellHostileWindowsNames()) {
    const std::wstring target = dir / (L"t " + name);
    ASSERT_TRUE(CreateDirectoryW(target.c_str(), nullptr)) << name;
    links.Make(dir / name, target);
    const std::wstring link = hv::Wine_ConvertDosPathToNative(dir.Path()) + L"/" + name;
    // The target as the link holds it (the test made it through the prefix's drive link).
    const std::wstring stored = Widen(filestest::HostPath(target));
    EXPECT_EQ(hv::ResolveHostLink(link), stored) << name;
    EXPECT_EQ(hv::ResolveHostLink(link + L"/"), stored + L"/") << name;
  }
  // Relative targets are made absolute; what is no link stays as it is.
  filestest::RunHostScript("cd " + filestest::ShellQuote(filestest::HostPath(dir.Path())) + " && mkdir -p real && ln -s real rel");
  const std::wstring folder = hv::Wine_ConvertDosPathToNative(dir.Path());
  EXPECT_EQ(hv::ResolveHostLink(folder + L"/rel"), HostRealPath(dir / L"real"));
  EXPECT_EQ(hv::ResolveHostLink(folder + L"/real"), folder + L"/real");
  for (const wchar_t* unexamined : {L"/", L"ab", L"rel", L"//x/y"}) EXPECT_EQ(hv::ResolveHostLink(unexamined), unexamined);
  EXPECT_FALSE(hvtest::PathExists(dir / L"CANARY"));
  filestest::RunHostScript("rm -f " + filestest::ShellQuote(filestest::HostPath(dir / L"rel")));
}

}  // namespace

namespace {

// Puts a file where the shell `name` is looked for under `root`.
void PlantShell(const ScratchDir& root, const wchar_t* name) {
  CreateDirectoryW((root / L"bin").c_str(), nullptr);
  ASSERT_TRUE(hvtest::WriteTextFile(root / (std::wstring(L"bin\\") + name), "#!/bin/sh\n"));
}

}  // namespace

// Bash first, then sh; a host with neither says so, and so does the first script's shell test.
TEST(HostShell, BashThenShAndWhatTheShellTestSaysWithNeither) {
  hv::Wine_RunScript(L"Warm", L"true");
  const struct {
    const char* name;
    std::vector<const wchar_t*> shells;
    const wchar_t* chosen;  // nullptr: none
  } cases[] = {
      {"both", {L"bash", L"sh"}, L"bash"},
      {"sh only", {L"sh"}, L"sh"},
      {"neither", {}, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir root;
    for (const wchar_t* shell : c.shells) PlantShell(root, shell);
    const std::wstring hostRoot = L"/planted/root";
    hv::ScopedHostShellRoot seam(root.Path(), hostRoot);
    hv::ScopedUntestedShell untested;
    EXPECT_EQ(hv::ShellExists(), c.chosen != nullptr);
    try {
      if (c.chosen) {
        EXPECT_EQ(hv::GetShellPath(), hostRoot + L"/bin/" + c.chosen);
        continue;
      }
      try {
        hv::GetShellPath();
        ADD_FAILURE() << "no error";
      } catch (const hv::EExtraInfoException& e) {
        EXPECT_EQ(e.Message(), L"Neither /bin/bash or /bin/sh exist.");
        EXPECT_NE(e.ExtraInfo().find(L"bin\\bash"), std::wstring::npos) << "what was looked at";
      }
      try {
        hv::Wine_RunScript(L"First", L"echo first");
        ADD_FAILURE() << "the shell test passed";
      } catch (const hv::EHvGeneralError& e) {
        EXPECT_EQ(e.Message(),
                  L"This program needs to be able to run /bin/bash or /bin/sh.\r\nEnsure that /bin/bash or /bin/sh exists.");
      }
    } catch (const hv::Exception& e) {
      ADD_FAILURE() << "another error: " << std::string(e.Message().begin(), e.Message().end());
    }
  }
  EXPECT_EQ(hv::GetShellPath(), L"/bin/bash") << "the host's own again";
  EXPECT_EQ(hv::Wine_RunScript(L"After", L"echo abc"), L"abc\n");
}

namespace {

DWORD gStartRefusal = 0;
BOOL WINAPI RefuseEveryStart(LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES, BOOL, DWORD, LPVOID,
                             LPCWSTR, LPSTARTUPINFOW, LPPROCESS_INFORMATION) {
  SetLastError(gStartRefusal);
  return FALSE;
}

}  // namespace

// The start-up check of a program that has not been checked on this prefix yet: a host shell
// the program cannot start (a 64-bit shell for the 32-bit program gives error 193) gets the
// advice, any other failure its error; nothing is remembered as checked then.
TEST(HostStartupCheck, AShellThatCannotStartIsReportedAndNotRememberedAsChecked) {
  hv::Wine_RunScript(L"Warm", L"true");
  const wchar_t kKey[] = L"Software\\Wine", kValue[] = L"HalvernTestedLXUtils";
  const bool wasChecked = hv::RegValueExistsLX(HKEY_CURRENT_USER, kKey, kValue);
  const bool checked = hv::RegReadBoolDefLX(HKEY_CURRENT_USER, kKey, kValue, false);
  const struct {
    DWORD error;
    std::wstring start;
  } cases[] = {
      {193, L"This program needs to be able to run 32-bit shell scripts.\r\nYou have a 64-bit /bin/bash or "
            L"/bin/sh\r\nLook into \"DebootstrapChroot\" on how to emulate a 32-bit shell."},
      {5, L"EOSError: System Error.  Code: 5."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    hv::RegDeleteValueLX(HKEY_CURRENT_USER, kKey, kValue);
    hv::ScopedFreshHostPaths freshPaths;
    hv::ScopedUserDataFolder undetermined(std::nullopt);
    gStartRefusal = c.error;
    hv::ScopedCreateProcess refused(&RefuseEveryStart);
    const std::optional<std::wstring> failure = hv::RunHostStartupCheck();
    ASSERT_TRUE(failure.has_value());
    EXPECT_EQ(failure->substr(0, c.start.size()), c.start);
    EXPECT_FALSE(hv::RegValueExistsLX(HKEY_CURRENT_USER, kKey, kValue));
  }
  if (wasChecked)
    hv::RegWriteBoolLX(HKEY_CURRENT_USER, kKey, kValue, checked);
  else
    hv::RegDeleteValueLX(HKEY_CURRENT_USER, kKey, kValue);
}

// The host reaches the script's files only through Z:, so a work folder elsewhere is refused
// before anything is written there.
TEST(WineRunScript, AWorkFolderOffTheHostsDriveIsRefused) {
  hv::Wine_RunScript(L"Warm", L"true");
  ScratchDir data;  // on C:
  ASSERT_EQ(data.Path().rfind(L"C:", 0), 0u);
  hv::ScopedUserDataFolder elsewhere(data.Path());
  const std::wstring temp = hv::GetHalvernTempFolder();
  try {
    hv::Wine_RunScript(L"Off", L"true");
    ADD_FAILURE() << "ran";
  } catch (const hv::Exception& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: Temp Path is not on Z: drive (" + temp + L").");
  }
  WIN32_FIND_DATAW found;
  HANDLE find = FindFirstFileW((temp + L"*").c_str(), &found);
  int entries = 0;
  if (find != INVALID_HANDLE_VALUE) {
    do entries += wcscmp(found.cFileName, L".") != 0 && wcscmp(found.cFileName, L"..") != 0;
    while (FindNextFileW(find, &found));
    FindClose(find);
  }
  EXPECT_EQ(entries, 0) << "nothing written there";
}
