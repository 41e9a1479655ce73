#include "HvLXVclUtils.h"

#include "HvApplication.h"
#include "HvLXCursors.h"
#include "HvLXHost.h"
#include "HvLXMacMessages.h"
#include "HvLXMessagePumps.h"
#include "HvLXThreadCheck.h"
#include "HvLXWait.h"
#include "HvGdiHandles.h"
#include "HvVisualStyles.h"

#include <shlwapi.h>  // DLLVERSIONINFO

namespace hv {
namespace {

bool gInitialized = false;
bool gUserInterface = false;
TFlashExtenderFactory gFlashFactory = nullptr;
TRichTextToPlainTextProc gRichTextConverter = nullptr;

void SetRichTextHooks(TRichTextToPlainTextProc converter) {
  SetRichTextToPlainTextHook(converter);
  SetStringListRichTextToPlainTextHook(converter);
}

void BeginWaitCursor() { PushCursor(LoadCursorW(nullptr, IDC_WAIT)); }
void EndWaitCursor() { PopCursor(); }

// Windows uncovered by a closing modal window repaint before the program goes on working.
void RepaintAfterModal() { ProcessPaintMessages(); }

}  // namespace

bool ProcessHasUserInterface() {
  auto base = reinterpret_cast<const BYTE*>(GetModuleHandleW(nullptr));
  auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  return nt->OptionalHeader.Subsystem == IMAGE_SUBSYSTEM_WINDOWS_GUI;
}

int CommonControlsMajorVersion() {
  // The program's manifest (or the forms' own activation) asks for version 6 only; Wine's
  // one library answers its old number even then.
  if (CommonControlsRedirected()) return 6;
  TUniqueModule comctl(LoadLibraryW(L"comctl32.dll"));
  if (!comctl) return 0;
  using TDllGetVersion = HRESULT(CALLBACK*)(DLLVERSIONINFO*);
  auto getVersion = reinterpret_cast<TDllGetVersion>(GetProcAddress(comctl.get(), "DllGetVersion"));
  DLLVERSIONINFO info{};
  info.cbSize = sizeof(info);
  // 4: the oldest libraries had no version call
  return getVersion && SUCCEEDED(getVersion(&info)) ? static_cast<int>(info.dwMajorVersion) : 4;
}

bool ThemeServicesReplacementNeeded(int commonControlsMajorVersion) {
  return IsWine() && commonControlsMajorVersion < 6;
}

void InitializeHvLXVclUtils(bool userInterface) {
  if (gInitialized) return;
  gInitialized = true;
  gUserInterface = userInterface;
  Application().OnModalEnd = &RepaintAfterModal;
  WM_WINE_SIMULATE_CONTEXTMENU_ON_MOUSE_DOWN();
  if (UseWineTricks(L"unknown") && IsMac()) Application().OnMessage = &MacAppMessageHandler;
  SetRichTextHooks(gRichTextConverter);
  if (userInterface) {
    SetBeginWaitHook(&BeginWaitCursor);
    SetEndWaitHook(&EndWaitCursor);
    if (gFlashFactory) SetFlashExtenderFactory(gFlashFactory);
  }
  // The forms draw through common controls 6 and have no theme services to swap, so an
  // older library can only be reported.
  if (ThemeServicesReplacementNeeded(CommonControlsMajorVersion()))
    MessageBoxW(nullptr, L"Internal Error: Themes will not be fully enabled.", Application().Title().c_str(),
                MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void FinalizeHvLXVclUtils() {
  if (!gInitialized) return;
  if (gUserInterface) {
    SetFlashExtenderFactory(nullptr);
    SetEndWaitHook(nullptr);
    SetBeginWaitHook(nullptr);
  }
  SetRichTextHooks(nullptr);
  Application().OnMessage = nullptr;
  Application().OnModalEnd = nullptr;
  detail::ReleaseCursors();
  gInitialized = false;
  gUserInterface = false;
}

bool HvLXVclUtilsInitialized() { return gInitialized; }

void InstallMainThreadFlashExtenderFactory(TFlashExtenderFactory factory) {
  gFlashFactory = factory;
  if (gInitialized && gUserInterface && IsMainThread()) SetFlashExtenderFactory(factory);
}

void InstallRichTextToPlainTextConverter(TRichTextToPlainTextProc converter) {
  gRichTextConverter = converter;
  if (gInitialized) SetRichTextHooks(converter);
}

}  // namespace hv
