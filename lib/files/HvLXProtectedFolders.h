// Folders that no deletion may ever remove or empty, whatever path leads to them: a drive or
// share root, the whole Windows folder but its temporary folders (Temp, SystemTemp), the System
// folders, the system drive's Recovery folder, the Program Files and Common Files roots,
// ProgramData, the Users folder and every profile folder in it, every profile's own folders
// (Desktop, Documents, Downloads, Pictures, Music, Videos, AppData and the like, for every
// account, not only the running one), every ancestor of these, and any path that is not a fully
// qualified local or network path (relative, drive-relative, device paths, data streams).
// Another spelling of the same folder is the same folder: links, another drive letter for the
// same volume (compared by the folder's identity on its volume), and this computer's own shares
// reached over the network ("\\localhost\C$\...", "\\127.0.0.1\...", its own names).
#pragma once

#include <string>

namespace hv {

// True when `path` is such a folder, compared by what it really is (case, trailing
// separators, "\\?\" forms, 8.3 names and links do not matter). `why`, when given, receives
// a short reason for a message.
bool IsProtectedFolder(const std::wstring& path, std::wstring* why = nullptr);

// Why a folder named by outside input (a registry value) is not a path on a local fixed drive
// under its own letter: a network path, a removable, optical or network drive, a substituted
// drive letter, a path that is not fully qualified. Empty when it is one.
std::wstring WhyNotLocalFixedFolder(const std::wstring& path);

}  // namespace hv
