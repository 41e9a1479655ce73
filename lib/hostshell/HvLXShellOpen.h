// Opening documents, links and e-mail addresses with the program the system associates with
// them (shell verbs, with elevation through "runas"); under Wine on a Mac, through the Mac.
#pragma once

#include <string>

#include "HvWindows.h"

namespace hv {

// ShellExecuteLX with the active window as owner and the verb "open".
void ShellOpenLX(const std::wstring& file, const std::wstring& params = {}, const std::wstring& directory = {},
                 int showCmd = SW_SHOWNORMAL);
// Performs `verb` on `file`. A plain "open" of an e-mail address opens "mailto:" it; refused
// access is tried once more as "runas", and a user who declines elevation ends the call with
// EAbort. Any other failure raises EShellOpenError (RaiseShellExecuteError).
void ShellExecuteLX(HWND owner, const std::wstring& verb, const std::wstring& file, const std::wstring& params,
                    const std::wstring& directory, int showCmd);
// Raises the error for a shell result code: EShellOpenError with the code's text and
// "  (\"<verb>\", \"<file>\")" as extra information, EAbort for 5 with "runas"; codes above 32
// mean success and raise nothing.
void RaiseShellExecuteError(int code, const std::wstring& verb, const std::wstring& file);
bool IsEmailAddress(const std::wstring& text);

// Test seam: ShellExecuteW as the shell answers it; a test replaces it to get the answers the
// system gives only on demand of a user (a declined elevation, a busy DDE server).
using TShellExecute = INT_PTR (*)(HWND owner, const std::wstring& verb, const std::wstring& file,
                                  const std::wstring& params, const std::wstring& directory, int showCmd);
class ScopedShellExecute {
 public:
  explicit ScopedShellExecute(TShellExecute replacement);
  ~ScopedShellExecute();
  ScopedShellExecute(const ScopedShellExecute&) = delete;
  ScopedShellExecute& operator=(const ScopedShellExecute&) = delete;

 private:
  TShellExecute FSaved;
};

}  // namespace hv
