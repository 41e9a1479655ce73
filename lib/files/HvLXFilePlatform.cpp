#include "HvLXFilePlatform.h"

#include <shlobj.h>

namespace hv {
namespace {

FilePlatform& Installed() {
  static FilePlatform platform = RealFilePlatform();
  return platform;
}

}  // namespace

FilePlatform RealFilePlatform() {
  FilePlatform real;
  real.GetAttributes = [](const wchar_t* path) { return ::GetFileAttributesW(path); };
  real.ShellFileOperation = [](SHFILEOPSTRUCTW* op) { return ::SHFileOperationW(op); };
  real.GetSpecialFolderPath = [](HWND owner, wchar_t* buffer, int csidl) {
    return ::SHGetSpecialFolderPathW(owner, buffer, csidl, FALSE);
  };
  real.FindFirstFileEx = [](const wchar_t* path, FINDEX_INFO_LEVELS level, WIN32_FIND_DATAW* data,
                            FINDEX_SEARCH_OPS search, DWORD flags) {
    return ::FindFirstFileExW(path, level, data, search, nullptr, flags);
  };
  real.AdjustListedEntry = [](const std::wstring&, WIN32_FIND_DATAW&) {};
  return real;
}

const FilePlatform& CurrentFilePlatform() { return Installed(); }

ScopedFilePlatform::ScopedFilePlatform(const FilePlatform& replacement) : FSaved(Installed()) {
  FilePlatform& platform = Installed();
  if (replacement.GetAttributes) platform.GetAttributes = replacement.GetAttributes;
  if (replacement.ShellFileOperation) platform.ShellFileOperation = replacement.ShellFileOperation;
  if (replacement.GetSpecialFolderPath) platform.GetSpecialFolderPath = replacement.GetSpecialFolderPath;
  if (replacement.FindFirstFileEx) platform.FindFirstFileEx = replacement.FindFirstFileEx;
  if (replacement.AdjustListedEntry) platform.AdjustListedEntry = replacement.AdjustListedEntry;
}

ScopedFilePlatform::~ScopedFilePlatform() { Installed() = FSaved; }

}  // namespace hv
