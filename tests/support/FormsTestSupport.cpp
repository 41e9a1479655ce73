#include "FormsTestSupport.h"

#include <cstdlib>
#include <cstdio>

namespace hvtest {

void Pump() { hv::Application().ProcessMessages(); }

CapturedExceptions::CapturedExceptions() {
  hv::Application().OnException = [this](const hv::Exception& e) {
    Messages.push_back(e.Message());
    ClassNames.push_back(e.ClassName());
    auto* extra = dynamic_cast<const hv::EExtraInfoException*>(&e);
    ExtraInfos.push_back(extra ? extra->ExtraInfo() : std::wstring());
  };
}

CapturedExceptions::~CapturedExceptions() { hv::Application().OnException = nullptr; }

std::wstring SaveScreenshot(HWND hwnd, const std::wstring& name) {
  const wchar_t* build = _wgetenv(L"HV_TEST_BUILD");
  std::wstring folder = build ? std::wstring(L"Z:") + build + L"/screenshots" : L"screenshots";
  CreateDirectoryW(folder.c_str(), nullptr);
  std::wstring path = folder + L"/" + name + L".bmp";
  // Painted now and copied from the screen: what the user would see, controls included.
  SetWindowPos(hwnd, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  RECT r;
  GetWindowRect(hwnd, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO bi{};
  bi.bmiHeader = {sizeof(BITMAPINFOHEADER), w, -h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(screen, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  int stride = ((w * 3 + 3) / 4) * 4;
  BITMAPFILEHEADER fh{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + stride * h), 0, 0,
                      sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
  if (FILE* f = _wfopen(path.c_str(), L"wb")) {
    fwrite(&fh, sizeof(fh), 1, f);
    fwrite(&bi.bmiHeader, sizeof(BITMAPINFOHEADER), 1, f);
    fwrite(bits, stride, h, f);
    fclose(f);
  }
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  return path;
}

namespace {
MessageBoxDismisser* gDismisser = nullptr;
}

MessageBoxDismisser::MessageBoxDismisser(std::wstring caption, int answer)
    : FCaption(std::move(caption)), FAnswer(answer) {
  gDismisser = this;
  FTimer = SetTimer(nullptr, 0, 20, &MessageBoxDismisser::OnTimer);
}

MessageBoxDismisser::~MessageBoxDismisser() {
  KillTimer(nullptr, FTimer);
  gDismisser = nullptr;
}

void CALLBACK MessageBoxDismisser::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (!gDismisser) return;
  HWND box = FindWindowW(L"#32770", gDismisser->FCaption.c_str());
  if (!box || GetWindowThreadProcessId(box, nullptr) != GetCurrentThreadId()) return;
  HWND text = GetDlgItem(box, 0xFFFF);
  wchar_t buffer[1024] = {};
  if (text) GetWindowTextW(text, buffer, 1024);
  gDismisser->Texts.push_back(buffer);
  SendMessageW(box, WM_COMMAND, gDismisser->FAnswer, 0);
}

void MovePointerTo(POINT target) {
  // Each step waits for the pointer to arrive: a move sent before the last one has landed may
  // be taken for no move at all, and the pointer stays behind in the corner.
  for (const POINT& at : {POINT{0, 0}, target}) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = at.x * 65536 / GetSystemMetrics(SM_CXSCREEN);
    input.mi.dy = at.y * 65536 / GetSystemMetrics(SM_CYSCREEN);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
    POINT now{};
    for (int i = 0; i < 100 && GetCursorPos(&now) && (std::abs(now.x - at.x) > 1 || std::abs(now.y - at.y) > 1); ++i) {
      Sleep(10);
      Pump();
    }
    Pump();
  }
}

void ClickLeftButton() {
  INPUT inputs[2] = {};
  inputs[0].type = inputs[1].type = INPUT_MOUSE;
  inputs[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  inputs[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(2, inputs, sizeof inputs[0]);
  // Until the press and the release have come and gone (a busy machine delivers them late,
  // and one at a time), at most a second. The button counts as down from the moment the
  // press is handled until the release is.
  bool arrived = false;
  for (int i = 0; i < 100; ++i) {
    const bool queued = HIWORD(GetQueueStatus(QS_MOUSEBUTTON)) != 0;
    arrived = arrived || queued || GetKeyState(VK_LBUTTON) < 0;
    if (arrived && !queued && GetKeyState(VK_LBUTTON) >= 0) break;
    Sleep(10);
    Pump();
  }
  Pump();
}

HeldKeys::HeldKeys(std::initializer_list<int> keys) {
  GetKeyboardState(FSaved);
  BYTE state[256] = {};
  for (int k : keys) state[k] = 0x80;
  SetKeyboardState(state);
}

HeldKeys::~HeldKeys() { SetKeyboardState(FSaved); }

}  // namespace hvtest
