#include "HvLXHostScripts.h"

#include <array>
#include <utility>

#include "HvEncoding.h"
#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvHandles.h"
#include "HvLXClock.h"
#include "HvLXExistenceChecks.h"
#include "HvLXFiles.h"
#include "HvLXFlash.h"
#include "HvLXHost.h"
#include "HvLXHostEnvironment.h"
#include "HvLXHostPaths.h"
#include "HvLXHostScript.h"
#include "HvLXProcesses.h"
#include "HvLXRandom.h"
#include "HvLXSpecialFolders.h"
#include "HvLXStrings.h"
#include "HvLXTempFiles.h"
#include "HvScopeExit.h"
#include "HvStreams.h"

namespace hv {
namespace {

constexpr std::uint64_t kQuietWaitMs = 275;
// A script whose shell has not written its process id by then did not start. Wine starts a
// host program in a few milliseconds; a loaded test machine took more than 30 seconds once,
// and the 32-bit program under emulation is slower still.
constexpr std::uint32_t kScriptStartLimitMs = 5 * 60 * 1000;
// No script of the program runs this long (the longest, a removal of a large tree, takes
// minutes); one still running then hangs, and the program must not hang with it.
constexpr std::uint32_t kScriptRunLimitMs = 30 * 60 * 1000;
constexpr std::uint32_t kShellCheckIntervalMs = 200;
// The longest the wait sleeps between looks: a change in the work folder wakes it sooner.
constexpr DWORD kLookIntervalMs = 10;

const wchar_t kScriptName[] = L"script.sh";
const wchar_t kFinalName[] = L"final.txt";
const wchar_t kOutputName[] = L"output.txt";
const wchar_t kPidName[] = L"pid.txt";

std::uint32_t gScriptStartLimitMs = kScriptStartLimitMs;
std::uint32_t gScriptRunLimitMs = kScriptRunLimitMs;

bool gShellTested = false;
bool gShellTestRunning = false;
std::wstring gShellPath;
std::wstring gShellRoot = L"Z:";  // the host's "/" as a drive path
std::wstring gShellHostRoot;      // and as the host names it, without the last "/"

// The caller decides what the user sees (no box under /quiet) and how the program ends: a
// library never ends the process, and never with the exit code of success.
[[noreturn]] void FailHostShell(const std::wstring& text) { throw EHvGeneralError(text); }

// Runs "echo abc" once per process; a host without a working shell cannot run this program.
void TestShellOnce(const std::wstring& title) {
  if (gShellTested || gShellTestRunning) return;
  gShellTestRunning = true;
  ScopeExit done([] { gShellTestRunning = false; });
  if (IsChromeOS()) FailHostShell(Fmt(L"This program tried to run script \"%s\" on Chome OS.", title));
  if (!ShellExists())
    FailHostShell(L"This program needs to be able to run /bin/bash or /bin/sh.\r\nEnsure that /bin/bash or /bin/sh exists.");
  const std::wstring answer = TrimLX(RunScriptInHost(L"TestScript", L"echo abc", L""));
  if (answer == L"abc") {
    gShellTested = true;
    return;
  }
  FailHostShell(L"This program needs to be able to run basic shell commands.\r\n" +
                Fmt(L"%s \"echo abc\" returned \"%s\".", GetShellPath(), answer) + L"\r\n" +
                L"Ensure that /bin/bash or /bin/sh are installed correctly.");
}

// A folder nobody used before: a folder of that name that is already there (left by another
// process, or planted) is never reused.
std::wstring CreateNewWorkFolder(const std::wstring& title, const std::wstring& scriptText) {
  const std::wstring temp = GetHalvernTempFolder();
  ForceDirectoriesLX(temp);
  const std::wstring stem = temp + title + Fmt(L"_%.8x_", TextCrc32(scriptText));
  for (;;) {
    const std::wstring folder = stem + Fmt(L"%.8x", SharedRandomLX());
    if (CreateDirectoryW(LongFileName(folder).c_str(), nullptr)) {
      // A run that is cancelled or fails leaves its files: they go at exit.
      RegisterTempFolder(folder);
      return folder;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) RaiseLastOSError();
  }
}

// `hostFolder` is the work folder as the host names it; every work file is a plain name in it.
// Only shell builtins are added to the script: an outside command (rm, mv) costs a process.
std::wstring ScriptFileText(const std::wstring& scriptText, const std::wstring& hostFolder) {
  std::wstring text = L"#!" + GetShellPath() + L"\n";
  text += L"exec 1>" + HostShellWord(hostFolder + L"/" + kOutputName) + L"\n";
  text += L"exec 2>&1\n";
  // The shell's process id tells the wait whether the shell is still there.
  text += L"echo $$ > " + HostShellWord(hostFolder + L"/" + kPidName) + L"\n";
  for (std::wstring line : SplitLX(scriptText, L"\n")) {
    if (line.ends_with(L'\r')) line.pop_back();
    text += line + L"\n";
  }
  text += L"echo abc > " + HostShellWord(hostFolder + L"/" + kFinalName) + L"\n";
  return text;
}

void WriteBytes(const std::wstring& path, const std::string& bytes) {
  THvFileStream file(path, fmCreate);
  file.WriteBuffer(bytes);
}

// The script goes to `scriptFile`, as UTF-8; where that cannot be created, to a registered
// temporary file in the system's 8-bit code page. Answers the file used.
std::wstring WriteScriptFile(const std::wstring& scriptFile, const std::wstring& text) {
  try {
    WriteBytes(scriptFile, TEncoding::UTF8()->GetBytes(text));
    return scriptFile;
  } catch (const Exception&) {
    const std::string bytes = HostScriptAnsiBytes(text);
    const std::wstring fallback = GetRegisteredTempFileName(L".sh");
    WriteBytes(fallback, bytes);
    return fallback;
  }
}

std::wstring ReadUtf8File(const std::wstring& path) {
  THvFileStream file(path, fmOpenRead | fmShareDenyNone);
  std::string bytes(static_cast<std::size_t>(file.Size()), '\0');
  if (!bytes.empty()) file.ReadBuffer(bytes.data(), bytes.size());
  std::wstring text = TEncoding::UTF8()->GetString(bytes);
  if (text.starts_with(L"\xFEFF")) text.erase(0, 1);
  return text;
}

// An argument of a Windows command line as the program's start-up code splits it back.
std::wstring CommandLineWord(const std::wstring& text) {
  std::wstring word = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : text) {
    if (c == L'\\') {
      ++backslashes;
    } else {
      word.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
      backslashes = 0;
    }
    word += c;
  }
  word.append(backslashes * 2, L'\\');
  return word + L"\"";
}

// The host's process list as Wine shows it: Z:\proc on Linux; a Mac has none.
bool HostHasProcessList() {
  static const bool has = GetFileAttributesW(L"Z:\\proc\\1\\stat") != INVALID_FILE_ATTRIBUTES;
  return has;
}

// Whether host process `pid` has ended: no entry in the process list, or only the entry of a
// process nobody has collected yet (state Z or X after the name in parentheses).
bool HostProcessEnded(unsigned long pid) {
  const std::wstring stat = Fmt(L"Z:\\proc\\%u\\stat", static_cast<unsigned>(pid));
  const UniqueFileHandle file(CreateFileW(stat.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                          OPEN_EXISTING, 0, nullptr));
  if (!file) return GetFileAttributesW(stat.c_str()) == INVALID_FILE_ATTRIBUTES;
  char buffer[512];
  DWORD read = 0;
  if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr)) return false;
  const std::string text(buffer, read);
  const std::size_t close = text.rfind(')');
  if (close == std::string::npos || close + 2 >= text.size()) return false;
  return text[close + 2] == 'Z' || text[close + 2] == 'X';
}

