// Window placement kept in the registry: position only for fixed-size windows, the whole
// native placement (normal bounds and show state) for resizable ones.
#include <cstring>
#include <optional>

#include "HvApplication.h"
#include "HvHandles.h"
#include "HvLXForms.h"

namespace hv {
namespace {

struct KeyTraits {
  using Type = HKEY;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) { RegCloseKey(h); }
};
using TUniqueKey = UniqueHandle<KeyTraits>;

// The stored placement is exactly the native structure; anything else is not ours.
static_assert(sizeof(WINDOWPLACEMENT) == 44);

bool Resizable(const TForm& form) {
  return form.BorderStyle() == TFormBorderStyle::bsSizeable || form.BorderStyle() == TFormBorderStyle::bsSizeToolWin;
}

void CheckStatus(LSTATUS status) {
  if (status != ERROR_SUCCESS) RaiseLastOSError(static_cast<std::uint32_t>(status));
}

std::optional<int> ReadInteger(HKEY key, const wchar_t* name) {
  DWORD value = 0, size = sizeof(value), type = 0;
  LSTATUS r = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
  if (r == ERROR_FILE_NOT_FOUND) return std::nullopt;
  if (r == ERROR_SUCCESS && (type != REG_DWORD || size != sizeof(value)))
    throw EHvGeneralError(Fmt(L"Invalid data type for '%s'", std::wstring(name)));
  CheckStatus(r);
  return static_cast<int>(value);
}

bool ValueExists(HKEY key, const wchar_t* name) {
  return RegQueryValueExW(key, name, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
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
  TUniqueKey key;
  HKEY raw = nullptr;
  if (RegCreateKeyExW(RootKey, RegKey.c_str(), 0, nullptr, 0, KEY_READ | KEY_WRITE, nullptr, &raw, nullptr) != ERROR_SUCCESS)
    return false;
  key.reset(raw);
  if (!Resizable(*this)) {
    DWORD top = static_cast<DWORD>(Top()), left = static_cast<DWORD>(Left());
    CheckStatus(RegSetValueExW(key.get(), L"Top", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&top), sizeof(top)));
    CheckStatus(RegSetValueExW(key.get(), L"Left", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&left), sizeof(left)));
  } else {
    WINDOWPLACEMENT wp{sizeof(wp)};
    if (!GetWindowPlacement(Handle(), &wp)) RaiseLastOSError();
    CheckStatus(RegSetValueExW(key.get(), L"WindowPlacement", 0, REG_BINARY, reinterpret_cast<const BYTE*>(&wp), sizeof(wp)));
  }
  return true;
}

bool THvFormLX::LoadForm(HKEY RootKey, const std::wstring& RegKey) {
  TUniqueKey key;
  HKEY raw = nullptr;
  if (RegOpenKeyExW(RootKey, RegKey.c_str(), 0, KEY_READ, &raw) != ERROR_SUCCESS) return false;
  key.reset(raw);
  // Shift+Ctrl at start-up is the user's way back from a window placed where nobody sees it.
  if (GetKeyState(VK_SHIFT) < 0 && GetKeyState(VK_CONTROL) < 0) return false;

  bool result = false;
  if (!Resizable(*this)) {
    if (ValueExists(key.get(), L"Top") || ValueExists(key.get(), L"Left")) {
      SetPosition(TPosition::poDesigned);
      result = true;
    }
    RECT r = BoundsRect();
    int top = ReadInteger(key.get(), L"Top").value_or(r.top);
    int left = ReadInteger(key.get(), L"Left").value_or(r.left);
    SetBounds(left, top, r.right - r.left, r.bottom - r.top);
  } else {
    DWORD type = 0, size = 0;
    if (RegQueryValueExW(key.get(), L"WindowPlacement", nullptr, &type, nullptr, &size) == ERROR_SUCCESS) {
      // A value of another size or type was not written by us: reading it as a placement
      // would apply whatever lies past its end.
      if (type == REG_BINARY && size == sizeof(WINDOWPLACEMENT)) {
        SetPosition(TPosition::poDesigned);
        result = true;
        WINDOWPLACEMENT wp{};
        size = sizeof(wp);
        CheckStatus(RegQueryValueExW(key.get(), L"WindowPlacement", nullptr, nullptr, reinterpret_cast<BYTE*>(&wp), &size));
        wp.length = sizeof(wp);
        ApplyPlacement(*this, wp);
      }
    }
  }
  if (Application().MainForm() == this) {
    STARTUPINFOW si{sizeof(si)};
    GetStartupInfoW(&si);
    if ((si.dwFlags & STARTF_USESHOWWINDOW) && (si.wShowWindow == SW_SHOWMINNOACTIVE || si.wShowWindow == SW_SHOWMAXIMIZED)) {
      WINDOWPLACEMENT wp{sizeof(wp)};
      if (GetWindowPlacement(Handle(), &wp)) {
        wp.showCmd = si.wShowWindow;
        ApplyPlacement(*this, wp);
      }
    }
  }
  return result;
}

}  // namespace hv
