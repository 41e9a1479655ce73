// Opening a link, after the user agreed to go online.
#pragma once

#include <string>

namespace hv {

// Opens a link; a link that uses the network (UrlUsesNetwork) only after the user agreed to go
// online, and a link with a `caution` only after the user read it and agreed (No is then the
// default answer). The question names the link, so the user sees what opens before agreeing.
// Any answer but Yes raises EAbort. `opener`, when given, opens the link instead of the shell
// (ShellOpenLX, whose failures are EShellOpenError).
// Whether the link can open as things stand: the user does not work offline, or the link
// needs no network.
bool LinkOpensNow(const std::wstring& url);

using TUrlOpener = void (*)(const std::wstring& url, void* param);
void OpenUrlConfirmed(const std::wstring& url, TUrlOpener opener = nullptr, void* param = nullptr,
                      const std::wstring& caution = {});

}  // namespace hv
