// THvFormLX's placement, its members LoadForm and SaveForm (declared in HvLXForms.h): kept in
// the registry, position only for fixed-size windows, the whole native placement (normal
// bounds and show state) for resizable ones.

#include "HvApplication.h"
#include "HvLXForms.h"
#include "HvLXRegistry.h"

namespace hv {
namespace {

// The stored placement is exactly the native structure.
static_assert(sizeof(WINDOWPLACEMENT) == 44);

bool Resizable(const TForm& form) {
  return form.BorderStyle() == TFormBorderStyle::bsSizeable || form.BorderStyle() == TFormBorderStyle::bsSizeToolWin;
}

// Applies a placement without showing a window that is still hidden: its show state is
// kept for when it is shown.
void ApplyPlacement(TForm& form, WINDOWPLACEMENT wp) {
  if (!form.Visible()) {
    UINT cmd = wp.showCmd;
    form.SetWindowState(cmd == SW_SHOWMAXIMIZED ? TWindowState::wsMaximized
                        : (cmd == SW_SHOWMINIMIZED || cmd == SW_MINIMIZE || cmd == SW_SHOWMINNOACTIVE)
                            ? TWindowState::wsMinimized
                            : TWindowState::wsNormal);
    wp.showCmd = SW_HIDE;
  }
  SetWindowPlacement(form.Handle(), &wp);
}

}  // namespace

bool THvFormLX::SaveForm(HKEY RootKey, const std::wstring& RegKey) {
  THvRegistryLX reg(RootKey, KEY_READ | KEY_WRITE);
  if (!reg.OpenKey(RegKey, true)) return false;
  if (!Resizable(*this)) {
    reg.WriteInteger(L"Top", Top());
    reg.WriteInteger(L"Left", Left());
  } else {
    WINDOWPLACEMENT wp{};
    wp.length = sizeof(wp);
    if (!GetWindowPlacement(Handle(), &wp)) RaiseLastOSError();
    reg.WriteBinaryData(L"WindowPlacement", &wp, sizeof(wp));
  }
  return true;
}

bool THvFormLX::LoadForm(HKEY RootKey, const std::wstring& RegKey) {
  THvRegistryLX reg(RootKey, KEY_READ);
  if (!reg.OpenKeyReadOnly(RegKey)) return false;
  // Shift+Ctrl at start-up is the user's way back from a window placed where nobody sees it.
  if (GetKeyState(VK_SHIFT) < 0 && GetKeyState(VK_CONTROL) < 0) return false;

  bool result = false;
  if (!Resizable(*this)) {
    if (reg.ValueExists(L"Top") || reg.ValueExists(L"Left")) {
      SetPosition(TPosition::poDesigned);
      result = true;
    }
    RECT r = BoundsRect();
    int top = reg.ReadIntegerDef(L"Top", r.top);
    int left = reg.ReadIntegerDef(L"Left", r.left);
    SetBounds(left, top, r.right - r.left, r.bottom - r.top);
  } else if (reg.ValueExists(L"WindowPlacement")) {
    WINDOWPLACEMENT wp{};
    // A shorter value was not written by us: what it lacks would be applied as zeros.
    if (reg.ReadBinaryData(L"WindowPlacement", &wp, sizeof(wp)) == sizeof(wp)) {
      SetPosition(TPosition::poDesigned);
      result = true;
      wp.length = sizeof(wp);
      ApplyPlacement(*this, wp);
    }
  }
  if (Application().MainForm() == this) {
    STARTUPINFOW si{};
    si.cb = sizeof(si);
    GetStartupInfoW(&si);
    if ((si.dwFlags & STARTF_USESHOWWINDOW) && (si.wShowWindow == SW_SHOWMINNOACTIVE || si.wShowWindow == SW_SHOWMAXIMIZED)) {
      WINDOWPLACEMENT wp{};
      wp.length = sizeof(wp);
      if (GetWindowPlacement(Handle(), &wp)) {
        wp.showCmd = si.wShowWindow;
        ApplyPlacement(*this, wp);
      }
    }
  }
  return result;
}

}  // namespace hv
