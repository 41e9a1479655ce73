// TForm as an MDI frame or child: the frame's client window, and the system's default
// message handling, which differs for frames, children and plain windows.
#include "HvForms.h"

namespace hv {

void TForm::CreateMdiClient(HWND frame) {
  CLIENTCREATESTRUCT ccs{nullptr, 0xFF00};
  RECT rc;
  GetClientRect(frame, &rc);
  FClientHandle = CreateWindowExW(WS_EX_CLIENTEDGE, L"MDICLIENT", nullptr,
                                  WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS | WS_VSCROLL | WS_HSCROLL,
                                  0, 0, rc.right, rc.bottom, frame, nullptr, GetModuleHandleW(nullptr), &ccs);
}

LRESULT TForm::DefaultHandler(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (FFormStyle) {
    case TFormStyle::fsMDIForm: return DefFrameProcW(FHandle, FClientHandle, msg, wParam, lParam);
    case TFormStyle::fsMDIChild: return DefMDIChildProcW(FHandle, msg, wParam, lParam);
    default: return DefWindowProcW(FHandle, msg, wParam, lParam);
  }
}

}  // namespace hv
