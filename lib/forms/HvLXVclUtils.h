// Application-wide services of the user interface: the link between the parts of the library
// that know no windows (waits, progress) and the forms, the message pumps of long work, a
// cursor stack, confirmed link opening and the adaptations to Wine on macOS.
#pragma once

#include <string>

#include "HvForms.h"
#include "HvLXControlSizes.h"
#include "HvLXFlash.h"
#include "HvMenus.h"
#include "HvWindows.h"

namespace hv {

// Fits the form into the work area of its monitor: a window larger than the work area is
// cut to it (a non-resizable one gets scroll ranges so nothing becomes unreachable), and
// one that starts before the work area is moved into it. A maximised window is left alone
// except on macOS hosts.
void FitToMonitor(TForm& form);
// The size of the monitor's work area (the screen without the task bar), in pixels.
int MonitorWorkAreaWidth(HMONITOR monitor);
int MonitorWorkAreaHeight(HMONITOR monitor);

// Whether the program was built as a windowed program (not a console one).
bool ProcessHasUserInterface();
// Start-up and shut-down of the services. `userInterface` says whether the process shows
// windows: only then do waits show the hourglass and flashes of the main thread get the
// progress window. Call both on the main thread; Finalize undoes everything Initialize did.
void InitializeHvLXVclUtils(bool userInterface = ProcessHasUserInterface());
void FinalizeHvLXVclUtils();
bool HvLXVclUtilsInitialized();
// The factory of the main thread's progress windows; installed now when the services run
// with a user interface, otherwise kept for when they do. nullptr removes it.
void InstallMainThreadFlashExtenderFactory(TFlashExtenderFactory factory);

// A stack of cursors for the main thread; calls from other threads do nothing. Push shows
// `cursor` and remembers the one shown before; Pop shows that again (the arrow when nothing
// is left to pop).
void PushCursor(HCURSOR cursor);
void PopCursor();
int CursorStackDepth();
// The cursor for links: the browser's hand where the system has it, else the system hand.
HCURSOR GetHandCursor();

// Lets an automatic menu choose its hotkeys now; on macOS hosts the main menu also gives up
// the hotkeys that the keyboard adaptation needs for Ctrl shortcuts. Not re-entered; nothing
// without a menu.
void AdjustMainMenu(TMenu* menu);

// Dispatch pending paint (or input) messages, at most 1001 (or 101) per call so that a flood
// cannot hold the caller; then peek without removing anything, which tells the system that
// the program still responds. Answer whether a message is waiting.
bool ProcessPaintMessages();
bool ProcessInputMessages();
inline constexpr int kPaintMessagePortion = 1001;
inline constexpr int kInputMessagePortion = 101;

// Opens a link after the user agreed to go online (every link counts as going online for
// now). Any answer but Yes raises EAbort. `opener`, when given, opens the link instead of
// the shell.
using TUrlOpener = void (*)(const std::wstring& url, void* param);
void OpenUrlConfirmed(const std::wstring& url, TUrlOpener opener = nullptr, void* param = nullptr);

// The themed drawing of old common controls under Wine needs the platform's theme services
// replaced; the forms here draw through common controls 6, so this holds only below it.
bool ThemeServicesReplacementNeeded(int commonControlsMajorVersion);
int CommonControlsMajorVersion();

// Wine on macOS: the Mac keyboard and one-button mouse produce Alt where Windows programs
// expect Ctrl and a right click. Adapts one retrieved message before dispatch; `handled`
// set means it must not be dispatched.
void MacAppMessageHandler(MSG& msg, bool& handled);
// The registered message a window answers non-zero to when Alt+click should open its
// context menu.
UINT WM_WINE_SIMULATE_CONTEXTMENU_ON_MOUSE_DOWN();
// Test seam: the synthesised keyboard input of the handler; answers the events sent.
using TSendInputProc = UINT(WINAPI*)(UINT count, INPUT* inputs, int size);
TSendInputProc SetSendInputProc(TSendInputProc proc);

namespace detail {
// Frees the cursor stack and the library the hand cursor came from (shut-down).
void ReleaseCursors();
}  // namespace detail

}  // namespace hv
