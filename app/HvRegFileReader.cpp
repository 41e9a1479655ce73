#include "HvRegFileReader.h"

#include <cwctype>

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvRegFileFormat.h"

namespace hv {
namespace {

class TReader {
 public:
  explicit TReader(const std::wstring& text) {
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find(L'\n', start);
      if (end == std::wstring::npos) end = text.size();
      std::wstring line = text.substr(start, end - start);
      if (!line.empty() && line.back() == L'\r') line.pop_back();
      FLines.push_back(std::move(line));
      start = end + 1;
    }
  }

  TRegFileText Read() {
    TRegFileText result;
    std::wstring header = kRegFileHeader;
    header.resize(header.size() - 2);
    if (FLines.empty() || FLines[0] != header) Refuse(0, L"it does not start with the registry editor's header");
    for (FLine = 1; FLine < FLines.size(); ++FLine) {
      const std::wstring& line = FLines[FLine];
      if (line.empty()) continue;
      if (line[0] == L';') {
        result.Comments.push_back(line);
      } else if (line[0] == L'[') {
        if (line.size() < 3 || line.back() != L']' || line[1] == L'-') Refuse(FLine, L"it is not a key header");
        result.Keys.push_back({line.substr(1, line.size() - 2), {}});
      } else {
        if (result.Keys.empty()) Refuse(FLine, L"a value comes before any key");
        result.Keys.back().Values.push_back(ReadValue());
      }
    }
    return result;
  }

 private:
  [[noreturn]] void Refuse(std::size_t line, const std::wstring& why) {
    throw EHvGeneralError(Fmt(L"Line %u of the backup is not understood: %s.", static_cast<unsigned>(line + 1), why));
  }

  // A quoted text from `pos` (at its opening quote); `pos` ends after the closing one.
  std::wstring Quoted(const std::wstring& line, std::size_t& pos) {
    std::wstring text;
    for (++pos; pos < line.size(); ++pos) {
      wchar_t c = line[pos];
      if (c == L'"') {
        ++pos;
        return text;
      }
      if (c == L'\\') {
        if (++pos >= line.size() || (line[pos] != L'\\' && line[pos] != L'"')) Refuse(FLine, L"an unknown escape");
        c = line[pos];
      }
      text += c;
    }
    Refuse(FLine, L"a quote is not closed");
  }

  static int HexDigit(wchar_t c) {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    return -1;
  }

  // "xx,xx,..." from `pos`, continued over the following lines after a trailing backslash.
  std::vector<std::uint8_t> HexList(std::wstring text) {
    while (!text.empty() && text.back() == L'\\') {
      text.pop_back();
      if (++FLine >= FLines.size()) Refuse(FLine - 1, L"a continued byte list ends with the file");
      const std::wstring& next = FLines[FLine];
      std::size_t first = next.find_first_not_of(L' ');
      text += first == std::wstring::npos ? std::wstring() : next.substr(first);
    }
    std::vector<std::uint8_t> bytes;
    if (text.empty()) return bytes;
    for (std::size_t i = 0;; i += 3) {
      if (i + 2 > text.size()) Refuse(FLine, L"a byte list is cut short");
      const int high = HexDigit(text[i]), low = HexDigit(text[i + 1]);
      if (high < 0 || low < 0) Refuse(FLine, L"a byte is not two hexadecimal digits");
      bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
      if (i + 2 == text.size()) return bytes;
      if (text[i + 2] != L',') Refuse(FLine, L"bytes are not parted by commas");
    }
  }

  TRegFileValue ReadValue() {
    const std::wstring line = FLines[FLine];
    TRegFileValue value;
    std::size_t pos = 0;
    if (line[0] == L'@') {
      pos = 1;
    } else if (line[0] == L'"') {
      value.Name = Quoted(line, pos);
    } else {
      Refuse(FLine, L"it is neither a value nor a key");
    }
    if (pos >= line.size() || line[pos] != L'=') Refuse(FLine, L"the value name is not followed by \"=\"");
    const std::wstring data = line.substr(pos + 1);
    if (!data.empty() && data[0] == L'"') {
      std::size_t at = 0;
      const std::wstring text = Quoted(data, at);
      if (at != data.size()) Refuse(FLine, L"text follows the quoted value");
      value.Type = REG_SZ;
      const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.c_str());
      value.Data.assign(bytes, bytes + (text.size() + 1) * sizeof(wchar_t));
    } else if (data.starts_with(L"dword:")) {
      const std::wstring digits = data.substr(6);
      if (digits.size() != 8) Refuse(FLine, L"a dword is not eight hexadecimal digits");
      DWORD number = 0;
      for (wchar_t c : digits) {
        if (HexDigit(c) < 0) Refuse(FLine, L"a dword is not eight hexadecimal digits");
        number = number * 16 + static_cast<DWORD>(HexDigit(c));
      }
      value.Type = REG_DWORD;
      value.Data.resize(4);
      memcpy(value.Data.data(), &number, 4);
    } else if (data.starts_with(L"hex:")) {
      value.Type = REG_BINARY;
      value.Data = HexList(data.substr(4));
    } else if (data.starts_with(L"hex(")) {
      const std::size_t close = data.find(L"):");
      if (close == std::wstring::npos || close == 4 || close > 12) Refuse(FLine, L"a value type is not understood");
      DWORD type = 0;
      for (std::size_t i = 4; i < close; ++i) {
        if (HexDigit(data[i]) < 0) Refuse(FLine, L"a value type is not understood");
        type = type * 16 + static_cast<DWORD>(HexDigit(data[i]));
      }
      value.Type = type;
      value.Data = HexList(data.substr(close + 2));
    } else {
      Refuse(FLine, L"the value's data is not understood");
    }
    return value;
  }

  std::vector<std::wstring> FLines;
  std::size_t FLine = 0;
};

}  // namespace

TRegFileText ParseRegFileText(const std::wstring& text) { return TReader(text).Read(); }

}  // namespace hv
