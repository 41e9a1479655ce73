#include "HvStdActns.h"

#include <string>

#include "HvWindows.h"

namespace hv {
namespace {

// An editable combo box's edit part is never read-only, and other controls are not edits,
// so only a read-only edit box refuses a paste.
bool IsReadOnlyEdit(HWND hwnd) {
  wchar_t className[16] = {};
  if (!hwnd || !GetClassNameW(hwnd, className, 16)) return false;
  return _wcsicmp(className, L"Edit") == 0 && (GetWindowLongW(hwnd, GWL_STYLE) & ES_READONLY) != 0;
}

}  // namespace

bool THvEditPaste::Update() {
  if (OnUpdate) return TAction::Update();
  Enabled = IsClipboardFormatAvailable(CF_TEXT) && !IsReadOnlyEdit(GetFocus());
  return true;
}

bool THvEditPaste::Execute() {
  if (OnExecute) return TAction::Execute();
  HWND target = GetFocus();
  if (!target) return false;
  SendMessageW(target, WM_PASTE, 0, 0);
  return true;
}

}  // namespace hv
