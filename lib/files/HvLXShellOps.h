// Deleting files and folder trees through the shell's file operation (the desktop's own
// delete, with the Recycle Bin as an option).
#pragma once

#include <cstdint>
#include <string>

#include "HvWindows.h"

namespace hv {

inline constexpr std::uint16_t kFofSilent = 0x0004;
inline constexpr std::uint16_t kFofNoConfirmation = 0x0010;
inline constexpr std::uint16_t kFofAllowUndo = 0x0040;
inline constexpr std::uint16_t kFofNoErrorUI = 0x0400;
inline constexpr std::uint16_t kFofWantNukeWarning = 0x4000;
inline constexpr unsigned kFoDelete = 3;

// The text for a shell file operation result; empty for a code it does not know.
std::wstring ShellFileOperationErrorText(int code);

// Runs one shell file operation on a single source (and destination, when not empty).
// Raises EAbort when the user cancelled a confirmation, EExtraInfoException (message with
// the paths, extra information with the raw result) on any other failure.
void ShellFileOperation(HWND owner, unsigned operation, const std::wstring& fromPath, const std::wstring& toPath,
                        std::uint16_t flags, const std::wstring& progressTitle);

// Deletes a file or a whole folder tree through the shell. Before the shell sees a folder,
// links in it are removed as links (or, where this system cannot do that, the tree is
// refused with EHvGeneralError), and a protected folder is refused with EHvGeneralError.
// A path that is itself a link is removed as a link, and that is the whole deletion.
void ShellDeletePath(const std::wstring& path, std::uint16_t flags, const std::wstring& progressTitle);

// Deletes a file or folder tree silently; never reports failure (test existence afterwards).
// A tree that may not be deleted is left alone. With `allowUndo` it goes to the Recycle Bin
// or stays: what the Recycle Bin cannot take is never deleted for good, not even by the
// host-shell fallback.
void DeletePathLX(const std::wstring& path, bool allowUndo);

// Sends a file or folder tree to the Recycle Bin silently, with no link checks of its own
// (the caller has made the path safe), and never deletes it for good: where the Recycle Bin
// cannot take it, the shell's warning before a permanent deletion is declined and the path
// stays. True when the path is gone.
bool RecycleOrKeep(const std::wstring& path) noexcept;

// Removes a folder tree through the host shell (Wine only).
void RemoveNonEmptyDir(const std::wstring& path);

}  // namespace hv
