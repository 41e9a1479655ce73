#include "HvLXPaths.h"

#include "HvWindows.h"

namespace hv {

std::wstring LongFileName(const std::wstring& path) {
  std::wstring result = path;
  if (path.size() > kLongPathThreshold) {
    if (path.starts_with(L"\\\\?\\"))
      ;  // already in long form
    else if (path[1] == L':')
      result = L"\\\\?\\" + path;
    else if (path.starts_with(L"\\\\"))
      result = L"\\\\?\\UNC\\" + path.substr(2);
  }
  return result;
}

std::wstring ExpandFileNameLX(const std::wstring& path) {
  const std::wstring longPath = LongFileName(path);
  DWORD size = GetFullPathNameW(longPath.c_str(), 0, nullptr, nullptr);
  while (size != 0) {
    std::wstring buffer(size, L'\0');
    DWORD len = GetFullPathNameW(longPath.c_str(), size, buffer.data(), nullptr);
    if (len == 0) break;
    if (len < size) {
      buffer.resize(len);
      return buffer;
    }
    size = len;  // the current folder changed between the calls: ask again
  }
  return longPath;
}

std::wstring IncludeTrailingBackslashLX(const std::wstring& path) {
  if (!path.empty() && path.back() == L'\\') return path;
  return path + L'\\';
}

std::wstring ExcludeTrailingBackslashLX(const std::wstring& path) {
  if (!path.empty() && path.back() == L'\\') return path.substr(0, path.size() - 1);
  return path;
}

std::wstring ExtractFileName(const std::wstring& path) {
  const std::size_t sep = path.find_last_of(L"\\:");
  return sep == std::wstring::npos ? path : path.substr(sep + 1);
}

std::wstring ExtractFileBaseName(const std::wstring& path) {
  std::wstring name = ExtractFileName(path);
  const std::size_t dot = name.rfind(L'.');
  if (dot != std::wstring::npos) name.resize(dot);
  return name;
}

}  // namespace hv
