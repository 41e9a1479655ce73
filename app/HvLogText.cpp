#include "HvLogText.h"


namespace hv {
namespace {

bool IsControl(wchar_t c) { return c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029; }

}  // namespace

std::wstring EscapeControlCharacters(const std::wstring& text) {
  std::wstring escaped;
  escaped.reserve(text.size());
  for (wchar_t c : text) {
    if (!IsControl(c)) {
      escaped += c;
      continue;
    }
    escaped += L"<U+";
    for (int shift = 12; shift >= 0; shift -= 4) escaped += L"0123456789ABCDEF"[(c >> shift) & 15];
    escaped += L'>';
  }
  return escaped;
}

}  // namespace hv
