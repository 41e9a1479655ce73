// The screen as the forms see it: the pixels per inch every layout is scaled to (the
// system DPI, possibly boosted by the user's font boost) and the cached font list.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace hv {

class TScreen {
 public:
  // Layouts are written at 96 dots per inch and scaled to this value.
  int PixelsPerInch() const;
  void SetPixelsPerInch(int ppi) { FPixelsPerInch = ppi; }
  // The system's own DPI (what the program sees as a DPI-aware process).
  static int SystemPixelsPerInch();

  // The font list is built on first demand by the forms layer; empty until then.
  const std::optional<std::vector<std::wstring>>& Fonts() const { return FFonts; }
  void SetFonts(std::optional<std::vector<std::wstring>> fonts) { FFonts = std::move(fonts); }

 private:
  mutable int FPixelsPerInch = 0;  // 0: not read from the system yet
  std::optional<std::vector<std::wstring>> FFonts;
};

TScreen& Screen();

// `value` given at 96 dots per inch, in the screen's current pixels.
int ScaleForDpi(int value);

}  // namespace hv
