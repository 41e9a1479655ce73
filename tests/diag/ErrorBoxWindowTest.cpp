#include <gtest/gtest.h>

#include <string>

#include "HvLXShowException.h"

namespace {

struct SeenBox {
  std::wstring caption, text;
  bool closed = false;
};
SeenBox Seen;
// Unique, so that a box of another suite running in parallel is never taken for ours.
const wchar_t* const Caption = L"Halvern Uninstaller - error box test";

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

BOOL CALLBACK FindMessageText(HWND child, LPARAM out) {
  wchar_t className[16] = {};
  GetClassNameW(child, className, 16);
  std::wstring text = WindowText(child);
  if (_wcsicmp(className, L"Static") != 0 || text.empty()) return TRUE;  // the icon has no text
  *reinterpret_cast<std::wstring*>(out) = text;
  return FALSE;
}

// Runs inside the box's own modal loop: reads what the user would see and presses OK.
void CALLBACK CloseBoxWhenShown(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = FindWindowW(L"#32770", Caption);
  if (!box || Seen.closed) return;
  Seen.caption = WindowText(box);
  EnumChildWindows(box, &FindMessageText, reinterpret_cast<LPARAM>(&Seen.text));
  Seen.closed = true;
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
}

void UninstallerDisplay(const hv::Exception& e) { hv::ApplicationShowException(e, Caption); }

}  // namespace

TEST(ErrorBoxWindow, TheUserSeesTheInnermostMessageInARealModalBox) {
  hv::ExceptionDisplayProc saved = hv::SetApplicationExceptionDisplay(&UninstallerDisplay);
  UINT_PTR timer = SetTimer(nullptr, 0, 50, &CloseBoxWhenShown);
  try {
    try {
      throw hv::EOSError(L"Access is denied", ERROR_ACCESS_DENIED);
    } catch (...) {
      hv::ThrowOuter(hv::EHvGeneralError(L"Could not delete the folder"));
    }
  } catch (...) {
    hv::ShowExceptionLX();  // returns once OK was pressed
  }
  KillTimer(nullptr, timer);
  hv::SetApplicationExceptionDisplay(saved);

  EXPECT_TRUE(Seen.closed);
  EXPECT_EQ(Seen.caption, Caption);
  EXPECT_EQ(Seen.text, L"Access is denied.");
}