// Watches a running script for the ways it can stop without writing its completion file:
// its shell never starts, the shell ends early (an "exit" in the script, a kill), or it runs
// past any real script's time. Each raises, naming the script and what it printed so far.
class TScriptWatch {
 public:
  TScriptWatch(const std::wstring& title, const std::wstring& pidFile, const std::wstring& outputFile,
               std::uint32_t startTick)
      : FTitle(title), FPidFile(pidFile), FOutputFile(outputFile), FStartTick(startTick) {}

  // `finished` answers whether the completion file is there now; asked again before a gone
  // shell counts, since the script may have ended the moment after the last look.
  template <class Finished>
  void Check(Finished finished) {
    const std::uint32_t elapsed = MillisecondsSince(FStartTick);
    if (elapsed - FLastCheck < kShellCheckIntervalMs && elapsed < gScriptRunLimitMs) return;
    FLastCheck = elapsed;
    if (!FPid) FPid = ReadPid();
    if (!FPid && elapsed >= gScriptStartLimitMs && !finished())
      Fail(Fmt(L"The host script \"%s\" did not start within %d seconds.", FTitle,
               static_cast<int>(gScriptStartLimitMs / 1000)));
    if (FPid && HostHasProcessList() && HostProcessEnded(FPid) && !finished())
      Fail(Fmt(L"The host script \"%s\" ended before it was done.", FTitle));
    if (elapsed >= gScriptRunLimitMs && !finished())
      Fail(Fmt(L"The host script \"%s\" did not finish within %d seconds.", FTitle,
               static_cast<int>(gScriptRunLimitMs / 1000)));
  }

