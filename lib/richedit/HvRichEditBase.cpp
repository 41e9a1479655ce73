#include "HvRichEditBase.h"

#include <richedit.h>

#include <cstdlib>
#include <utility>

#include "HvControlRecreate.h"
#include "HvForms.h"
#include "HvLXDelayLoad.h"
#include "HvLXHotSpots.h"
#include "HvLXScreenFonts.h"
#include "HvLXStrings.h"
#include "HvScreen.h"

namespace hv {
namespace {

// Asked of the control by itself: rebuilding a window inside one of its own messages would
// pull it away under the system's feet.
UINT RecreateMessage() {
  static const UINT message = RegisterWindowMessageW(L"HvRichEditRecreate");
  return message;
}

bool FontInstalled(const std::wstring& name) {
  for (const std::wstring& font : SafeScreenFonts())
    if (SameTextLocale(font, name)) return true;
  return false;
}

}  // namespace

void LoadRichEditLibrary() {
  // Binding one of its functions loads the library from the system folder and keeps it for
  // the rest of the process; loading it registers the window class.
  static const bool loaded = (BindDelayedLX(L"Msftedit.dll", "CreateTextServices"), true);
  (void)loaded;
}

_THvCustomRichEdit::_THvCustomRichEdit(TComponent* owner) : TWinControl(owner) {}

void _THvCustomRichEdit::CreateParams(TControlParams& params) {
  LoadRichEditLibrary();
  params.ClassName = MSFTEDIT_CLASS;
  params.Style |= WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN;
  if (!FWordWrap) params.Style |= WS_HSCROLL | ES_AUTOHSCROLL;
  if (FReadOnly) params.Style |= ES_READONLY;
  if (!FHideSelection) params.Style |= ES_NOHIDESEL;
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

void _THvCustomRichEdit::InitializeHandle() {
  if (FPlainText) SendMessageW(Handle(), EM_SETTEXTMODE, TM_PLAINTEXT, 0);
  SendMessageW(Handle(), EM_EXLIMITTEXT, 0, FMaxLength);
  // Without a line width the control wraps at its right edge; 1 is "never wrap".
  SendMessageW(Handle(), EM_SETTARGETDEVICE, 0, FWordWrap ? 0 : 1);
  ApplyFont();
  ChangeScale(Screen().PixelsPerInch(), 96);
}

void _THvCustomRichEdit::ApplyFont() {
  TFontSpec design = Parent() ? Parent()->Font() : TFontSpec{};
  if (!FontInstalled(design.Name)) design.Name = L"MS Sans Serif";
  LOGFONTW lf{};
  lf.lfHeight = design.Height;  // as designed: the zoom scales it
  lf.lfWeight = FW_NORMAL;
  lf.lfCharSet = DEFAULT_CHARSET;
  wcsncpy(lf.lfFaceName, design.Name.c_str(), LF_FACESIZE - 1);
  TUniqueFont font(CreateFontIndirectW(&lf));
  SendMessageW(Handle(), WM_SETFONT, reinterpret_cast<WPARAM>(font.get()), FALSE);
  FFont = std::move(font);  // the one the control used before goes only now
}

void _THvCustomRichEdit::ChangeScale(int multiplier, int divisor) {
  FScaleM = multiplier;
  FScaleD = divisor;
  ApplyScale();
}

void _THvCustomRichEdit::ApplyScale() {
  if (Scaled) Zoom(FScaleM, FScaleD);
}

void _THvCustomRichEdit::Zoom(int multiplier, int divisor) {
  if (HandleAllocated() && multiplier > 0 && divisor > 0) SendMessageW(Handle(), EM_SETZOOM, multiplier, divisor);
}

void _THvCustomRichEdit::SysColorChanged() { PostMessageW(Handle(), RecreateMessage(), 0, 0); }

LRESULT _THvCustomRichEdit::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == RecreateMessage()) {
    RecreateControlWindow(*this);
    return 0;
  }
  switch (msg) {
    case WM_SHOWWINDOW: {
      LRESULT result = TWinControl::WndProc(msg, wParam, lParam);
      ApplyScale();
      return result;
    }
    case WM_SYSCOLORCHANGE:
      SysColorChanged();
      break;
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

void _THvCustomRichEdit::SetReadOnly(bool value) {
  FReadOnly = value;
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETREADONLY, value, 0);
}

void _THvCustomRichEdit::SetHideSelection(bool value) {
  FHideSelection = value;
  if (HandleAllocated()) SendMessageW(Handle(), EM_HIDESELECTION, value, 0);
}

void _THvCustomRichEdit::SetWordWrap(bool value) {
  FWordWrap = value;
  if (HandleAllocated()) SendMessageW(Handle(), EM_SETTARGETDEVICE, 0, value ? 0 : 1);
}

void _THvCustomRichEdit::SetPlainText(bool value) {
  FPlainText = value;
  // The system control changes its mode only while it is empty.
  if (HandleAllocated())
    SendMessageW(Handle(), EM_SETTEXTMODE, value ? TM_PLAINTEXT : TM_RICHTEXT, 0);
}

void _THvCustomRichEdit::SetMaxLength(int value) {
  FMaxLength = value;
  if (HandleAllocated()) SendMessageW(Handle(), EM_EXLIMITTEXT, 0, value);
}

int _THvCustomRichEdit::FontPixelHeight() const {
  const int height = std::abs(Parent() ? Parent()->Font().Height : TFontSpec{}.Height);
  return Scaled && FScaleM > 0 && FScaleD > 0 ? MulDiv(height, FScaleM, FScaleD) : height;
}

std::wstring _THvCustomRichEdit::TextWithLineFeeds() const { return PlainTextForLinks(Text()); }

int _THvCustomRichEdit::SelStart() const {
  CHARRANGE range{};
  if (HandleAllocated()) SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return range.cpMin;
}

int _THvCustomRichEdit::SelLength() const {
  CHARRANGE range{};
  if (HandleAllocated()) SendMessageW(Handle(), EM_EXGETSEL, 0, reinterpret_cast<LPARAM>(&range));
  return range.cpMax - range.cpMin;
}

void _THvCustomRichEdit::SetSelection(int start, int length) {
  CHARRANGE range{start, start + length};
  if (HandleAllocated()) SendMessageW(Handle(), EM_EXSETSEL, 0, reinterpret_cast<LPARAM>(&range));
}

}  // namespace hv
