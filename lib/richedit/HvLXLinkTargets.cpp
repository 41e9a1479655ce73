#include "HvLXLinkTargets.h"

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvLXShellOpen.h"
#include "HvLXStrings.h"
#include "HvLXUrlEscapes.h"
#include "HvLXWildcard.h"

namespace hv {
namespace {

constexpr const wchar_t* kWebAddressMasks[] = {L"www.*",  L"<www.*>", L"*.com", L"<*.com>", L"*.net", L"<*.net>",
                                               L"*.org",  L"<*.org>", L"*.gov", L"<*.gov>", L"*.edu", L"<*.edu>",
                                               L"*.mil",  L"<*.mil>", L"*.cc",  L"<*.cc>"};

// What the shell runs, installs, mounts or follows rather than shows.
constexpr const wchar_t* kProgramExtensions[] = {
    // programs and scripts
    L".exe", L".com", L".scr", L".pif", L".cpl", L".bat", L".cmd", L".vbs", L".vbe", L".js", L".jse", L".wsf",
    L".wsh", L".wsc", L".ws", L".sct", L".ps1", L".psm1", L".psd1", L".ps1xml", L".hta", L".jar", L".py", L".pyw",
    L".msc", L".xll", L".job", L".scf", L".shb", L".shs", L".gadget", L".xbap",
    // installers and deployment
    L".msi", L".msp", L".mst", L".application", L".appref-ms", L".appx", L".appxbundle", L".msix", L".msixbundle",
    L".appinstaller", L".vsix", L".inf", L".reg", L".cer", L".crt", L".der", L".diagcab",
    // help files, which run script
    L".chm", L".hlp",
    // links and descriptions that lead elsewhere or carry settings
    L".lnk", L".url", L".website", L".settingcontent-ms", L".library-ms", L".search-ms", L".searchconnector-ms",
    L".rdp", L".ins", L".isp", L".theme", L".themepack", L".desktopthemepackfile",
    // archives and disk images the shell opens as folders of such files
    L".cab", L".iso", L".img", L".vhd", L".vhdx"};

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

bool EndsInProgramExtension(std::wstring path) {
  path = TrimLX(path);
  // The shell drops trailing dots, blanks and separators; a stream name ("x.exe::$DATA") runs
  // the file it belongs to.
  while (!path.empty() && (path.back() == L'.' || path.back() == L' ' || path.back() == L'/' || path.back() == L'\\'))
    path.pop_back();
  for (const wchar_t* extension : kProgramExtensions)
    if (EndsTextLX(extension, path)) return true;
  return false;
}

// A file link or a plain path whose file the shell would run. The address is read as the
// shell reads it: escapes decoded (the shell decodes a file link's "%xx"), and with and without
// what could be a query, a fragment or a stream name, since "#" may be part of a file name.
bool StartsProgram(const std::wstring& target) {
  std::wstring path = target;
  for (int round = 0; round < 3 && path.find(L'%') != std::wstring::npos; ++round) {
    const std::wstring decoded = PercentDecodedLX(path);  // "%2565" is "%65" after one round
    if (decoded == path) break;
    path = decoded;
  }
  if (StartsTextLX(L"file:", path)) {
    path = path.substr(5);
  } else {
    const std::size_t colon = path.find(L':');
    // A scheme has two letters or more; a single letter is a drive.
    if (colon != std::wstring::npos && colon > 1) return false;
  }
  if (EndsInProgramExtension(path)) return true;
  const std::size_t end = path.find_first_of(L"?#");
  if (end != std::wstring::npos && EndsInProgramExtension(path.substr(0, end))) return true;
  const std::size_t stream = path.find(L':', path.size() > 2 && path[1] == L':' ? 2 : 0);
  return stream != std::wstring::npos && EndsInProgramExtension(path.substr(0, stream));
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
