#include "HvRestoreCommand.h"

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

class TRestoreRun {
 public:
  TRestoreRun(const TCommandLine& command, TRemovalLog& log) : FCommand(command), FLog(log) {}

  int Run() {
    std::wstring path = FCommand.BackupPath;
    if (path.empty()) {
      path = LastBackupIn(RegistryBackupFolder());
      if (path.empty()) return Say(L"Nothing to restore: no removal has left a backup."), Finish(kExitNothingToRemove);
    } else {
      path = FullPath(path);
    }
    Say(L"Backup: " + path);
    std::unique_ptr<TBackupFile> file;
    TCheckedBackup backup;
    try {
      file = std::make_unique<TBackupFile>(path);
      try {
        backup = CheckBackupText(file->Text(), MachineBackupPlaces());
      } catch (const EHvGeneralError& e) {
        throw EHvGeneralError(Fmt(L"The backup %s is refused: %s.", path, e.Message()));
      }
    } catch (const Exception& e) {
      Say(ExceptionDisplayText(e));
      Say(L"Nothing was restored.");
      return Finish(kExitFailed);
    }
    Say(L"Removal: " + backup.Removal);
    if (backup.Restored) return Say(L"Nothing to restore: this removal was undone already."), Finish(kExitNothingToRemove);
    if (backup.Entries.empty() && backup.Recycled.empty()) return Say(L"Nothing to restore: the backup is empty."), Finish(kExitNothingToRemove);

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
    if (failed) return Finish(kExitFailed);
    // Only a whole restore is marked: after a partial one a second run puts back the rest.
    if (!file->MarkRestored()) Say(L"The backup could not be marked as restored; a second /restore finds everything in place.");
    Say(L"Everything came back.");
    return Finish(kExitSuccess);
  }

 private:
  static std::wstring FullPath(const std::wstring& path) {
    const DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    std::wstring full(size, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (length == 0 || length >= size) return path;
    full.resize(length);
    return full;
  }

  void Say(const std::wstring& line) {
    WriteStdOutLine(line);
    FLog.Line(line);
  }

  int Finish(int code) {
    FLog.Line(Fmt(L"Exit code: %d", code));
    return code;
  }

  const TCommandLine& FCommand;
  TRemovalLog& FLog;
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

int RunRestoreCommand(const TCommandLine& command, const std::wstring& commandLine) {
  std::unique_ptr<TRemovalLog> log;
  try {
    log = command.LogPath.empty() ? std::make_unique<TRemovalLog>(DefaultRemovalLogPath(), TLogOpening::New)
                                  : std::make_unique<TRemovalLog>(command.LogPath);
  } catch (const Exception& e) {
    WriteStdOutLine(ExceptionDisplayText(e));
    return kExitLogFailed;
  }
  WriteStdOutLine(L"Log: " + log->Path());
  log->Header(commandLine);
  try {
    return TRestoreRun(command, *log).Run();
  } catch (const Exception& e) {
    WriteStdOutLine(ExceptionDisplayText(e));
    log->Error(e);
    log->Line(Fmt(L"Exit code: %d", kExitFailed));
    return kExitFailed;
  }
}

}  // namespace hv
