#include "HvRegFileFormat.h"

#include "HvExceptions.h"
#include "HvFormat.h"

namespace hv {
namespace {

// Editors break byte lists before this column, going on after a backslash on the next line.
constexpr std::size_t kLineWidth = 80;

bool HasLineBreak(const std::wstring& text) { return text.find_first_of(L"\r\n") != std::wstring::npos; }

std::wstring Quoted(const std::wstring& text) {
  std::wstring quoted = L"\"";
  for (wchar_t c : text) {
    if (c == L'\\' || c == L'"') quoted += L'\\';
    quoted += c;
  }
  return quoted + L"\"";
}

// The string a REG_SZ value holds when the quoted form can carry it exactly: even size, one
// NUL at the end and none before it, no control character.
bool QuotableString(const std::vector<std::uint8_t>& data, std::wstring& text) {
  if (data.size() < 2 || data.size() % 2 != 0) return false;
  text.assign(reinterpret_cast<const wchar_t*>(data.data()), data.size() / 2);
  if (text.back() != L'\0') return false;
  text.pop_back();
  for (wchar_t c : text)
    if (c < L' ') return false;
  return true;
}

// Editors write hexadecimal digits in lower case.
constexpr wchar_t kDigits[] = L"0123456789abcdef";

std::wstring LowerHex(std::uint32_t value, int width) {
  std::wstring text;
  for (int shift = 28; shift >= 0; shift -= 4)
    if (text.size() > 0 || (value >> shift) != 0 || shift / 4 < width) text += kDigits[(value >> shift) & 15];
  return text;
}

std::wstring HexList(std::wstring line, const std::vector<std::uint8_t>& data) {
  std::size_t column = line.size();
  for (std::size_t i = 0; i < data.size(); ++i) {
    const bool last = i + 1 == data.size();
    line += kDigits[data[i] >> 4];
    line += kDigits[data[i] & 15];
    column += 2;
    if (last) break;
    line += L',';
    ++column;
    if (column + 3 >= kLineWidth - 1) {
      line += L"\\\r\n  ";
      column = 2;
    }
  }
  return line + L"\r\n";
}

}  // namespace

std::wstring RegFileKeyHeader(const std::wstring& fullPath) {
  if (HasLineBreak(fullPath))
    throw EHvGeneralError(Fmt(L"The registry key \"%s\" has a line break in its name, which a backup file cannot hold.", fullPath));
  return L"\r\n[" + fullPath + L"]\r\n";
}

std::wstring RegFileValueLine(const std::wstring& name, DWORD type, const std::vector<std::uint8_t>& data) {
  if (HasLineBreak(name))
    throw EHvGeneralError(Fmt(L"The registry value \"%s\" has a line break in its name, which a backup file cannot hold.", name));
  const std::wstring prefix = (name.empty() ? std::wstring(L"@") : Quoted(name)) + L"=";
  std::wstring text;
  if (type == REG_SZ && QuotableString(data, text)) return prefix + Quoted(text) + L"\r\n";
  if (type == REG_DWORD && data.size() == 4) {
    DWORD value = 0;
    memcpy(&value, data.data(), 4);
    return prefix + L"dword:" + LowerHex(value, 8) + L"\r\n";
  }
  if (type == REG_BINARY) return HexList(prefix + L"hex:", data);
  return HexList(prefix + L"hex(" + LowerHex(type, 1) + L"):", data);
}

}  // namespace hv
