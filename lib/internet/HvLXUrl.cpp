#include "HvLXUrl.h"

#include <algorithm>

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvLXStrings.h"

namespace hv {
namespace {

// The digits after the host's first ":", as a port.
std::uint16_t ParsePort(const std::wstring& digits, const std::wstring& url) {
  std::uint32_t value = 0;
  if (digits.empty()) throw EConvertError(Fmt(L"'%s' is not a valid integer value", digits));
  for (wchar_t c : digits) {
    if (c < L'0' || c > L'9') throw EConvertError(Fmt(L"'%s' is not a valid integer value", digits));
    value = value * 10 + static_cast<std::uint32_t>(c - L'0');
    if (value > 0xFFFF) throw ERangeError(Fmt(L"The port of %s is out of range.", HideCredentials(url)));
  }
  return static_cast<std::uint16_t>(value);
}

// Whether `text` (what follows a URL's first ":") reads as a port: digits up to the end of the
// host part or of the text.
bool ReadsAsPort(std::wstring_view text) {
  const size_t end = std::min(text.find_first_of(L"/?#"), text.size());
  return std::all_of(text.begin(), text.begin() + end, [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

// The "@" that ends the user information of the URL whose authority starts at `hostStart`, or
// npos. Normally the last "@" before the path. A password may hold "/", "?" or "#" unescaped
// as well ("http://me:pa/ss@host/"); its "@" lies past where the host seems to end, and it
// is told from an "@" in the path or the query ("http://host/x@y") by the ":" of a password,
// which a host's port cannot be followed by.
size_t UserInfoEnd(const std::wstring& line, size_t hostStart) {
  const size_t urlEnd = std::min(line.find_first_of(L" \t\r\"'<>", hostStart), line.size());
  const size_t hostEnd = std::min(line.find_first_of(L"/?#", hostStart), urlEnd);
  const size_t at = line.rfind(L'@', hostEnd);
  if (at != std::wstring::npos && at >= hostStart && at < hostEnd) return at;
  const size_t laterAt = line.find(L'@', hostEnd);
  if (laterAt == std::wstring::npos || laterAt >= urlEnd) return std::wstring::npos;
  const std::wstring_view before = std::wstring_view(line).substr(hostStart, laterAt - hostStart);
  const size_t colon = before.find(L':');
  return colon != std::wstring_view::npos && !ReadsAsPort(before.substr(colon + 1)) ? laterAt : std::wstring::npos;
}

}  // namespace

void TUrl::SetPathAndQuery(const std::wstring& pathAndQuery) {
  FPathAndQuery = pathAndQuery;
  const size_t question = pathAndQuery.find(L'?');
  FPath = pathAndQuery.substr(0, question);
  FQuery = question == std::wstring::npos ? L"" : pathAndQuery.substr(question);
  const size_t hash = FQuery.find(L'#');
  FQueryParams = FQuery.empty() ? L"" : FQuery.substr(1, hash == std::wstring::npos ? std::wstring::npos : hash - 1);
  FFragment = hash == std::wstring::npos ? L"" : FQuery.substr(hash);
}

TUrl ParseUrl(const std::wstring& url) {
  std::wstring rest = TrimLX(url);
  TUrl result;
  if (const size_t separator = rest.find(L"://"); separator != std::wstring::npos) {
    result.Scheme = rest.substr(0, separator + 3);
    rest.erase(0, separator + 3);
  }
  if (result.Scheme.empty()) result.Scheme = L"http://";
  if (SameTextLX(result.Scheme, L"https://")) {
    result.Port = 443;
  } else if (SameTextLX(result.Scheme, L"http://")) {
    result.Port = 80;
  } else if (SameTextLX(result.Scheme, L"file://")) {
    // "C:\dir\file" or "C:/dir/file": the drive is the host.
    const size_t colon = rest.find(L':');
    result.Host = colon == 1 ? rest.substr(0, 2) : L"";
    result.SetPathAndQuery(rest);
    return result;
  } else {
    throw EHvInternalError(Fmt(L"Internal Error: Port [%s] not supported.", result.Scheme));
  }

  const size_t slash = rest.find(L'/');
  result.Host = rest.substr(0, slash);
  result.SetPathAndQuery(slash == std::wstring::npos ? L"" : rest.substr(slash));
  if (result.Host == L"about:blank") {
    if (result.PathAndQuery().empty()) result.SetPathAndQuery(L"about:blank");
    result.Host.clear();
  } else if (const size_t colon = result.Host.find(L':'); colon != std::wstring::npos && colon + 1 < result.Host.size()) {
    result.Port = ParsePort(result.Host.substr(colon + 1), url);
    result.Host.erase(colon);
  }
  return result;
}

std::wstring ExtractUrlHost(const std::wstring& url) {
  if (url.empty()) return {};
  try {
    return ParseUrl(url).Host;
  } catch (const Exception&) {
    return L"???";
  }
}

std::wstring HideCredentials(const std::wstring& text) {
  std::wstring result;
  size_t lineStart = 0;
  while (lineStart < text.size()) {
    const size_t lineEnd = std::min(text.find(L'\n', lineStart), text.size());
    std::wstring line = text.substr(lineStart, lineEnd - lineStart);
    const size_t colon = line.find(L':');
    const std::wstring name = colon == std::wstring::npos ? L"" : TrimLX(std::wstring_view(line).substr(0, colon));
    // Cookies carry sessions as much as the authorization headers carry passwords.
    if (SameTextLX(name, L"Authorization") || SameTextLX(name, L"Proxy-Authorization") || SameTextLX(name, L"Cookie") ||
        SameTextLX(name, L"Set-Cookie"))
      line = line.substr(0, colon + 1) + L" <hidden>" + (EndsStrLX(L"\r", line) ? L"\r" : L"");
    for (size_t scheme = line.find(L"://"); scheme != std::wstring::npos; scheme = line.find(L"://", scheme + 3)) {
      const size_t hostStart = scheme + 3;
      if (const size_t at = UserInfoEnd(line, hostStart); at != std::wstring::npos)
        line.erase(hostStart, at + 1 - hostStart);
    }
    result += line;
    if (lineEnd < text.size()) result += L'\n';
    lineStart = lineEnd + 1;
  }
  return result;
}

}  // namespace hv