 private:
  unsigned long ReadPid() const {
    try {
      if (!FileExistsLX(FPidFile, false)) return 0;
      const std::wstring text = TrimLX(ReadUtf8File(FPidFile));
      if (text.empty() || text.size() > 9 || text.find_first_not_of(L"0123456789") != std::wstring::npos) return 0;
      return std::stoul(text);
    } catch (const Exception&) {
      return 0;  // being written: read again next time
    }
  }

  [[noreturn]] void Fail(const std::wstring& message) const {
    std::wstring output;
    try {
      if (FileExistsLX(FOutputFile, false)) output = ReadUtf8File(FOutputFile);
    } catch (const Exception&) {
      // The message says what matters; the output only helps.
    }
    throw EExtraInfoException(message, output);
  }

  std::wstring FTitle, FPidFile, FOutputFile;
  std::uint32_t FStartTick;
  std::uint32_t FLastCheck = 0;
  unsigned long FPid = 0;
};

}  // namespace

std::uint32_t TextCrc32(const std::wstring& text) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  if (text.empty()) return 0;
  std::uint32_t crc = 0xFFFFFFFFu;
  for (wchar_t unit : text)
    for (std::uint8_t byte : {static_cast<std::uint8_t>(unit & 0xFF), static_cast<std::uint8_t>(unit >> 8)})
      crc = table[(crc ^ byte) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

std::string HostScriptAnsiBytes(const std::wstring& text) {
  if (text.empty()) return {};
  // A "best fit" would turn a character the code page lacks into a look-alike: U+FF07 into the
  // quotation mark that ends a quoted word.
  BOOL usedDefault = FALSE;
  const int size = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), nullptr,
                                       0, nullptr, &usedDefault);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  if (size > 0)
    WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, &usedDefault);
  if (size <= 0 || usedDefault)
    throw EHvGeneralError(L"The host script holds a character the system's code page cannot write exactly.");
  return bytes;
}

void InstallHostScriptRunner() { InstallHostShell({&RunScriptInHost, &ShellExists}); }

// One round trip of "echo abc" takes about 1.4-1.6 times writing the script and starting it
// directly, waiting for its completion file (bench/host_script_bench.cpp, Wine 8, 2 busy cores):
// the rest is the work folder and the four deletions, each a few server round trips.
std::wstring RunScriptInHost(const std::wstring& title, const std::wstring& scriptText,
                             const std::wstring& progressMessage) {
  const std::uint32_t startTick = TickCountLX();
  if (!IsWine()) throw Exception(L"Internal Error: Can only run script under Wine.");
  EnsurePathExtHasDot();
  TestShellOnce(title);
  if (IsChromeOS()) throw Exception(Fmt(L"Internal Error: cannot run script \"%s\" on Chrome OS.", title));

  const std::wstring temp = GetHalvernTempFolder();
  if (!StartsTextLX(L"Z:", temp)) throw Exception(Fmt(L"Internal Error: Temp Path is not on Z: drive (%s).", temp));
  const std::wstring folder = CreateNewWorkFolder(title, scriptText);
  const std::wstring outputFile = folder + L"\\" + kOutputName;
  const std::wstring finalFile = folder + L"\\" + kFinalName;
  const std::wstring pidFile = folder + L"\\" + kPidName;
  // The folder is new and the names below it are plain: it is converted once.
  const std::wstring hostFolder = Wine_ConvertDosPathToNative(folder);
  const std::wstring scriptFile = WriteScriptFile(folder + L"\\" + kScriptName, ScriptFileText(scriptText, hostFolder));
  const std::wstring commandLine = GetShellPath() + L" " + CommandLineWord(Wine_ConvertDosPathToNative(scriptFile));

  // Wakes the wait when a name in the work folder changes (the output file appearing), so the
  // answer is taken when it is there rather than at the next look.
  UniqueChangeNotification change(
      FindFirstChangeNotificationW(LongFileName(folder).c_str(), FALSE, FILE_NOTIFY_CHANGE_FILE_NAME));
  TProcessStart start;
  start.commandLine = commandLine;
  start.showCmd = SW_SHOWNORMAL;
  start.creationFlags = NORMAL_PRIORITY_CLASS;
  RunProcessChecked(start);
  IFlash flash;
  TScriptWatch watch(title, pidFile, outputFile, startTick);
  const auto finished = [&] { return FileExistsLX(finalFile, false) && FileExistsLX(outputFile, false); };
  while (!finished()) {
    if (change) {
      if (WaitForSingleObject(change.get(), kLookIntervalMs) == WAIT_OBJECT_0) FindNextChangeNotification(change.get());
    } else {
      Sleep(kLookIntervalMs);
    }
    if (MillisecondsSince(startTick) > kQuietWaitMs) {
      if (!flash)
        flash = CreateFlash(progressMessage.empty() ? Fmt(L"Running script \"%s\"...", title) : progressMessage, 0,
                            true);
      Sleep(50);
      flash->CheckCancel();
      Sleep(75);
    }
    if (flash) flash->CheckCancel();
    watch.Check(finished);
  }
  change.reset();  // it holds the folder open, which keeps the folder from going

  CheckFileExists(finalFile, fmInternal);
  CheckFileExists(outputFile, fmInternal);
  std::wstring output = ReadUtf8File(outputFile);
  DeleteFileLX(scriptFile);
  DeleteFileLX(outputFile);
  DeleteFileLX(finalFile);
  DeleteFileIfExistsLX(pidFile);
  RemoveDirLX(folder);
  RemoveTempFolder(folder);  // unlists it
  return output;
}

