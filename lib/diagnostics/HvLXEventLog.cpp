#include "HvLXEventLog.h"

#include <atomic>
#include <cstdlib>
#include <mutex>

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvHandles.h"
#include "HvLXEventSource.h"
#include "HvLXExistence.h"
#include "HvLXFileOps.h"
#include "HvLXFileSearch.h"
#include "HvLXHost.h"
#include "HvLXPaths.h"
#include "HvLXSpecialFolders.h"
#include "HvLXWildcard.h"
#include "HvScopeExit.h"
#include "HvStreams.h"
#include "HvStringList.h"
#include "HvWindows.h"

namespace hv {
namespace {

constexpr int kKeptEventLogFiles = 100;
constexpr int kPruneRhythm = 100;  // prune after the 99th, 199th ... file
constexpr wchar_t kEventLogMask[] = L"Log_*.txt";

// Counted per thread: a report being written on one thread must not silence another's.
thread_local int EventLogDepth = 0;
std::atomic<std::uint32_t> EventLogFilesWritten{0};
std::atomic<bool> PruneAtExitRegistered{false};

// The last name prefix (second) this process wrote under, and the next number after it.
std::mutex SequenceLock;
std::wstring LastPrefix;
int NextSequence = 0;

// Numbers continue after the last one this process used in the same second. Starting again at
// the first free number would fill the gaps pruning left in a burst of reports, and such a new
// report would then sort as the oldest and be pruned first.
int FirstSequence(const std::wstring& prefix) {
  std::lock_guard lock(SequenceLock);
  return prefix == LastPrefix ? NextSequence : 0;
}

void SequenceUsed(const std::wstring& prefix, int sequence) {
  std::lock_guard lock(SequenceLock);
  if (prefix != LastPrefix || sequence >= NextSequence) {
    LastPrefix = prefix;
    NextSequence = sequence + 1;
  }
}

void PruneAtExit() {
  if (!IsWine()) return;
  try {
    PruneEventLogFiles();
  } catch (...) {
    // Nothing can report it any more at this point.
  }
}

// Registered on the first file rather than at start-up, so it runs before the data it needs
// (the user data folder, the program name) is destroyed; a process that wrote nothing has
// nothing to prune.
void RegisterPruneAtExit() {
  if (!PruneAtExitRegistered.exchange(true)) std::atexit(&PruneAtExit);
}

void WriteSystemEvent(const std::wstring& text, std::uint16_t eventType) {
  RegisterEventSourceOnce();
  HANDLE source = RegisterEventSourceW(nullptr, kEventSourceName);
  if (!source) return;
  const wchar_t* strings[] = {text.c_str()};
  ReportEventW(source, eventType, 0, 0, nullptr, 1, 0, strings, nullptr);
  DeregisterEventSource(source);
}

std::string EventFileBytes(const std::wstring& text) {
  THvStringList lines;
  lines.SetText(text);  // stops at a NUL
  TMemoryStream bytes;
  lines.SaveToStream(bytes, TEncoding::Unicode());
  return bytes.Bytes();
}

enum class CreateResult { Written, NameTaken };

// Creates `name` new, never replacing a file that took the name since it was checked.
CreateResult CreateEventFile(const std::wstring& name, const std::string& bytes) {
  UniqueFileHandle file(CreateFileW(LongFileName(name).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD code = GetLastError();
    if (FileExistsLX(name, true)) return CreateResult::NameTaken;
    throw EFCreateError(Fmt(L"Cannot create file \"%s\". %s", name, SysErrorMessage(code)));
  }
  THandleStream(file.get()).WriteBuffer(bytes);
  return CreateResult::Written;
}

}  // namespace

void ReportEventLX(const std::wstring& text, std::uint16_t eventType) {
  ++EventLogDepth;
  ScopeExit leave([] { --EventLogDepth; });
  if (EventLogDepth >= 3) return;
  if (IsWine()) WriteEventLogFile(text);
  WriteSystemEvent(text, eventType);
}

void ReportErrorEventLX(const std::wstring& text) { ReportEventLX(text, kEventTypeError); }

std::wstring GetEventLogFolder() {
  HV_ASSERT(IsWine());
  const std::wstring folder =
      IncludeTrailingBackslashLX(GetUserDataFolder()) + L"Halvern\\" + GetExeBaseName() + L"\\EventLogs\\";
  ForceDirectoriesLX(folder);
  return folder;
}

void WriteEventLogFile(const std::wstring& text) {
  const std::uint32_t written = ++EventLogFilesWritten;
  const std::wstring folder = GetEventLogFolder();
  RegisterPruneAtExit();
  SYSTEMTIME now;
  GetLocalTime(&now);
  const std::wstring prefix = folder + Fmt(L"Log_%.4d%.2d%.2d_%.2d%.2d%.2d_", int(now.wYear), int(now.wMonth),
                                           int(now.wDay), int(now.wHour), int(now.wMinute), int(now.wSecond));
  const std::string bytes = EventFileBytes(text);
  for (int sequence = FirstSequence(prefix);; ++sequence) {
    const std::wstring name = prefix + Fmt(L"%.3d.txt", sequence);
    if (FileExistsLX(name, true)) continue;
    if (CreateEventFile(name, bytes) == CreateResult::Written) {
      SequenceUsed(prefix, sequence);
      break;
    }
  }
  if (written % kPruneRhythm == kPruneRhythm - 1) {
    try {
      PruneEventLogFiles();
    } catch (...) {
      // A folder that cannot be trimmed now is trimmed by a later writer.
    }
  }
}

void PruneEventLogFiles() {
  HV_ASSERT(IsWine());
  THvStringList files;
  FindFilesLX(GetEventLogFolder(), files, kEventLogMask, false, false);
  // The system's own matching also takes short 8.3 names into account ("Log_x.txt1").
  for (int i = files.Count() - 1; i >= 0; --i)
    if (!WildcardMatchLX(kEventLogMask, ExtractFileName(files[i]))) files.Delete(i);
  files.Sort();
  for (int i = 0; i < files.Count() - kKeptEventLogFiles; ++i) DeleteFileLX(files[i]);
}

}  // namespace hv
