#include "HvLXTempCleanup.h"

#include <vector>

#include "HvHandles.h"
#include "HvLXClock.h"
#include "HvLXExistence.h"
#include "HvLXFileOps.h"
#include "HvLXHost.h"
#include "HvLXLinks.h"
#include "HvLXPaths.h"
#include "HvLXProtectedFolders.h"
#include "HvLXSpecialFolders.h"
#include "HvLXTempFiles.h"
#include "HvLXTempFilesState.h"

namespace hv {
namespace {

constexpr double kSharedTempMaxAgeDays = 1.0;
constexpr double kProcessTempMaxAgeDays = 7.0;

struct TEntry {
  std::wstring path;
  bool folder = false;
};

// What lies directly in `folder`. Links are left out altogether: a clean-up neither enters
// them nor deletes through them (under Wine a link to a file looks like the file itself,
// and DeleteFileLX refuses those).
std::vector<TEntry> EntriesIn(const std::wstring& folder) {
  std::vector<TEntry> entries;
  const std::wstring dir = ExcludeTrailingBackslashLX(folder);
  WIN32_FIND_DATAW data;
  UniqueFindHandle find(FindFirstFileW(LongFileName(dir + L"\\*").c_str(), &data));
  if (!find) return entries;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..") continue;
    TEntry entry{dir + L"\\" + name, (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0};
    if (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) continue;
    if (entry.folder && IsLinkPath(entry.path)) continue;
    entries.push_back(std::move(entry));
  } while (FindNextFileW(find.get(), &data));
  return entries;
}

void CollectBelow(const std::wstring& folder, bool wantFiles, bool wantFolders, std::vector<std::wstring>& out) {
  for (TEntry& entry : EntriesIn(folder)) {
    if (entry.folder) {
      if (wantFolders) out.push_back(entry.path);
      CollectBelow(entry.path, wantFiles, wantFolders, out);
    } else if (wantFiles) {
      out.push_back(entry.path);
    }
  }
}

// Every file below `root`, at any depth.
std::vector<std::wstring> FilesBelow(const std::wstring& root) {
  std::vector<std::wstring> files;
  CollectBelow(root, true, false, files);
  return files;
}

// Every folder below `root`, parents before their children.
std::vector<std::wstring> FoldersBelow(const std::wstring& root) {
  std::vector<std::wstring> folders;
  CollectBelow(root, false, true, folders);
  return folders;
}

double AgeInDays(const std::wstring& path) { return NowLX() - GetFileTimeStampLX(path, ftstTimeStamp); }

// A folder a clean-up may work in: it exists, is no link and no folder that must never be
// emptied, whatever a setting or environment variable made of it.
bool MayCleanIn(const std::wstring& folder) {
  const std::wstring dir = ExcludeTrailingBackslashLX(folder);
  return DirExistsLX(dir, false) && !IsLinkPath(dir) && !IsProtectedFolder(dir);
}

// The library's temporary folder when the sweeps of old leftovers may run in it: under Wine,
// in the program itself, and only when it is the program's own folder. The host's shared
// temporary folder holds files of other programs of every age.
bool OwnTempFolderToSweep(std::wstring& folder) {
  if (!IsWine() || !LibraryIsInProgramModule() || !HalvernTempFolderIsPrivate()) return false;
  folder = GetHalvernTempFolder();
  return MayCleanIn(folder);
}

}  // namespace

bool LibraryIsInProgramModule() {
  HMODULE own = nullptr;
  if (!GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                          reinterpret_cast<LPCWSTR>(&LibraryIsInProgramModule), &own))
    return false;
  return own == GetModuleHandleW(nullptr);
}

void CleanupTempFiles() {
  try {
    TTempFilesState& state = TempFilesState();
    THvLockGuard guard(state.filesLock);
    for (int i = state.files.Count() - 1; i >= 0; --i) {
      if (DeleteFileLX(state.files[i])) state.files.Delete(i);
    }
  } catch (...) {
  }
  try {
    std::wstring root;
    if (!OwnTempFolderToSweep(root)) return;
    for (const std::wstring& file : FilesBelow(root)) {
      // One file that vanishes or cannot be read must not keep the others.
      try {
        if (AgeInDays(file) >= kSharedTempMaxAgeDays) DeleteFileLX(file);
      } catch (...) {
      }
    }
  } catch (...) {
  }
}

void CleanupTempFolders() {
  try {
    TTempFilesState& state = TempFilesState();
    std::vector<std::wstring> folders;
    {
      THvLockGuard guard(state.foldersLock);
      folders = state.folders.ToArray();
    }
    for (const std::wstring& folder : folders) RemoveTempFolder(folder);
  } catch (...) {
  }
  try {
    std::wstring root;
    if (!OwnTempFolderToSweep(root)) return;
    // Children first, so that a folder holding only empty folders goes in the same pass.
    const std::vector<std::wstring> folders = FoldersBelow(root);
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) RemoveDirLX(*folder);
  } catch (...) {
  }
}

void CleanupProcessTempFolders() {
  try {
    std::wstring base;
    {
      TTempFilesState& state = TempFilesState();
      THvLockGuard guard(state.folderLock);
      base = state.processTempBase;
    }
    if (base.empty() || !MayCleanIn(base)) return;
    std::vector<std::wstring> folders{ExcludeTrailingBackslashLX(base)};
    for (std::wstring& folder : FoldersBelow(base)) folders.push_back(std::move(folder));
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) {
      std::vector<std::wstring> entries;
      for (TEntry& entry : EntriesIn(*folder)) entries.push_back(std::move(entry.path));
      for (int i = static_cast<int>(entries.size()) - 1; i >= 0; --i) {
        if (AgeInDays(entries[i]) > kProcessTempMaxAgeDays && DeleteFileLX(entries[i]))
          entries.erase(entries.begin() + i);
      }
      if (entries.empty()) RemoveDirLX(*folder);
    }
  } catch (...) {
    // Leftovers stay for the next program end to try again.
  }
}

}  // namespace hv