std::wstring GetShellPath() {
  if (!gShellPath.empty()) return gShellPath;
  if (!IsWine()) throw Exception(L"Internal Error: This function should only be reachable on WINE.");
  if (IsChromeOS()) throw EHvInternalError(L"Internal Error: There is no host shell on Chrome OS.");
  const std::wstring bashFile = gShellRoot + L"\\bin\\bash", shFile = gShellRoot + L"\\bin\\sh";
  // Named without asking the host: converting a path may itself need the shell.
  if (FileExistsLX(bashFile, true)) {
    gShellPath = gShellHostRoot + L"/bin/bash";
  } else if (FileExistsLX(shFile, true)) {
    gShellPath = gShellHostRoot + L"/bin/sh";
  } else {
    std::wstring bash, sh;
    FileExistsReport(bashFile, true, bash);
    FileExistsReport(shFile, true, sh);
    throw EExtraInfoException(L"Neither /bin/bash or /bin/sh exist.", bash + L"\r\n\r\n" + sh);
  }
  return gShellPath;
}

bool ShellExists() {
  if (!IsWine()) throw Exception(L"Internal Error: This function should only be reachable on WINE.");
  if (IsChromeOS()) throw EHvInternalError(L"Internal Error: There is no host shell on Chrome OS.");
  return FileExistsLX(gShellRoot + L"\\bin\\bash", true) || FileExistsLX(gShellRoot + L"\\bin\\sh", true);
}

ScopedHostShellRoot::ScopedHostShellRoot(const std::wstring& dosRoot, const std::wstring& hostRoot)
    : FSavedRoot(std::exchange(gShellRoot, dosRoot)),
      FSavedHostRoot(std::exchange(gShellHostRoot, hostRoot)),
      FSavedPath(std::exchange(gShellPath, {})) {}
ScopedHostShellRoot::~ScopedHostShellRoot() {
  gShellRoot = FSavedRoot;
  gShellHostRoot = FSavedHostRoot;
  gShellPath = FSavedPath;
}

ScopedHostScriptLimits::ScopedHostScriptLimits(std::uint32_t startMs, std::uint32_t runMs)
    : FSavedStart(gScriptStartLimitMs), FSavedRun(gScriptRunLimitMs) {
  gScriptStartLimitMs = startMs;
  gScriptRunLimitMs = runMs;
}
ScopedHostScriptLimits::~ScopedHostScriptLimits() {
  gScriptStartLimitMs = FSavedStart;
  gScriptRunLimitMs = FSavedRun;
}

ScopedUntestedShell::ScopedUntestedShell() : FSaved(gShellTested) { gShellTested = false; }
ScopedUntestedShell::~ScopedUntestedShell() { gShellTested = FSaved; }

}  // namespace hv

// Every program linked with the host shell has it installed before main runs (the link asks
// for this object up front, lib/CMakeLists.txt): a program that asked the host without it
// would fail under Wine.
extern "C" {
extern const bool HvHostShellInstalledAtStart;
const bool HvHostShellInstalledAtStart = (hv::InstallHostScriptRunner(), true);
}
