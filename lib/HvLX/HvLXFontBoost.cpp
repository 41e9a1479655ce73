#include "HvLXFontBoost.h"

#include <algorithm>
#include <string>

#include "HvWindows.h"

namespace hv {
namespace {

std::wstring ProgramBaseName() {
  std::wstring path(MAX_PATH, L'\0');
  while (true) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return {};
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  std::size_t slash = path.find_last_of(L"\\/");
  std::wstring name = slash == std::wstring::npos ? path : path.substr(slash + 1);
  std::size_t dot = name.find_last_of(L'.');
  return dot == std::wstring::npos ? name : name.substr(0, dot);
}

// Stands in for the registry unit's RegReadIntegerDefLX until that is available here: a
// missing value or one of another type gives the default.
int ReadDwordDef(HKEY root, const std::wstring& key, const wchar_t* name, int defaultValue) {
  DWORD value = 0;
  DWORD size = sizeof(value);
  if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size) != ERROR_SUCCESS)
    return defaultValue;
  return static_cast<int>(value);
}

}  // namespace

int GetFontBoostPercent() {
  int percent = ReadDwordDef(HKEY_CURRENT_USER, L"Software\\Halvern\\" + ProgramBaseName(), L"FontBoostPercent", 100);
  return std::clamp(percent, 100, 200);
}

}  // namespace hv
