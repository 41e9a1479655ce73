// The Program Files folder the program installs into and looks in.
#pragma once

#include <string>

namespace hv {

// The system's Program Files folder of 32-bit programs as it names it (on 64-bit Windows
// "C:\Program Files (x86)", in the 32-bit and the 64-bit build alike); "C:\Program Files",
// created if need be, when the system names none. Never empty.
std::wstring GetProgramFilesFolder();

}  // namespace hv
