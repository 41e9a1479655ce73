#include "HvLXTempFiles.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvLXClock.h"
#include "HvLXExistence.h"
#include "HvLXFileOps.h"
#include "HvLXHost.h"
#include "HvLXPaths.h"
#include "HvLXRandom.h"
#include "HvLXShellOps.h"
#include "HvLXSpecialFolders.h"
#include "HvLXTempFilesState.h"

namespace hv {
namespace {

constexpr std::uint32_t kUniqueTempNameTimeoutMs = 2500;

std::wstring RandomHex8() { return Fmt(L"%.8x", SharedRandomLX()); }

// Taken means anything at all is there, a link included: a file created through a dangling
// link would land wherever the link points.
bool NameIsTaken(const std::wstring& path) {
  return FileExistsLX(path, false) || DirExistsUncheckedLX(path, false);
}

bool SearchLimitsReached(std::uint32_t startTick, std::uint32_t timeoutMs, int tries) {
  const std::uint64_t elapsed = MillisecondsSince(startTick);
  return (elapsed > timeoutMs && tries > 1000) || (elapsed > 3ull * timeoutMs && tries > 500);
}

bool FindUniqueTempName(const std::wstring& ext, std::wstring& name, int& tries) {
  return FindUniqueFileName(ext, GetProcessTempFolder(), L"tmp", kUniqueTempNameTimeoutMs, name, tries);
}

template <class Item>
bool AddIfNew(THvMonitor& lock, THvList<Item>& list, const Item& item) {
  THvLockGuard guard(lock);
  if (list.Contains(item)) return false;
  list.Add(item);
  return true;
}

}  // namespace

TTempFilesState& TempFilesState() {
  static TTempFilesState state;
  return state;
}

std::wstring GetProcessTempFolder() {
  TTempFilesState& state = TempFilesState();
  THvLockGuard guard(state.folderLock);
  if (state.processTempBase.empty()) {
    std::wstring base = GetHalvernTempFolder();
    const std::wstring program = GetExeBaseName();
    // Under Wine the library's temporary folder is usually the program's own already.
    if (IsWine() && !IsChromeOS() && base.find(program) != std::wstring::npos)
      base += L"tmp_";
    else
      base += program + L"_tmp\\";
    state.processTempBase = base;
  }
  std::wstring folder = state.processTempBase + std::to_wstring(GetCurrentProcessId()) + L"\\";
  if (!state.processTempSuffix.empty()) folder += state.processTempSuffix + L"\\";
  ForceDirectoriesLX(folder);
  return folder;
}

bool FindUniqueFileName(const std::wstring& ext, const std::wstring& folder, const std::wstring& prefix,
                        std::uint32_t timeoutMs, std::wstring& name, int& tries) {
  const std::uint32_t startTick = TickCountLX();
  const std::wstring dir = IncludeTrailingBackslashLX(folder);
  ForceDirectoriesLX(dir);
  tries = 0;
  for (;;) {
    ++tries;
    std::wstring candidate = dir + prefix + L"-" + RandomHex8() + ext;
    if (!NameIsTaken(candidate)) {
      name = std::move(candidate);
      return true;
    }
    if (SearchLimitsReached(startTick, timeoutMs, tries)) return false;
  }
}

std::wstring GetUniqueTempFileName(const std::wstring& ext) {
  const std::uint32_t startTick = TickCountLX();
  std::wstring name;
  int tries = 0;
  if (FindUniqueTempName(ext, name, tries)) return name;
  {
    // Something fills the folder faster than names can be found (or a bad generator keeps
    // repeating itself): move this process to a fresh folder level for good.
    TTempFilesState& state = TempFilesState();
    THvLockGuard guard(state.folderLock);
    state.processTempSuffix = RandomHex8();
  }
  if (FindUniqueTempName(ext, name, tries)) return name;
  throw EHvInternalError(Fmt(L"Internal Error: A unique file name could not be found within %d seconds and %d tries.",
                             static_cast<int>(std::min<std::uint32_t>(MillisecondsSince(startTick) / 1000, INT32_MAX)),
                             tries));
}

std::wstring GetRegisteredTempFileName(const std::wstring& ext) {
  std::wstring name = GetUniqueTempFileName(ext);
  RegisterTempFile(name);
  return name;
}

UniqueFileHandle CreateUniqueTempFile(const std::wstring& ext, std::wstring& path, DWORD shareMode,
                                      DWORD flagsAndAttributes) {
  // Far more than chance gives; only a name taken again and again behind the search's back
  // runs out of them.
  constexpr int kAttempts = 100;
  DWORD error = ERROR_FILE_EXISTS;
  std::wstring candidate;
  for (int attempt = 0; attempt < kAttempts && (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS);
       ++attempt) {
    candidate = GetUniqueTempFileName(ext);
    UniqueFileHandle file(CreateFileW(LongFileName(candidate).c_str(), GENERIC_READ | GENERIC_WRITE, shareMode, nullptr,
                                      CREATE_NEW, flagsAndAttributes, nullptr));
    if (file) {
      path = candidate;
      return file;
    }
    error = GetLastError();
  }
  EOSError failure = MakeOSError(error);
  failure.SetMessage(failure.Message() + L"\r\n  " + candidate);
  throw failure;
}

bool RegisterTempFile(const std::wstring& path) {
  TTempFilesState& state = TempFilesState();
  return AddIfNew(state.filesLock, state.files, path);
}

bool RegisterTempFolder(const std::wstring& path) {
  TTempFilesState& state = TempFilesState();
  return AddIfNew(state.foldersLock, state.folders, path);
}

void RemoveTempFolder(const std::wstring& path) {
  try {
    if (DirExistsLX(path, false)) DeletePathLX(path, false);
    if (DirExistsLX(path, false)) return;
    TTempFilesState& state = TempFilesState();
    THvLockGuard guard(state.foldersLock);
    state.folders.Remove(path);
  } catch (...) {
    // Clean-up of what is only temporary: a folder that will not go stays listed.
  }
}

ScopedProcessTempState::ScopedProcessTempState() {
  TTempFilesState& state = TempFilesState();
  THvLockGuard guard(state.folderLock);
  FSavedBase = std::exchange(state.processTempBase, std::wstring());
  FSavedSuffix = std::exchange(state.processTempSuffix, std::wstring());
}

ScopedProcessTempState::~ScopedProcessTempState() {
  TTempFilesState& state = TempFilesState();
  LockWaitLX(&state.folderLock);
  state.processTempBase = std::move(FSavedBase);
  state.processTempSuffix = std::move(FSavedSuffix);
  UnlockLX(&state.folderLock);
}

}  // namespace hv
