// Handing documents and links to the Mac under Wine: the "open" command and the Finder through
// AppleScript, whose result comes back between markers and whose permission errors get a hint
// the user can act on.
#pragma once

#include <string>

#include "HvStrings.h"

namespace hv {

// False outside a Mac and for any text holding '"'.
bool IsMacOpenableFile(const std::wstring& path);  // on Z:, with a document extension
bool IsMacUrl(const std::wstring& text);           // callto:, skype:, tel:, evernote:, file:, http(s):, mailto:
bool IsMacFileUrl(const std::wstring& text);       // file:
// Whether `path` goes to the Mac's "open" command: an openable picture, page or text, or an
// extension of HKCU "Software\Wine" value "MacFinderExts".
bool UseMacOpenCommand(const std::wstring& path);

// Opens an openable file with "open"; EHvGeneralError "Could not open file ..." with what it
// printed when it prints anything.
void MacOpenFile(const std::wstring& path, const std::wstring& noAppMessage);
// Opens a link through the Finder; EAbort when the user cancels, EAppleScriptError (with
// `noAppMessage` as its message) on any other error.
void MacOpenLocation(const std::wstring& url, const std::wstring& noAppMessage);

// Runs an AppleScript with osascript; `result` is the text between the result markers, or the
// whole output when there are none. Raises an internal error outside a Mac.
void RunAppleScript(const std::wstring& title, const std::wstring& scriptText, const std::wstring& progressMessage,
                    std::wstring& result);
// As RunAppleScript; a result that is not blank raises RaiseAppleScriptError.
void RunAppleScriptChecked(const std::wstring& title, const std::wstring& scriptText,
                           const std::wstring& progressMessage);
// The line that returns `expression` between the markers; added to `list` when one is given.
void AddAppleScriptReturn(TStrings* list, const std::wstring& expression, std::wstring& line);
bool ExtractAppleScriptResult(const std::wstring& output, std::wstring& result);
void AppleScript_UnauthorizedToSendEventsToAppName(const std::wstring& result, std::wstring& appName);
void GetAppleScriptPermissionHint(const std::wstring& result, std::wstring& hint);
[[noreturn]] void RaiseAppleScriptError(const std::wstring& title, const std::wstring& scriptText,
                                        const std::wstring& result);

}  // namespace hv
