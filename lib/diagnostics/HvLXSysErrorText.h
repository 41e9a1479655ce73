#pragma once

#include <string>

#include "HvWindows.h"

namespace hv {

// The system's text for messageId (from `module`'s message table when a module is given),
// trimmed; defaultText when there is none. moduleName only names the module for callers
// that log it; the handle is what is searched.
std::wstring SysErrorTextLX(const std::wstring& moduleName, HMODULE module, DWORD messageId,
                            const std::wstring& defaultText = {});

}  // namespace hv
