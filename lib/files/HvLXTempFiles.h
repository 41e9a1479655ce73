// Temporary files of this process: a private temporary folder per running process, unique
// file names in it, and the lists of temporary files and folders to delete when the program
// ends (see HvLXTempCleanup.h).
#pragma once

#include <cstdint>
#include <string>

#include "HvHandles.h"

namespace hv {

// This process's private temporary folder, created, ending in a backslash. On Windows the
// system's temporary folder, "<program>_tmp\", the process id and "\"; once a unique-name
// search has failed, a further level of 8 hexadecimal digits follows.
std::wstring GetProcessTempFolder();

// Looks for a name in `folder` (created) of the form <prefix>-<8 hex digits><ext> at which
// nothing exists: no file, no folder and no link, dangling or not, so a file created there
// lands in `folder` itself. Gives up after a failed try when more than timeoutMs ms have
// passed and more than 1000 names were tried, or more than three times timeoutMs and more
// than 500 names. `tries` receives the number of names tried; `name` is set on success only.
bool FindUniqueFileName(const std::wstring& ext, const std::wstring& folder, const std::wstring& prefix,
                        std::uint32_t timeoutMs, std::wstring& name, int& tries);

// A path in the process temporary folder at which nothing existed when it was checked; the
// file is not created. When no name is found, the process temporary folder gains an extra
// level and the search runs once more; if that fails too, raises EHvInternalError.
std::wstring GetUniqueTempFileName(const std::wstring& ext);
// As GetUniqueTempFileName, with the path registered for deletion when the program ends.
std::wstring GetRegisteredTempFileName(const std::wstring& ext);

// Creates a new, empty file at a unique name in the process temporary folder and returns it
// open for reading and writing (shared for reading), its path in `path`. The file is created
// new: a name that something took between the search and the creation (a dangling link
// included, through which a write would land elsewhere) is passed over for the next one.
// Raises EOSError with the path when the file cannot be created, and what
// GetUniqueTempFileName raises when no name is found. `shareMode` and `flagsAndAttributes`
// are those of CreateFileW.
UniqueFileHandle CreateUniqueTempFile(const std::wstring& ext, std::wstring& path, DWORD shareMode = FILE_SHARE_READ,
                                      DWORD flagsAndAttributes = FILE_ATTRIBUTE_NORMAL);

// Lists a file for deletion when the program ends; false when it was listed already.
bool RegisterTempFile(const std::wstring& path);
// Lists a folder tree for deletion when the program ends; false when it was listed already.
bool RegisterTempFolder(const std::wstring& path);
// Deletes a registered temporary folder tree (never through links, never a protected folder)
// and unlists it once it is gone. Never raises.
void RemoveTempFolder(const std::wstring& path);

// Test seam: the process temporary folder is determined afresh within the scope (no base, no
// extra level); the previous state comes back afterwards.
class ScopedProcessTempState {
 public:
  ScopedProcessTempState();
  ~ScopedProcessTempState();
  ScopedProcessTempState(const ScopedProcessTempState&) = delete;
  ScopedProcessTempState& operator=(const ScopedProcessTempState&) = delete;

 private:
  std::wstring FSavedBase, FSavedSuffix;
};

}  // namespace hv
