#include <gtest/gtest.h>

#include "HostTestFiles.h"

#include "HvExceptions.h"
#include "HvHostLinks.h"
#include "HvLXFiles.h"
#include "HvLXHost.h"
#include "HvLXHostPaths.h"
#include "HvLXHostScript.h"
#include "HvLXHostScripts.h"
#include "HvLXSpecialFolders.h"
#include "HvHandles.h"
#include "HvShellNames.h"
#include "HvTestSupport.h"
#include <shlobj.h>
#include "HvLXSystemText.h"
#include "HvStringList.h"
#include "HvLXFileSearch.h"

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

TEST(WineRunScript, RefusesOutsideWineAndOnChromeOS) {
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
