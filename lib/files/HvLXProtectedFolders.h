// Folders that no deletion may ever remove or empty, whatever path leads to them: a drive or
// share root, the Windows and System folders, the Program Files roots, ProgramData, the
// Users folder and every profile folder in it, the user's known folders (Desktop, Documents,
// Downloads, Pictures, Music, Videos, AppData), and every ancestor of these; the system's own
// sub-trees of the Windows folder (System32, SysWOW64, SysNative, WinSxS, Fonts, servicing,
// assembly, Installer, Boot) with everything below them; and any path that is not a fully
// qualified local or network path (relative, drive-relative, device paths, data streams).
#pragma once

#include <string>

namespace hv {

// True when `path` is such a folder, compared by what it really is (case, trailing
// separators, "\\?\" forms, 8.3 names and links do not matter). `why`, when given, receives
// a short reason for a message.
bool IsProtectedFolder(const std::wstring& path, std::wstring* why = nullptr);

}  // namespace hv
