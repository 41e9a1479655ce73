#include "HvLXUrlEscapes.h"

#include "HvEncoding.h"

namespace hv {
namespace {

int HexDigitValue(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace

std::wstring PercentDecodedLX(std::wstring_view text) {
  std::string bytes;
  size_t plainStart = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != L'%' || i + 2 >= text.size()) continue;
    const int high = HexDigitValue(text[i + 1]), low = HexDigitValue(text[i + 2]);
    if (high < 0 || low < 0) continue;
    bytes += TEncoding::UTF8()->GetBytes(text.substr(plainStart, i - plainStart));
    bytes += static_cast<char>(high * 16 + low);
    i += 2;
    plainStart = i + 1;
  }
  bytes += TEncoding::UTF8()->GetBytes(text.substr(plainStart));
  return TEncoding::UTF8()->GetString(bytes);
}

}  // namespace hv
