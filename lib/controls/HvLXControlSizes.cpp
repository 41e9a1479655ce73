#include "HvLXControlSizes.h"

#include "HvForms.h"
#include "HvGdiHandles.h"
#include "HvLXThemes.h"

namespace hv {
namespace {

int CaptionWidth(const TWinControl& control) { return TextWidthForFont(ControlFont(control), control.Text()); }

}  // namespace

int TextWidthForFont(HFONT font, const std::wstring& text) {
  TScreenDC screen;
  TUniqueMemoryDC dc(CreateCompatibleDC(screen.get()));
  if (!dc) RaiseLastOSError();
  TUniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), 1, 1));
  HGDIOBJ oldBitmap = SelectObject(dc.get(), bitmap.get());
  HGDIOBJ oldFont = SelectObject(dc.get(), font ? font : GetStockObject(DEFAULT_GUI_FONT));
  SIZE size{};
  BOOL ok = GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc.get(), oldFont);
  SelectObject(dc.get(), oldBitmap);
  if (!ok) RaiseLastOSError();
  return size.cx;
}

HFONT ControlFont(const TWinControl& control) {
  if (control.HandleAllocated())
    if (auto font = reinterpret_cast<HFONT>(SendMessageW(control.Handle(), WM_GETFONT, 0, 0))) return font;
  if (control.Parent()) return control.Parent()->FontHandle();
  return static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

int RadioButtonWidth(const TWinControl& button) {
  int edges = ThemesEnabled() ? 1 : 2;
  return GetSystemMetrics(SM_CXMENUCHECK) + CaptionWidth(button) + edges * GetSystemMetrics(SM_CXEDGE) +
         ScaleForDpi(1);
}

int CheckBoxWidth(const TWinControl& box) {
  int text = CaptionWidth(box);
  // Check boxes draw their caption slightly wider than measured at high resolutions.
  if (Screen().PixelsPerInch() > 100) text += ScaleForDpi(2);
  int edges = ThemesEnabled() ? 2 : 3;
  return GetSystemMetrics(SM_CXMENUCHECK) + text + edges * GetSystemMetrics(SM_CXEDGE) + ScaleForDpi(1);
}

}  // namespace hv
