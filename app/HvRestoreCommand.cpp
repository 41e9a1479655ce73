#include "HvRestoreCommand.h"

#include <functional>
#include <memory>

#include "HvBackupCheck.h"
#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvHandles.h"
#include "HvLXAdminFolders.h"
#include "HvLXConsole.h"
#include "HvLXShowException.h"
#include "HvRecycleBinRestore.h"
#include "HvRegistryBackup.h"
#include "HvRegistryRestore.h"
#include "HvRemovalLog.h"

namespace hv {
namespace {

// A backup is a few keys; anything far bigger is not one of ours.
constexpr LONGLONG kLargestBackup = 16 << 20;

// The backup opened as itself for reading and, where allowed, for appending the restore's
// mark; nobody may change it while it is read.
class TBackupFile {
 public:
  explicit TBackupFile(const std::wstring& path) : FPath(path) {
    for (DWORD access : {GENERIC_READ | FILE_APPEND_DATA | READ_CONTROL, GENERIC_READ | READ_CONTROL}) {
      FHandle.reset(CreateFileW(path.c_str(), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
      if (FHandle) {
        FCanMark = access & FILE_APPEND_DATA;
        break;
      }
      if (GetLastError() != ERROR_ACCESS_DENIED) break;
    }
    if (!FHandle) {
      const DWORD error = GetLastError();
      throw EOSError(Fmt(L"Could not open the backup %s: %s", path, SysErrorMessage(error)), error);
    }
    BY_HANDLE_FILE_INFORMATION info{};
    if (IsReparsePoint(FHandle.get())) Refuse(L"it is a link");
    if (!GetFileInformationByHandle(FHandle.get(), &info) || (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
      Refuse(L"it is not a file");
    if (info.nNumberOfLinks != 1) Refuse(L"it has a second name elsewhere");
    // Whatever it holds is written into the machine's registry with administrators' rights.
    if (!IsAdminOnly(FHandle.get())) Refuse(L"users other than administrators can change it");
  }

  std::wstring Text() {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(FHandle.get(), &size)) RaiseLastOSError();
    if (size.QuadPart > kLargestBackup || size.QuadPart % 2 != 0 || size.QuadPart < 2) Refuse(L"its size is not that of a backup");
    std::wstring text(static_cast<std::size_t>(size.QuadPart / 2), L'\0');
    DWORD read = 0;
    if (!ReadFile(FHandle.get(), text.data(), static_cast<DWORD>(size.QuadPart), &read, nullptr) || read != size.QuadPart)
      RaiseLastOSError();
    if (text[0] != L'\xFEFF') Refuse(L"it is not UTF-16 text with a byte order mark");
    return text.substr(1);
  }

  // Appends the line that tells a later restore this removal is undone.
  bool MarkRestored() {
    if (!FCanMark) return false;
    const std::wstring line = kRestoredMarker + BackupTimeNow() + L"\r\n";
    LARGE_INTEGER end{};
    DWORD written = 0;
    return SetFilePointerEx(FHandle.get(), LARGE_INTEGER{}, &end, FILE_END) &&
           WriteFile(FHandle.get(), line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)), &written, nullptr) &&
           written == line.size() * sizeof(wchar_t) && FlushFileBuffers(FHandle.get());
  }

 private:
  [[noreturn]] void Refuse(const std::wstring& why) {
    throw EHvGeneralError(Fmt(L"The backup %s is refused: %s.", FPath, why));
  }

  std::wstring FPath;
  UniqueFileHandle FHandle;
  bool FCanMark = false;
};

std::wstring FullPath(const std::wstring& path) {
  const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  std::wstring full(size, L'\0');
  const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
  if (length == 0 || length >= size) return path;
  full.resize(length);
  return full;
}

// The backup named (empty: the last removal's), read and checked; empty `file` with the reason
// in `nothing` when there is nothing to restore. Raises when the backup is refused.
struct TOpenedBackup {
  std::wstring Path, Nothing;
  std::unique_ptr<TBackupFile> File;
  TCheckedBackup Backup;
};

TOpenedBackup OpenBackup(const std::wstring& named) {
  TOpenedBackup opened;
  opened.Path = named.empty() ? LastBackupIn(RegistryBackupFolder()) : FullPath(named);
  if (opened.Path.empty()) {
    opened.Nothing = L"Nothing to restore: no removal has left a backup.";
    return opened;
  }
  opened.File = std::make_unique<TBackupFile>(opened.Path);
  try {
    opened.Backup = CheckBackupText(opened.File->Text(), MachineBackupPlaces());
  } catch (const EHvGeneralError& e) {
    throw EHvGeneralError(Fmt(L"The backup %s is refused: %s.", opened.Path, e.Message()));
  }
  if (opened.Backup.Restored)
    opened.Nothing = L"Nothing to restore: this removal was undone already.";
  else if (opened.Backup.Entries.empty() && opened.Backup.Recycled.empty())
    opened.Nothing = L"Nothing to restore: the backup is empty.";
  return opened;
}

class TRestoreRun {
 public:
  TRestoreRun(const std::wstring& backupPath, std::function<void(const std::wstring&)> say)
      : FBackupPath(backupPath), FSay(std::move(say)) {}

