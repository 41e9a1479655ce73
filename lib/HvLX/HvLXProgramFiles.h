// The Program Files folder the program installs into and looks in.
#pragma once

#include <string>

namespace hv {

// The system's Program Files folder as it names it (for this 32-bit program on 64-bit
// Windows, the one of 32-bit programs); "C:\Program Files", created if need be, when the
// system names none. Never empty.
std::wstring GetProgramFilesFolder();

}  // namespace hv
