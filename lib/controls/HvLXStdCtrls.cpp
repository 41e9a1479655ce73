#include "HvLXStdCtrls.h"

#include "HvControlRecreate.h"
#include "HvExceptions.h"
#include "HvLXControlSizes.h"
#include "HvLXHost.h"
#include "HvLXThemes.h"
#include "HvScopeExit.h"

namespace hv {

UINT WM_DEFERRED_INVALIDATE() {
  static const UINT id = RegisterWindowMessageW(L"Halvern.HvLXStdCtrls.WM_DEFERRED_INVALIDATE");
  return id;
}

template <class Base>
void THvButtonControl<Base>::SetWordWrap(bool value) {
  if (value == FWordWrap) return;
  FWordWrap = value;
  RecreateControlWindow(*this);
}

template <class Base>
bool THvButtonControl<Base>::RepaintFixNeeded() const {
  return ThemesEnabled() && UseWineTricks(CheckLike() ? L"4.12" : L"unknown");
}

template <class Base>
bool THvButtonControl<Base>::WordWrapFixNeeded() const {
  return ThemesEnabled() && UseWineTricks(L"unknown");
}

template <class Base>
int THvButtonControl<Base>::RequiredCaptionWidth() const {
  return TextWidthForFont(ControlFont(*this), this->Text()) + ScaleForDpi(6);
}

template <class Base>
bool THvButtonControl<Base>::WantsMultiLine() const {
  if (!WordWrapFixNeeded()) return FWordWrap;
  RECT r = this->BoundsRect();
  int width = FRecreateWidth >= 0 ? FRecreateWidth : r.right - r.left;
  return FWordWrap && width < RequiredCaptionWidth();
}

template <class Base>
bool THvButtonControl<Base>::HasMultiLineStyle() const {
  HV_ASSERT(this->HandleAllocated());
  return FWordWrap && (GetWindowLongW(this->Handle(), GWL_STYLE) & BS_MULTILINE) != 0;
}

template <class Base>
void THvButtonControl<Base>::CreateParams(TControlParams& params) {
  Base::CreateParams(params);
  if (FWordWrap) params.Style |= BS_MULTILINE;
  // A caption that fits stays single-line, and so keeps its themed look.
  if (WordWrapFixNeeded() && FWordWrap && !WantsMultiLine()) params.Style &= ~BS_MULTILINE;
}

template <class Base>
void THvButtonControl<Base>::InitializeHandle() {
  Base::InitializeHandle();
  if (WordWrapFixNeeded() && HasMultiLineStyle()) {
    SwitchOffVisualStyles(this->Handle());
    PostMessageW(this->Handle(), WM_DEFERRED_INVALIDATE(), 0, 0);
  }
}

template <class Base>
void THvButtonControl<Base>::UpdateWordWrap() {
  if (!this->HandleAllocated()) return;
  if (WantsMultiLine() != HasMultiLineStyle()) {
    // While the window is rebuilt only the design rectangle is known, not the size the
    // layout gave the control; the decision must use the latter.
    RECT r = this->BoundsRect();
    FRecreateWidth = r.right - r.left;
    ScopeExit forgetWidth([this] { FRecreateWidth = -1; });
    RecreateControlWindow(*this);
  } else if (RepaintFixNeeded())
    Invalidate();
}

template <class Base>
void THvButtonControl<Base>::Invalidate() {
  if (this->HandleAllocated()) InvalidateRect(this->Handle(), nullptr, TRUE);
}

template <class Base>
void THvButtonControl<Base>::Click() {
  bool fix = RepaintFixNeeded();
  if (fix && this->HandleAllocated()) RedrawWindow(this->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
  Base::Click();
  if (fix) Invalidate();
}

template <class Base>
LRESULT THvButtonControl<Base>::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_DEFERRED_INVALIDATE()) {
    Invalidate();
    return 0;
  }
  LRESULT result = Base::WndProc(msg, wParam, lParam);
  switch (msg) {
    case WM_SETTEXT:
    case WM_SIZE:
      // Last: it may replace the native window this message was for.
      UpdateWordWrap();
      break;
    case WM_ENABLE:
      if (RepaintFixNeeded() && this->HandleAllocated()) PostMessageW(this->Handle(), WM_DEFERRED_INVALIDATE(), 0, 0);
      break;
    case WM_SETFOCUS:
    case WM_LBUTTONDOWN:
      if (RepaintFixNeeded()) Invalidate();
      break;
    case WM_CHAR:
      if (CheckLike() && RepaintFixNeeded()) Invalidate();
      break;
  }
  return result;
}

template class THvButtonControl<TButton>;
template class THvButtonControl<TCheckBox>;
template class THvButtonControl<TRadioButton>;

int THvCheckBox::RequiredCaptionWidth() const { return CheckBoxWidth(*this); }

int THvRadioButton::RequiredCaptionWidth() const { return RadioButtonWidth(*this); }

LRESULT THvRadioButton::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  LRESULT result = THvButtonControl<TRadioButton>::WndProc(msg, wParam, lParam);
  if (msg == BM_SETCHECK && RepaintFixNeeded()) Invalidate();
  return result;
}

}  // namespace hv
