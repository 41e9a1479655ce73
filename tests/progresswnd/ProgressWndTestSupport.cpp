#include "ProgressWndTestSupport.h"

#include <gtest/gtest.h>
#include <wincodec.h>

#include <stdexcept>
#include <vector>

namespace hvtest {

ProgressWindowScope::ProgressWindowScope() { hv::InstallCancelableFormFactory(); }

ProgressWindowScope::~ProgressWindowScope() { hv::SetFlashExtenderFactory(nullptr); }

hv::THvCancelableForm& Window() {
  hv::THvCancelableForm* form = hv::CancelableForm();
  if (!form) throw std::runtime_error("no progress window");
  return *form;
}

void PostClick(hv::TButton& button) {
  LPARAM at = MAKELPARAM(5, 5);
  PostMessageW(button.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, at);
  PostMessageW(button.Handle(), WM_LBUTTONUP, 0, at);
}

void PostEscape(hv::TForm& form) {
  // A person presses Esc in the active progress window; in a fresh desktop it may not have
  // the focus yet when the test presses.
  SetForegroundWindow(form.Handle());
  if (!IsChild(form.Handle(), GetFocus())) SetFocus(form.Handle());
  HWND focus = GetFocus();
  HWND target = focus && (focus == form.Handle() || IsChild(form.Handle(), focus)) ? focus : form.Handle();
  PostMessageW(target, WM_KEYDOWN, VK_ESCAPE, 0x00010001);
  PostMessageW(target, WM_KEYUP, VK_ESCAPE, 0xC0010001);
}

int ClientHeight(HWND hwnd) {
  RECT r;
  GetClientRect(hwnd, &r);
  return r.bottom;
}

int OuterHeight(HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  return r.bottom - r.top;
}

int Alpha(HWND hwnd) {
  if (!(GetWindowLongW(hwnd, GWL_EXSTYLE) & WS_EX_LAYERED)) return 255;
  BYTE alpha = 0;
  DWORD flags = 0;
  return GetLayeredWindowAttributes(hwnd, nullptr, &alpha, &flags) && (flags & LWA_ALPHA) ? alpha : 255;
}

namespace {

template <class T>
struct Com {
  T* p = nullptr;
  ~Com() {
    if (p) p->Release();
  }
};

// Writes top-down 32-bit BGR pixels as a PNG through the imaging component.
bool WritePng(const std::wstring& path, int width, int height, std::vector<BYTE>& pixels) {
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  Com<IWICImagingFactory> factory;
  Com<IWICStream> stream;
  Com<IWICBitmapEncoder> encoder;
  Com<IWICBitmapFrameEncode> frame;
  WICPixelFormatGUID format = GUID_WICPixelFormat32bppBGR;
  return SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                    reinterpret_cast<void**>(&factory.p))) &&
         SUCCEEDED(factory.p->CreateStream(&stream.p)) &&
         SUCCEEDED(stream.p->InitializeFromFilename(path.c_str(), GENERIC_WRITE)) &&
         SUCCEEDED(factory.p->CreateEncoder(GUID_ContainerFormatPng, nullptr, &encoder.p)) &&
         SUCCEEDED(encoder.p->Initialize(stream.p, WICBitmapEncoderNoCache)) &&
         SUCCEEDED(encoder.p->CreateNewFrame(&frame.p, nullptr)) && SUCCEEDED(frame.p->Initialize(nullptr)) &&
         SUCCEEDED(frame.p->SetSize(width, height)) && SUCCEEDED(frame.p->SetPixelFormat(&format)) &&
         SUCCEEDED(frame.p->WritePixels(height, width * 4, width * 4 * height, pixels.data())) &&
         SUCCEEDED(frame.p->Commit()) && SUCCEEDED(encoder.p->Commit());
}

}  // namespace

void SaveWindowPicture(HWND hwnd, const std::wstring& name) {
  RedrawWindow(hwnd, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
  const wchar_t* build = _wgetenv(L"HV_TEST_BUILD");
  std::wstring folder = build ? std::wstring(L"Z:") + build + L"/screenshots" : L"screenshots";
  CreateDirectoryW(folder.c_str(), nullptr);
  RECT r;
  GetWindowRect(hwnd, &r);
  int w = r.right - r.left, h = r.bottom - r.top;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  BITMAPINFOHEADER& header = info.bmiHeader;
  header.biSize = sizeof(header);
  header.biWidth = w;
  header.biHeight = -h;
  header.biPlanes = 1;
  header.biBitCount = 32;
  header.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(mem, bitmap);
  BitBlt(mem, 0, 0, w, h, screen, r.left, r.top, SRCCOPY);
  GdiFlush();
  std::vector<BYTE> pixels(static_cast<BYTE*>(bits), static_cast<BYTE*>(bits) + w * h * 4);
  SelectObject(mem, old);
  DeleteObject(bitmap);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  std::wstring path = folder + L"/" + name + L".png";
  EXPECT_TRUE(WritePng(path, w, h, pixels)) << "screenshot " << std::string(name.begin(), name.end());
}

}  // namespace hvtest
