// A registry export of everything a removal deletes, written before each deletion, so that
// importing the file with any registry editor puts back what was removed. One file per removal,
// created new with its first entry and named by date and time, in ProgramData's
// HalvernUninstaller\Backups\, a folder only administrators can change: an administrator may
// import the file later, so no other user's program may edit it meanwhile.
#pragma once

#include <string>

#include "HvHandles.h"
#include "HvWindows.h"

namespace hv {

class TRegistryBackup {
 public:
  // `folder` (created when needed) holds the file; empty: RegistryBackupFolder().
  explicit TRegistryBackup(std::wstring folder = {});

  // Appends the key with its values and every sub-key below it, and flushes the file, when the
  // key exists in the program's registry view. Raises (nothing written) when any part of the
  // tree cannot be read or written down: the caller must then leave the key in place.
  void BackupKey(HKEY root, const std::wstring& key);
  // The same for one value of a key.
  void BackupValue(HKEY root, const std::wstring& key, const std::wstring& name);

  // Notes a folder the removal is about to send to the Recycle Bin, with the time it goes, so
  // that undoing the removal finds exactly that item in the bin.
  void RecordRecycled(const std::wstring& path);

  // The file, once something was written to it; empty before.
  const std::wstring& Path() const { return FPath; }

 private:
  void Append(const std::wstring& text);

  std::wstring FFolder, FPath;
  UniqueFileHandle FFile;
};

// The comment lines of a backup that registry editors skip and the restore reads: the first
// one after the editor's header names the program and the removal; the others follow as they
// happen ("; Recycled <UTC FILETIME> <path>", "; Restored <UTC FILETIME>").
inline constexpr wchar_t kBackupMarker[] = L"; Halvern Uninstaller registry backup of the removal ";
inline constexpr wchar_t kRecycledMarker[] = L"; Recycled ";
inline constexpr wchar_t kRestoredMarker[] = L"; Restored ";
// The current time as a UTC FILETIME in decimal, as those lines carry it.
std::wstring BackupTimeNow();

// ProgramData's HalvernUninstaller\Backups\, made for administrators alone (see
// AdminOnlyDataFolder); raises when it is there but not theirs alone.
std::wstring RegistryBackupFolder();

}  // namespace hv
