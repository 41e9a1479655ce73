#include "HvLXProgramFiles.h"

#include "HvLXFileOps.h"
#include "HvLXFilePlatform.h"

namespace hv {

// The Program Files folder of 32-bit programs: the 32-bit build's own (CSIDL_PROGRAM_FILES),
// which the 64-bit build names explicitly (CSIDL_PROGRAM_FILESX86), so both look in one place.
constexpr int kCsidlProgramFiles = sizeof(void*) == 8 ? 42 : 38;

std::wstring GetProgramFilesFolder() {
  wchar_t buffer[MAX_PATH + 1] = {};
  std::wstring folder;
  if (CurrentFilePlatform().GetSpecialFolderPath(nullptr, buffer, kCsidlProgramFiles)) {
    buffer[MAX_PATH] = L'\0';
    folder = buffer;  // up to the first NUL
  }
  if (folder.empty()) {
    folder = L"C:\\Program Files";
    ForceDirectoriesLX(folder);
  }
  return folder;
}

}  // namespace hv
