#include "HvLXProgramFiles.h"

#include "HvLXFileOps.h"
#include "HvLXFilePlatform.h"

namespace hv {

std::wstring GetProgramFilesFolder() {
  constexpr int kCsidlProgramFiles = 38;
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
