// Progress lines for processes without a user interface: console programs have no progress
// window, so their flashes and wait scopes print what the window would show.
#pragma once

#include <string>

namespace hv {

// Whether this process was built as a console program (decided once, from its own image).
bool IsConsoleProcess();

namespace detail {
// Writes `text` and a line end to standard output, in a console process and on the main
// thread only; worker threads and windowed programs stay silent.
void WriteProgressLine(const std::wstring& text);
}  // namespace detail

}  // namespace hv
