#include "HvLXFetchStream.h"

#include <cwctype>

#include "HvLXStrings.h"
#include "HvWindows.h"

namespace hv {
namespace {

struct TCharsetName {
  const wchar_t* Name;
  unsigned CodePage;
};

// The names servers use for the code pages Windows has (the IANA names and their common
// aliases); "windows-N", "cpN" and "ibmN" are read by number.
constexpr TCharsetName kCharsets[] = {
    {L"utf-8", 65001},        {L"utf8", 65001},          {L"utf-7", 65000},        {L"utf-16", 1200},
    {L"utf-16le", 1200},      {L"utf-16be", 1201},       {L"us-ascii", 20127},     {L"ascii", 20127},
    {L"iso-8859-1", 28591},   {L"latin1", 28591},        {L"iso-8859-2", 28592},   {L"iso-8859-3", 28593},
    {L"iso-8859-4", 28594},   {L"iso-8859-5", 28595},    {L"iso-8859-6", 28596},   {L"iso-8859-7", 28597},
    {L"iso-8859-8", 28598},   {L"iso-8859-9", 28599},    {L"iso-8859-13", 28603},  {L"iso-8859-15", 28605},
    {L"koi8-r", 20866},       {L"koi8-u", 21866},        {L"shift_jis", 932},      {L"shift-jis", 932},
    {L"sjis", 932},           {L"x-sjis", 932},          {L"euc-jp", 20932},       {L"iso-2022-jp", 50220},
    {L"gb2312", 936},         {L"gbk", 936},             {L"gb18030", 54936},      {L"big5", 950},
    {L"euc-kr", 51949},       {L"ks_c_5601-1987", 949},  {L"tis-620", 874},        {L"windows-874", 874},
};

unsigned NumberAfter(std::wstring_view prefix, const std::wstring& name) {
  if (!StartsTextLX(prefix, name) || name.size() == prefix.size() || name.size() > prefix.size() + 5) return 0;
  unsigned value = 0;
  for (wchar_t c : std::wstring_view(name).substr(prefix.size())) {
    if (!std::iswdigit(c)) return 0;
    value = value * 10 + static_cast<unsigned>(c - L'0');
  }
  return value;
}

}  // namespace

unsigned CodePageOfCharset(const std::wstring& charset) {
  const std::wstring name = TrimLX(charset);
  unsigned codePage = 0;
  for (const TCharsetName& known : kCharsets)
    if (SameTextLX(known.Name, name)) codePage = known.CodePage;
  for (const wchar_t* prefix : {L"windows-", L"cp", L"ibm"})
    if (codePage == 0) codePage = NumberAfter(prefix, name);
  // UTF-16 is no code page the conversion functions take, yet the encodings know it.
  if (codePage == 1200 || codePage == 1201) return codePage;
  return codePage != 0 && IsValidCodePage(codePage) ? codePage : 0;
}

const TEncoding* EncodingFromContentType(TStream& stream) {
  auto* download = dynamic_cast<TFetchUrlStreamWithContentType*>(&stream);
  if (!download) return nullptr;
  for (const std::wstring& part : SplitTrimmedLX(download->ContentType, L";")) {
    if (!StartsTextLX(L"charset=", part)) continue;
    std::wstring name = part.substr(8);
    if (name.size() >= 2 && name.front() == L'"' && name.back() == L'"') name = name.substr(1, name.size() - 2);
    const unsigned codePage = CodePageOfCharset(name);
    if (codePage == 0) continue;
    download->FCreatedEncoding = TEncoding::GetEncoding(codePage);
    return download->FCreatedEncoding.get();
  }
  return nullptr;
}

}  // namespace hv