  int Run() {
    TOpenedBackup opened;
    try {
      opened = OpenBackup(FBackupPath);
    } catch (const Exception& e) {
      Say(ExceptionDisplayText(e));
      Say(L"Nothing was restored.");
      return kExitFailed;
    }
    if (!opened.Path.empty()) Say(L"Backup: " + opened.Path);
    if (opened.File) Say(L"Removal: " + opened.Backup.Removal);
    if (!opened.Nothing.empty()) return Say(opened.Nothing), kExitNothingToRemove;
    const TCheckedBackup& backup = opened.Backup;
    TBackupFile* file = opened.File.get();

    bool failed = false;
    for (const TRestoreEntry& entry : backup.Entries) {
      try {
        Say((RestoreRegistryEntry(entry) == TEntryRestore::Restored ? L"Restored: " : L"Already in place: ") + entry.Path);
      } catch (const Exception& e) {
        Say(e.Message());
        failed = true;
      }
    }
    for (const TRecycledRecord& record : backup.Recycled) {
      const TRecycledResult result = RestoreRecycledFolder(record);
      switch (result.Outcome) {
        case TRecycledOutcome::Restored:
          Say(Fmt(L"Restored from the Recycle Bin (through %s): %s", result.Detail, record.Path));
          continue;
        case TRecycledOutcome::NotInBin: Say(L"Not in the Recycle Bin any more: " + record.Path); break;
        case TRecycledOutcome::Occupied:
          Say(Fmt(L"Left in the Recycle Bin: %s: something else is in its place now.", record.Path));
          break;
        case TRecycledOutcome::Failed: Say(Fmt(L"Could not restore %s from the Recycle Bin: %s", record.Path, result.Detail)); break;
      }
      failed = true;
    }
    if (failed) return kExitFailed;
    // Only a whole restore is marked: after a partial one a second run puts back the rest.
    if (!file->MarkRestored()) Say(L"The backup could not be marked as restored; a second /restore finds everything in place.");
    Say(L"Everything came back.");
    return kExitSuccess;
  }

 private:
  void Say(const std::wstring& line) { FSay(line); }

  std::wstring FBackupPath;
  std::function<void(const std::wstring&)> FSay;
};

// "Registry backup YYYY-MM-DD HH-MM-SS" and " (n)" when that name was taken: the date, then n.
bool BackupNameOrder(const std::wstring& name, std::wstring& date, int& number) {
  static const std::wstring stem = L"Registry backup ";
  constexpr std::size_t kDateLength = 19;
  if (name.size() < stem.size() + kDateLength + 4 || !name.starts_with(stem) || !name.ends_with(L".reg")) return false;
  date = name.substr(stem.size(), kDateLength);
  const std::wstring rest = name.substr(stem.size() + kDateLength, name.size() - stem.size() - kDateLength - 4);
  number = 1;
  if (rest.empty()) return true;
  if (rest.size() < 4 || !rest.starts_with(L" (") || !rest.ends_with(L")")) return false;
  number = 0;
  for (wchar_t c : rest.substr(2, rest.size() - 3)) {
    if (c < L'0' || c > L'9' || number > 100000) return false;
    number = number * 10 + (c - L'0');
  }
  return true;
}

}  // namespace

std::wstring LastBackupIn(const std::wstring& folder) {
  WIN32_FIND_DATAW found{};
  UniqueFindHandle find(FindFirstFileW((folder + L"Registry backup *.reg").c_str(), &found));
  if (!find) return {};
  std::wstring best, bestDate;
  int bestNumber = 0;
  do {
    std::wstring date;
    int number = 0;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    if (!BackupNameOrder(found.cFileName, date, number)) continue;
    if (best.empty() || date > bestDate || (date == bestDate && number > bestNumber)) {
      best = found.cFileName;
      bestDate = date;
      bestNumber = number;
    }
  } while (FindNextFileW(find.get(), &found));
  return best.empty() ? best : folder + best;
}

TRestorePlan PlanRestore(const std::wstring& backupPath) {
  TOpenedBackup opened = OpenBackup(backupPath);
  TRestorePlan plan{opened.Path, {}, opened.Nothing};
  if (!plan.Nothing.empty()) return plan;
  for (const TRestoreEntry& entry : opened.Backup.Entries) plan.Items.push_back(entry.Path);
  for (const TRecycledRecord& record : opened.Backup.Recycled) plan.Items.push_back(record.Path + L" (from the Recycle Bin)");
  return plan;
}

int RestoreRemoval(const std::wstring& backupPath, const std::function<void(const std::wstring&)>& say) {
  return TRestoreRun(backupPath, say).Run();
}

int RunRestoreCommand(const TCommandLine& command, const std::wstring& commandLine) {
  const std::unique_ptr<TRemovalLog> log = OpenCommandLog(command.LogPath, commandLine);
  if (!log) return kExitLogFailed;
  try {
    const int code = RestoreRemoval(command.BackupPath, [&](const std::wstring& line) {
      WriteStdOutLine(line);
      log->Line(line);
    });
    log->Line(Fmt(L"Exit code: %d", code));
    return code;
  } catch (const Exception& e) {
    WriteStdOutLine(ExceptionDisplayText(e));
    log->Error(e);
    log->Line(Fmt(L"Exit code: %d", kExitFailed));
    return kExitFailed;
  }
}

}  // namespace hv
