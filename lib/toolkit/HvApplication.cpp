#include "HvApplication.h"

#include <algorithm>

#include "HvLXPaths.h"
#include "HvLXShowException.h"
#include "HvMessageIds.h"
#include "HvVisualStyles.h"

namespace hv {
namespace {

// The application's display of an exception: the library's error box under our title.
void ShowApplicationException(const Exception& e) { ApplicationShowException(e, Application().Title()); }

const wchar_t kAppWindowClass[] = L"HvApplicationWindow";

}  // namespace

TApplication& Application() {
  static TApplication app;
  return app;
}

TApplication::TApplication() {
  EnsureCommonControlsV6();
  std::wstring module(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, module.data(), static_cast<DWORD>(module.size()));
    if (n < module.size()) {
      module.resize(n);
      break;
    }
    module.resize(module.size() * 2);
  }
  // The title defaults to the program's base name, as a caption for early error boxes.
  FTitle = ExtractFileBaseName(module);
  InstallApplicationExceptionDisplay(&ShowApplicationException);
}

TApplication::~TApplication() {
  RemoveApplicationExceptionDisplay(&ShowApplicationException);
  if (FHandle) DestroyWindow(FHandle);
}

HWND TApplication::Handle() {
  if (!FHandle) {
    static bool registered = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof(wc);
      wc.lpfnWndProc = &TApplication::AppWndProc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = kAppWindowClass;
      wc.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
      return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
    // Never shown: it owns unowned windows and hosts controls while their form is rebuilt.
    FHandle = CreateWindowExW(WS_EX_APPWINDOW, kAppWindowClass, FTitle.c_str(),
                              WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX, 0, 0, 0, 0,
                              nullptr, nullptr, GetModuleHandleW(nullptr), this);
  }
  return FHandle;
}

LRESULT CALLBACK TApplication::AppWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept {
  try {
    if (msg == WM_ACTIVATEAPP || msg == WM_ACTIVATE) {
      // Activation handed to the application window goes on to its modal window.
      if (msg == WM_ACTIVATE && LOWORD(wParam) != WA_INACTIVE) {
        HWND modal = Application().ActiveModalWindow();
        if (modal && modal != hwnd && IsWindowVisible(modal)) PostMessageW(hwnd, WM_HV_BRING_MODAL_TO_FRONT, 0, 0);
      }
    } else if (msg == WM_HV_BRING_MODAL_TO_FRONT) {
      Application().BringModalToFront();
      return 0;
    }
    return DefWindowProcW(hwnd, msg, wParam, lParam);
  } catch (...) {
    Application().HandleException();
    return 0;
  }
}

void TApplication::PopModalWindow(HWND hwnd) {
  auto it = std::find(FModalWindows.rbegin(), FModalWindows.rend(), hwnd);
  if (it != FModalWindows.rend()) FModalWindows.erase(std::next(it).base());
}

HWND TApplication::ActiveModalWindow() const {
  for (auto it = FModalWindows.rbegin(); it != FModalWindows.rend(); ++it)
    if (IsWindow(*it)) return *it;
  return nullptr;
}

void TApplication::BringModalToFront() {
  HWND modal = ActiveModalWindow();
  if (!modal || !IsWindowVisible(modal)) return;
  SetWindowPos(modal, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetForegroundWindow(modal);
  SetActiveWindow(modal);
}

void TApplication::Terminate() {
  if (!FTerminated) {
    FTerminated = true;
    PostQuitMessage(0);
  }
}

bool TApplication::ProcessMessage(MSG& msg) {
  if (msg.message == WM_QUIT) {
    FTerminated = true;
    return false;
  }
  if (OnMessage) {
    bool handled = false;
    try {
      OnMessage(msg, handled);
    } catch (...) {
      HandleException();
    }
    if (handled) return true;
  }
  HWND active = GetActiveWindow();
  TForm* form = active ? TForm::FromHandle(active) : nullptr;
  if (form && (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN)) {
    bool consumed = false;
    try {
      consumed = form->IsShortCut(msg);
    } catch (...) {
      HandleException();
      consumed = true;
    }
    if (consumed) return true;
  }
  // Tab, arrows and default buttons: the dialog manager gives keyboard users the same
  // navigation as in any dialog box.
  if (form && form->FormStyle() != TFormStyle::fsMDIForm && IsDialogMessageW(active, &msg)) return true;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

bool TApplication::HandleMessage() {
  MSG msg;
  int r = GetMessageW(&msg, nullptr, 0, 0);
  if (r <= 0) {
    FTerminated = true;
    if (r == 0) PostQuitMessage(static_cast<int>(msg.wParam));  // let outer loops see it too
    return false;
  }
  return ProcessMessage(msg);
}

void TApplication::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      FTerminated = true;
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    ProcessMessage(msg);
  }
}

void TApplication::Run() {
  if (FMainForm) FMainForm->Show();
  while (!FTerminated && FMainForm) HandleMessage();
}

void TApplication::HandleException() noexcept {
  try {
    std::shared_ptr<const Exception> e = CurrentExceptionCopy();
    if (!e) return;
    if (OnException)
      OnException(*e);
    else
      ShowException(*e);
  } catch (...) {
    // Nothing may leave here: we are on the way back into user32.
  }
}

void TApplication::ShowException(const Exception& e) {
  if (dynamic_cast<const EAbort*>(&e)) return;
  if (ExceptionDisplayProc display = ApplicationExceptionDisplay())
    display(e);
  else
    ShowApplicationException(e);
}

}  // namespace hv
