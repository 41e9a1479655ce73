// The screen's font list, built so that a failing font enumeration never stops the program.
#pragma once

#include <string>
#include <vector>

namespace hv {

// The screen's font families ("Default" first), built on first use. A failure to build the
// list is reported once per process and never raised.
std::vector<std::wstring> SafeScreenFonts();
// Test seam: the two system font enumerations, so a test can make them fail.
struct TFontEnumerators {
  std::vector<std::wstring> (*AllCharsets)();
  std::vector<std::wstring> (*PerFamily)();
};
TFontEnumerators SetFontEnumerators(const TFontEnumerators& enumerators);

}  // namespace hv
