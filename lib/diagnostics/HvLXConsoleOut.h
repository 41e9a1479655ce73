// Writes a line to the process's standard output, whatever it is: a console (as UTF-16), or a
// pipe or file (as UTF-8), attaching to the parent's console when a window program has none.
#pragma once

#include <string>

namespace hv {

void WriteStdOutLine(const std::wstring& line);

}  // namespace hv
