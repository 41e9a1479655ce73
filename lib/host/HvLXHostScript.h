// Scripts in the host's shell (under Wine). The runner lives in a layer above the files it
// needs (work folder, temporary files, progress); it is installed here once at start, so that
// the layers below it (paths, deletion, host detection) can run scripts as well.
#pragma once

#include <string>

namespace hv {

struct THostShell {
  // Runs `scriptText` in the host shell and answers what it printed (output and errors).
  std::wstring (*RunScript)(const std::wstring& title, const std::wstring& scriptText,
                            const std::wstring& progressMessage) = nullptr;
  // Whether the host has /bin/bash or /bin/sh.
  bool (*ShellExists)() = nullptr;
};
// Installs the runner; programs do this before anything asks the host.
void InstallHostShell(const THostShell& shell);

// Runs a script through the installed runner. Raises EHvInternalError when none is installed.
std::wstring Wine_RunScript(const std::wstring& title, const std::wstring& scriptText,
                            const std::wstring& progressMessage = {});
// Whether scripts can run: under Wine, not on Chrome OS, a runner installed and a shell there.
bool HostShellAvailable();

// `text` as one word of a host script: single-quoted, so the shell expands nothing in it
// ("$(...)", backticks, "$VAR", "\" all stay as written); a "'" is written as '\''.
std::wstring HostShellWord(const std::wstring& text);

}  // namespace hv
