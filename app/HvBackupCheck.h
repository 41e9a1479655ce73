// Whether a removal's backup may be put back. The file can be edited by whoever could write to
// its folder and the program runs elevated: only a file that names this program and its removal
// passes, and only when every key in it lies in a place where the removal deletes a product's
// trace, and every folder it names is one the removal sends to the Recycle Bin. Anything else
// refuses the whole file before a key is written.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "HvRegFileReader.h"

namespace hv {

// One trace as the removal deleted it: a key with every key below it, or (for the UninstallLink
// value) values of a key that stays.
struct TRestoreEntry {
  std::wstring Path;              // the trace's own key, as the backup names it
  bool ValuesOnly = false;        // only values of a key that may be there without them
  std::vector<TRegFileKey> Keys;  // the trace's key first, then those below it in file order
};

struct TRecycledRecord {
  std::wstring Path;
  std::uint64_t Time = 0;  // UTC FILETIME, taken just before the folder went
};

struct TCheckedBackup {
  std::wstring Removal;  // the name the backup gives its removal
  bool Restored = false;  // a restore has put it back already
  std::vector<TRestoreEntry> Entries;
  std::vector<TRecycledRecord> Recycled;
};

// What the check compares with, from the machine and the product catalogue.
struct TBackupPlaces {
  std::wstring CurrentUserSid;
  // Installation folders of the catalogue's products (both views of Program Files); folders an
  // identification-cache entry of the same backup names are accepted beside them.
  std::vector<std::wstring> Folders;
};
TBackupPlaces MachineBackupPlaces();

// `text`: the file without its byte order mark. Raises EHvGeneralError naming the first fault.
TCheckedBackup CheckBackupText(const std::wstring& text, const TBackupPlaces& places);

}  // namespace hv
