#include "HvLXMacOpen.h"

#include <cwctype>

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvLXFiles.h"
#include "HvLXHost.h"
#include "HvLXHostPaths.h"
#include "HvLXHostScript.h"
#include "HvLXPaths.h"
#include "HvLXRegistry.h"
#include "HvLXSpecialFolders.h"
#include "HvLXStrings.h"
#include "HvScopeExit.h"
#include "HvStringList.h"

namespace hv {
namespace {

const wchar_t kResultStart[] = L"AppleScriptResult=>";
const wchar_t kResultEnd[] = L"<=AppleScriptResult";
const wchar_t kUnauthorized[] = L"Not authorized to send Apple events to ";

bool EndsWithOneOf(const std::wstring& text, std::initializer_list<const wchar_t*> endings) {
  for (const wchar_t* ending : endings)
    if (EndsTextLX(ending, text)) return true;
  return false;
}

// A file of this machine named by its drive path ("C:\\..." or "\\\\?\\C:\\..."): what "open" can take.
// Web and file links, shares and relative names are not.
bool IsLocalDrivePath(const std::wstring& path) {
  const std::wstring_view drive = StartsTextLX(L"\\\\?\\", path) ? std::wstring_view(path).substr(4) : path;
  return drive.size() >= 3 && iswalpha(drive[0]) && drive[0] < 128 && drive[1] == L':' &&
         (drive[2] == L'\\' || drive[2] == L'/');
}

bool IsFinderExtension(const std::wstring& path) {
  const std::size_t dot = path.find_last_of(L".\\/");
  if (dot == std::wstring::npos || path[dot] != L'.') return false;
  const std::wstring extension = path.substr(dot);
  for (const std::wstring& item :
       SplitLX(RegReadStringDefLX(HKEY_CURRENT_USER, L"Software\\Wine", L"MacFinderExts", L""), L","))
    if (SameTextLX(TrimLX(item), extension)) return true;
  return false;
}

// Text inside an AppleScript string: a backslash there starts an escape.
std::wstring AppleScriptStringText(const std::wstring& text) {
  std::wstring out;
  for (wchar_t c : text) out += c == L'\\' ? std::wstring(L"\\\\") : std::wstring(1, c);
  return out;
}

std::size_t FindText(const std::wstring& text, const std::wstring& sub, std::size_t from = 0) {
  if (from > text.size()) return std::wstring::npos;
  const int pos = PosTextLX(sub, std::wstring_view(text).substr(from));
  return pos == 0 ? std::wstring::npos : from + static_cast<std::size_t>(pos) - 1;
}

}  // namespace

bool IsMacOpenableFile(const std::wstring& path) {
  if (!IsMac() || path.find(L'"') != std::wstring::npos) return false;
  return StartsTextLX(L"Z:\\", path) && EndsWithOneOf(path, {L".txt", L".htm", L".html", L".jpg", L".jpeg", L".png",
                                                             L".gif", L".csv", L".xls", L".xlsx", L".xlt", L".xltx"});
}

bool IsMacUrl(const std::wstring& text) {
  if (!IsMac() || text.find(L'"') != std::wstring::npos) return false;
  for (const wchar_t* scheme : {L"callto:", L"skype:", L"tel:", L"evernote:", L"file:", L"http:", L"https:", L"mailto:"})
    if (StartsTextLX(scheme, text)) return true;
  return false;
}

bool IsMacFileUrl(const std::wstring& text) {
  return IsMac() && text.find(L'"') == std::wstring::npos && StartsTextLX(L"file:", text);
}

bool UseMacOpenCommand(const std::wstring& path) {
  if (IsMacOpenableFile(path) && EndsWithOneOf(path, {L".txt", L".htm", L".html", L".jpg", L".jpeg", L".png", L".gif"}))
    return true;
  // Only a Mac has the "open" command these extensions are meant for, and it takes files:
  // a link that names such a file goes to the Finder as a link.
  return IsMac() && path.find(L'"') == std::wstring::npos && IsLocalDrivePath(path) && IsFinderExtension(path);
}

void MacOpenFile(const std::wstring& path, const std::wstring& /*noAppMessage*/) {
  if (!IsMacOpenableFile(path) && !UseMacOpenCommand(path))
    throw EAssertionFailed(Fmt(L"Internal Error: \"%s\" cannot be opened on the Mac.", path));
  const std::wstring output =
      Wine_RunScript(L"open_file", L"open " + HostShellWord(Wine_ConvertDosPathToNative(path, false)));
  if (!output.empty()) throw EHvGeneralError(Fmt(L"Could not open file \"%s\"", path) + L"\r\n\r\n" + output);
}

void MacOpenLocation(const std::wstring& url, const std::wstring& noAppMessage) {
  HV_ASSERT(IsMacUrl(url));
  THvStringList script;
  std::wstring line;
  script.Add(L"tell application \"Finder\"");
  script.Add(L" try");
  script.Add(Fmt(L"\t open location \"%s\"", AppleScriptStringText(url)));
  script.Add(L" on error number -128");
  AddAppleScriptReturn(&script, L"\"Cancelled\"", line);
  script.Add(L" end try");
  AddAppleScriptReturn(&script, L"\"\"", line);
  script.Add(L"end tell");
  std::wstring result;
  RunAppleScript(L"OpenLocation", script.Text(), L"", result);
  if (result == L"Cancelled") throw EAbort(L"Operation aborted");
  if (result.empty()) return;
  try {
    RaiseAppleScriptError(L"OpenLocation", script.Text(), result);
  } catch (EAppleScriptError& e) {
    e.SetMessage(noAppMessage);
    throw;
  }
}

void RunAppleScript(const std::wstring& title, const std::wstring& scriptText, const std::wstring& progressMessage,
                    std::wstring& result) {
  if (!IsMac()) throw Exception(L"Internal Error: AppleScript can only run on Mac OS X.");
  const std::wstring scriptFile = GetHalvernTempFolder() + title + L".applescript";
  THvStringList lines;
  lines.SetText(scriptText);
  // osascript reads a script file as UTF-8; the list's own UTF-16 would reach it as noise.
  lines.SetWriteBOM(false);
  ScopeExit removeScript([&] { DeleteFileW(LongFileName(scriptFile).c_str()); });
  lines.SaveToFile(scriptFile, TEncoding::UTF8());
  const std::wstring output = Wine_RunScript(
      title, L"osascript -s o " + HostShellWord(Wine_ConvertDosPathToNative(scriptFile, false)), progressMessage);
  if (!ExtractAppleScriptResult(output, result)) result = output;
}

void RunAppleScriptChecked(const std::wstring& title, const std::wstring& scriptText,
                           const std::wstring& progressMessage) {
  std::wstring result;
  RunAppleScript(title, scriptText, progressMessage, result);
  if (!TrimLX(result).empty()) RaiseAppleScriptError(title, scriptText, result);
}

void AddAppleScriptReturn(TStrings* list, const std::wstring& expression, std::wstring& line) {
  line = Fmt(L"  return \"%s\" & %s & \"%s\"", kResultStart, expression, kResultEnd);
  if (list) list->Add(line);
}

bool ExtractAppleScriptResult(const std::wstring& output, std::wstring& result) {
  result.clear();
  const std::size_t start = FindText(output, kResultStart);
  const std::size_t end = FindText(output, kResultEnd);
  if (start == std::wstring::npos || end == std::wstring::npos || start >= end) return false;
  const std::size_t from = start + wcslen(kResultStart);
  result = output.substr(from, FindText(output, kResultEnd, from) - from);
  return true;
}

void AppleScript_UnauthorizedToSendEventsToAppName(const std::wstring& result, std::wstring& appName) {
  appName.clear();
  const std::size_t at = FindText(result, kUnauthorized);
  if (at == std::wstring::npos) return;
  const std::wstring rest = result.substr(at + wcslen(kUnauthorized));
  appName = TrimLX(rest.substr(0, rest.find(L'.')));
}

void GetAppleScriptPermissionHint(const std::wstring& result, std::wstring& hint) {
  std::wstring appName;
  AppleScript_UnauthorizedToSendEventsToAppName(result, appName);
  if (appName.empty())
    throw Exception(L"Internal Error: Expected AppleScript_UnauthorizedToSendEventsToAppName to not be blank.");
  if (GetMacVersion().AtLeast(TVersionNumber{10, 14, 0, 0}))
    hint = Fmt(L"In the \"Security & Privacy\" settings of your Mac, in \"Privacy\", in \"Automation\", grant Corvista "
               L"the ability to control \"%s\".",
               appName);
  else
    hint = L"In the \"Security & Privacy\" settings of your Mac, in \"Privacy\", in \"Accessibility\", grant Corvista "
           L"the ability to control your computer.";
}

void RaiseAppleScriptError(const std::wstring& title, const std::wstring& scriptText, const std::wstring& result) {
  std::wstring appName, message;
  AppleScript_UnauthorizedToSendEventsToAppName(result, appName);
  if (appName.empty())
    message = L"Error Running AppleScript \"" + title + L"\"";
  else
    GetAppleScriptPermissionHint(result, message);
  const std::wstring extra = L">> Result:\r\n\r\n" + result + L"\r\n\r\n" + std::wstring(50, L'-') +
                             L"\r\n>> Script:\r\n\r\n" + scriptText;
  throw EAppleScriptError(message, extra);
}

}  // namespace hv
