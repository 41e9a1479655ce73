// Common controls version 6 (themed controls, the controls the forms rely on) for a process
// whose executable carries no manifest of its own, such as a test program.
#pragma once

#include <string>

namespace hv {

// The dependency the program's own manifest must carry; one text for both uses.
const std::wstring& CommonControlsV6ManifestXml();

// Activates common controls version 6 for the rest of the process, unless the executable's
// own manifest already did. Safe to call more than once. Returns whether version 6 is in
// effect afterwards.
bool EnsureCommonControlsV6();
// Whether the calling thread's activation context sends comctl32 to the version 6 assembly.
bool CommonControlsRedirected();

}  // namespace hv
