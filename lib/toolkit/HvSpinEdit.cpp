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
  FUpDown.reset(CreateWindowExW(0, UPDOWN_CLASSW, L"",
                                WS_CHILD | WS_VISIBLE | UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_ARROWKEYS | UDS_NOTHOUSANDS,
                                0, 0, 0, 0, GetParent(Handle()), nullptr, GetModuleHandleW(nullptr), nullptr));
  if (!FUpDown) return;  // still a usable number box
  SendMessageW(FUpDown.get(), UDM_SETBUDDY, reinterpret_cast<WPARAM>(Handle()), 0);
  SendMessageW(FUpDown.get(), UDM_SETRANGE32, FMin, FMax);
  SetValue(FValue);
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
