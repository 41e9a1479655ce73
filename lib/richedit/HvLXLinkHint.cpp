#include "HvLXLinkHint.h"

#include <commctrl.h>

namespace hv {
namespace {

constexpr UINT_PTR kToolId = 1;

TTTOOLINFOW ToolInfo(HWND control, const std::wstring* text) {
  TTTOOLINFOW info{};
  info.cbSize = sizeof info;
  info.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  info.hwnd = control;
  info.uId = kToolId;
  info.lpszText = text ? const_cast<wchar_t*>(text->c_str()) : nullptr;
  return info;
}

}  // namespace

void TLinkHintWindow::Show(HWND control, const std::wstring& text) {
  if (FTip && FControl != control) Destroy();
  if (!FTip) {
    FTip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0,
                           0, GetAncestor(control, GA_ROOT), nullptr, GetModuleHandleW(nullptr), nullptr);
    if (!FTip) return;  // no hint is better than no link
    FControl = control;
    TTTOOLINFOW info = ToolInfo(control, &text);
    SendMessageW(FTip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    SendMessageW(FTip, TTM_SETMAXTIPWIDTH, 0, 600);  // long addresses wrap
  }
  if (FShowing && FText == text) return;
  FText = text;
  TTTOOLINFOW info = ToolInfo(control, &FText);
  SendMessageW(FTip, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&info));
  POINT cursor{};
  GetCursorPos(&cursor);
  SendMessageW(FTip, TTM_TRACKPOSITION, 0, MAKELPARAM(cursor.x + 12, cursor.y + 20));
  SendMessageW(FTip, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&info));
  FShowing = true;
}

void TLinkHintWindow::Hide() {
  if (!FShowing) return;
  FShowing = false;
  TTTOOLINFOW info = ToolInfo(FControl, nullptr);
  if (FTip) SendMessageW(FTip, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&info));
}

void TLinkHintWindow::Destroy() {
  if (FTip) DestroyWindow(FTip);
  FTip = nullptr;
  FControl = nullptr;
  FShowing = false;
}

}  // namespace hv
