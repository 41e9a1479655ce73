// Folders that only administrators and the system can change, and work below a folder through
// handles instead of paths. The program runs elevated, also as the local system account in a
// temporary folder every user can write to: a name another user can create, or swap for a link
// between our check and our use, must never decide where our files go.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "HvHandles.h"
#include "HvWindows.h"

namespace hv {

// What a folder handle of this unit may do: list, look up, create below, rename into, go.
inline constexpr DWORD kFolderHandleAccess = FILE_LIST_DIRECTORY | FILE_TRAVERSE | FILE_ADD_FILE |
                                             FILE_ADD_SUBDIRECTORY | FILE_READ_ATTRIBUTES | READ_CONTROL | DELETE;

// Creates the folder `name` new directly below the open folder `parent` and answers a handle
// to it (listing, creating below, renaming into, deleting, reading its security). With
// `adminOnly` its access list is replaced by full control for administrators and the system
// alone, inherited by nothing from `parent`; otherwise it inherits as any new folder does.
// Invalid (with the last error set) when the name exists in any form (a folder, a file, a
// link) or is not one plain name.
UniqueFileHandle CreateFolderBelow(HANDLE parent, const std::wstring& name, bool adminOnly);
// Opens `name` directly below `parent` as itself: a link there is opened as the link, never
// as what it leads to. Invalid (with the last error set) when there is none.
UniqueFileHandle OpenBelow(HANDLE parent, const std::wstring& name, DWORD access);
// The same, only when it is a folder (`folder`) or only when it is none: what was looked at
// as a file is never opened as a folder that appeared under its name meanwhile.
UniqueFileHandle OpenBelow(HANDLE parent, const std::wstring& name, DWORD access, bool folder);
// Opens the existing folder `path` (all sharing) as itself, not through a final link.
UniqueFileHandle OpenFolderItself(const std::wstring& path, DWORD access);
// Moves the open `file` into the open `folder` under `name`, never replacing what is there.
bool RenameInto(HANDLE file, HANDLE folder, const std::wstring& name);
// Marks the open file or folder to go when its last handle closes (a folder only when empty
// by then). False when the system refuses (a folder that is not empty, a missing right).
bool DeleteWhenClosed(HANDLE handle);
// Whether `handle` names a folder that is no reparse point.
bool IsPlainFolder(HANDLE handle);
// Whether what `handle` names is a reparse point (a link of any kind or a foreign placeholder).
bool IsReparsePoint(HANDLE handle);

// Whether only administrators, the system and the installer service can change the file or
// folder (needs READ_CONTROL on the handle): it is owned by one of them, and its access list
// grants no one else a right to write, add, delete or change its security, also for what is
// created inside it. False when the security cannot be read. Under Wine, whose disk keeps no
// access list (it shows one made from the host's mode bits, owned by the running account, as
// every program of the host runs as the same host user), the running account counts as one of
// them there.
bool IsAdminOnly(HANDLE handle);
// The same test on a security descriptor (owner and access list); `alsoTrusted` (may be
// nullptr) counts as one of them.
bool IsAdminOnlySecurity(PSECURITY_DESCRIPTOR sd, PSID alsoTrusted = nullptr);

// The calls on a file's security, which a test replaces: Wine 8 keeps no access list on disk,
// so a test stands in for the disk of a system that does.
struct FileSecurityOps {
  // Owner and access list of the open file or folder, self-relative; empty when unreadable.
  std::function<std::vector<BYTE>(HANDLE handle)> Get;
  // Sets the owner (when `sd` names one) and the access list, protected from inheritance.
  std::function<bool(HANDLE handle, PSECURITY_DESCRIPTOR sd)> Set;
  // Whether the disk keeps access lists; unset: everywhere but under Wine (its loader, whatever
  // the host settings pin).
  std::optional<bool> KeepsAccessLists;
};
const FileSecurityOps& CurrentFileSecurityOps();
FileSecurityOps RealFileSecurityOps();
// Replaces the calls set in `ops` (and KeepsAccessLists when set) until the scope ends.
class ScopedFileSecurityOps {
 public:
  explicit ScopedFileSecurityOps(const FileSecurityOps& ops);
  ~ScopedFileSecurityOps();
  ScopedFileSecurityOps(const ScopedFileSecurityOps&) = delete;
  ScopedFileSecurityOps& operator=(const ScopedFileSecurityOps&) = delete;

 private:
  FileSecurityOps FSaved;
};
bool IsAdminOnlyPath(const std::wstring& path);

// The folder `relative` (one or more names below the ProgramData folder, "\"-separated),
// made where missing with an access list for administrators and the system alone. Each level
// that exists already must be such a folder and no link; otherwise EHvGeneralError names it
// and nothing is made. The answer ends with a backslash.
std::wstring AdminOnlyDataFolder(const std::wstring& relative);

}  // namespace hv
