// The screen's font list, built so that a failing font enumeration never stops the program.
#pragma once

#include <string>
#include <vector>

namespace hv {

// The screen's font families ("Default" first), built on first use. A failure to build the
// list is reported once per process and never raised.
std::vector<std::wstring> SafeScreenFonts();
// The two system font enumerations the list is built from.
struct TFontEnumerators {
  std::vector<std::wstring> (*AllCharsets)();
  std::vector<std::wstring> (*PerFamily)();
};

// Test seam: other enumerations for the life of the object, so a test can make them fail.
class ScopedFontEnumerators {
 public:
  explicit ScopedFontEnumerators(const TFontEnumerators& enumerators);
  ~ScopedFontEnumerators();
  ScopedFontEnumerators(const ScopedFontEnumerators&) = delete;
  ScopedFontEnumerators& operator=(const ScopedFontEnumerators&) = delete;

 private:
  TFontEnumerators FSaved;
};

}  // namespace hv
