// The start-up and shut-down of the application services: the link between the parts of
// the library that know no windows (waits, progress) and the forms. The services
// themselves have headers of their own (cursors, message pumps, link opening, main menu,
// macOS messages).
#pragma once

#include "HvLXFlash.h"
#include "HvRichTextHooks.h"

namespace hv {

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
// The conversion of rich text the layers above lend to the two rich-text hooks below the
// windows: installed in both while the services run (now, when they already do), cleared when
// they end. nullptr removes it.
void InstallRichTextToPlainTextConverter(TRichTextToPlainTextProc converter);

// The themed drawing of old common controls under Wine needs the platform's theme services
// replaced; the forms here draw through common controls 6, so this holds only below it.
bool ThemeServicesReplacementNeeded(int commonControlsMajorVersion);
int CommonControlsMajorVersion();

}  // namespace hv
