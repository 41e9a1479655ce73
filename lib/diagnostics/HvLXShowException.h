// The one call through which an exception reaches the user, and the displays behind it.
// Showing an exception never logs it: its report was written when it was raised.
#pragma once

#include <string>

#include "HvExceptions.h"
#include "HvWindows.h"

namespace hv {

// Shows `e` in a modal box; with no argument, the exception being handled (an hv::Exception
// or anything else, which is wrapped). Shows nothing for EAbort and its descendants, and
// nothing when called outside a handler with no argument. Main (UI) thread only.
void ShowExceptionLX(const Exception* e = nullptr);

// The application object's display, installed while that object exists.
using ExceptionDisplayProc = void (*)(const Exception& e);
// Installs `proc` (null removes it) and answers the display installed before.
ExceptionDisplayProc SetApplicationExceptionDisplay(ExceptionDisplayProc proc);
ExceptionDisplayProc ApplicationExceptionDisplay();
// The application object's two moves, race-free: install only when no display is installed,
// remove only when the installed one is still `proc`. Both answer whether they changed it.
bool InstallApplicationExceptionDisplay(ExceptionDisplayProc proc);
bool RemoveApplicationExceptionDisplay(ExceptionDisplayProc proc);

// The text the application shows for `e`: the innermost exception's message when it has one,
// else e's own; then a full stop when the text ends in a character coded above '.'.
std::wstring ExceptionDisplayText(const Exception& e);
// The application display: ExceptionDisplayText in a modal error box with an OK button,
// captioned `title` and owned by the active window.
void ApplicationShowException(const Exception& e, const std::wstring& title);

// The display used when no application object exists: "Exception <class> in module <exe> at
// <address>." and the message, captioned "Application Error". A null address prints zeros.
void ShowExceptionWithoutApplication(const Exception& e, const void* raiseAddress);

// Test seam: every box above goes through this one call (MessageBoxW by default).
using ErrorBoxProc = int (*)(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags);
// Installs `proc` (null restores MessageBoxW) and answers the one installed before.
ErrorBoxProc SetErrorBoxProc(ErrorBoxProc proc);

}  // namespace hv
