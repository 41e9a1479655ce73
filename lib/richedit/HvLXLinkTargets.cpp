#include "HvLXLinkTargets.h"

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvLXShellOpen.h"
#include "HvLXStrings.h"
#include "HvLXWildcard.h"

namespace hv {
namespace {

constexpr const wchar_t* kWebAddressMasks[] = {L"www.*",  L"<www.*>", L"*.com", L"<*.com>", L"*.net", L"<*.net>",
                                               L"*.org",  L"<*.org>", L"*.gov", L"<*.gov>", L"*.edu", L"<*.edu>",
                                               L"*.mil",  L"<*.mil>", L"*.cc",  L"<*.cc>"};

// What the shell runs rather than shows.
constexpr const wchar_t* kProgramExtensions[] = {
    L".exe", L".com", L".bat", L".cmd", L".scr", L".pif", L".cpl", L".msi", L".msp", L".msc", L".jar",
    L".vbs", L".vbe", L".js",  L".jse", L".wsf", L".wsh", L".ps1", L".hta", L".lnk", L".reg", L".url", L".inf"};

bool IsRefusedCharacter(wchar_t c) {
  return c == L'"' || c < 0x20 || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 || c == 0x200E ||
         c == 0x200F || (c >= 0x202A && c <= 0x202E) || (c >= 0x2066 && c <= 0x2069);
}

bool IsAngledEmail(const std::wstring& text) {
  return text.size() > 2 && StartsTextLX(L"<", text) && EndsTextLX(L">", text) &&
         IsEmailAddress(text.substr(1, text.size() - 2));
}

bool LooksLikeWebAddress(const std::wstring& text) {
  for (const wchar_t* mask : kWebAddressMasks)
    if (WildcardMatchLX(mask, text)) return true;
  return false;
}

// The path part of a file link or a plain path: no scheme other than "file:", no query.
bool StartsProgram(const std::wstring& target) {
  std::wstring path = target;
  if (StartsTextLX(L"file:", path)) {
    path = path.substr(5);
  } else {
    const std::size_t colon = path.find(L':');
    // A scheme has two letters or more; a single letter is a drive.
    if (colon != std::wstring::npos && colon > 1) return false;
  }
  const std::size_t end = path.find_first_of(L"?#");
  if (end != std::wstring::npos) path.resize(end);
  path = TrimLX(path);
  while (!path.empty() && (path.back() == L'.' || path.back() == L' ' || path.back() == L'/' || path.back() == L'\\'))
    path.pop_back();
  for (const wchar_t* extension : kProgramExtensions)
    if (EndsTextLX(extension, path)) return true;
  return false;
}

std::wstring Visible(const std::wstring& text) {
  std::wstring result;
  for (wchar_t c : text) result += IsRefusedCharacter(c) ? Fmt(L"<U+%.4x>", static_cast<int>(c)) : std::wstring(1, c);
  return result;
}

}  // namespace

std::wstring NormalizeLinkText(const std::wstring& text) {
  if (text.find(L':') != std::wstring::npos) return text;
  if (IsAngledEmail(text) || IsEmailAddress(text)) return L"mailto:" + text;
  if (LooksLikeWebAddress(text)) return L"http://" + text;
  return text;
}

void CheckLinkTarget(const std::wstring& target) {
  for (wchar_t c : target)
    if (IsRefusedCharacter(c))
      throw EHvGeneralError(Fmt(L"The link cannot be opened because it contains quotation marks or control "
                                L"characters:\r\n%s",
                                Visible(target)));
}

std::wstring LinkCaution(const std::wstring& displayText, const std::wstring& target) {
  if (StartsProgram(target)) return L"Caution: this link starts a program on this computer.";
  const std::wstring shown = NormalizeLinkText(TrimLX(displayText));
  const bool readsAsAddress = shown.find(L':') != std::wstring::npos;
  if (readsAsAddress && !SameTextLX(shown, target))
    return Fmt(L"Caution: the link reads \"%s\" but opens another address.", Visible(TrimLX(displayText)));
  return L"";
}

}  // namespace hv
