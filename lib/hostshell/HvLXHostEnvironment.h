// The process environment as the host scripts need it.
#pragma once

#include <string>

namespace hv {

// Sets the process's variable; with `persist` also the user's (HKCU "Environment"); with
// `broadcast`, when the library is part of the program itself, tells every top-level window.
void SetEnvironmentVariableLX(const std::wstring& name, const std::wstring& value, bool persist, bool broadcast);
// Makes PATHEXT hold "." (once per process), so that host programs without an extension
// such as /bin/bash can be started.
void EnsurePathExtHasDot();

}  // namespace hv
