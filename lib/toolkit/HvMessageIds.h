// The library's private window messages. They are posted between units (and layers), so
// their numbers live in one place where two can never be given the same one by accident.
#pragma once

#include "HvWindows.h"

namespace hv {

// To the application window: bring the current modal window to the front (activation
// reached a window that the modal one disables).
inline constexpr UINT WM_HV_BRING_MODAL_TO_FRONT = WM_APP;
// To a form that closed with caFree: it deletes itself once its handler has returned.
inline constexpr UINT WM_HV_RELEASE = WM_APP + 0x100;
// To a library form with its own taskbar button that was hidden: the main window may be
// waiting for it to close.
inline constexpr UINT WM_HV_TASKBAR_WINDOW_HIDDEN = WM_APP + 0x101;
// To a check list: the user's toggle of the item wParam, asked for by assistive technology.
inline constexpr UINT WM_HV_TOGGLE_BY_USER = WM_APP + 0x102;
// To the program's main window, from its first activation: look for the products now.
inline constexpr UINT WM_HV_FIRST_DETECTION = WM_APP + 0x103;

}  // namespace hv
