// Opening a link, after the user agreed to go online.
#pragma once

#include <string>

namespace hv {

// Opens a link; a link that uses the network (UrlUsesNetwork) only after the user agreed to go
// online: any answer but Yes raises EAbort. `opener`, when given, opens the link instead of
// the shell (ShellOpenLX, whose failures are EShellOpenError).
using TUrlOpener = void (*)(const std::wstring& url, void* param);
void OpenUrlConfirmed(const std::wstring& url, TUrlOpener opener = nullptr, void* param = nullptr);

}  // namespace hv
