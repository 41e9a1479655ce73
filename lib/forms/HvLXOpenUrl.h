// Opening a link, after the user agreed to go online.
#pragma once

#include <string>

namespace hv {

// Opens a link after the user agreed to go online (every link counts as going online for
// now). The question names the link, so the user sees what opens before agreeing; a
// `caution` goes before it, and then No is the default answer. Any answer but Yes raises
// EAbort. `opener`, when given, opens the link instead of the shell (ShellOpenLX, whose
// failures are EShellOpenError).
using TUrlOpener = void (*)(const std::wstring& url, void* param);
void OpenUrlConfirmed(const std::wstring& url, TUrlOpener opener = nullptr, void* param = nullptr,
                      const std::wstring& caution = {});

}  // namespace hv
