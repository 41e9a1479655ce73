#include "HvSpinEdit.h"

#include <commctrl.h>

#include <algorithm>
#include <string>

namespace hv {

TSpinEdit::~TSpinEdit() { DestroyUpDown(); }

void TSpinEdit::CreateParams(TControlParams& params) {
  TEdit::CreateParams(params);
  params.Style |= ES_NUMBER;
}

void TSpinEdit::InitializeHandle() {
  TEdit::InitializeHandle();
  // Created as the box is: hidden or disabled with it.
  DWORD shown = GetWindowLongW(Handle(), GWL_STYLE) & (WS_VISIBLE | WS_DISABLED);
  FUpDown.reset(CreateWindowExW(0, UPDOWN_CLASSW, L"",
                                WS_CHILD | shown | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                0, 0, 0, 0, GetParent(Handle()), nullptr, GetModuleHandleW(nullptr), nullptr));
  if (!FUpDown) return;  // still a usable number box
  SendMessageW(FUpDown.get(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(Handle()), 0);
  SendMessageW(FUpDown.get(), UDM_SETRANGE32, FMin, FMax);
  SetValue(FValue);
}

LRESULT TSpinEdit::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  // The arrows are a window of their own beside the box: they come and go with it.
  if (FUpDown && msg == WM_SHOWWINDOW) ShowWindow(FUpDown.get(), wParam ? SW_SHOWNA : SW_HIDE);
  if (FUpDown && msg == WM_ENABLE) EnableWindow(FUpDown.get(), static_cast<BOOL>(wParam));
  return TEdit::WndProc(msg, wParam, lParam);
}

void TSpinEdit::SaveHandleState() {
  FValue = Value();
  DestroyUpDown();  // it goes with the edit it belongs to
  TEdit::SaveHandleState();
}

void TSpinEdit::DestroyUpDown() {
  FUpDown.reset();
}

int TSpinEdit::Value() const {
  if (!FUpDown) return FValue;
  BOOL error = FALSE;
  int value = static_cast<int>(SendMessageW(FUpDown.get(), UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error)));
  return error ? std::clamp(FValue, FMin, FMax) : value;
}

void TSpinEdit::SetValue(int value) {
  FValue = std::clamp(value, FMin, FMax);
  if (!FUpDown) return;
  SendMessageW(FUpDown.get(), UDM_SETPOS32, 0, FValue);
  // Not every system writes the number into the box when the position is set from code.
  SetText(std::to_wstring(FValue));
}

void TSpinEdit::SetRange(int min, int max) {
  FMin = min;
  FMax = std::max(min, max);
  if (FUpDown) SendMessageW(FUpDown.get(), UDM_SETRANGE32, FMin, FMax);
  SetValue(FValue);
}

}  // namespace hv
