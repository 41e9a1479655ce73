// Helpers of the adapted-controls suite: pinned hosts and themes, and the invalidation checks
// that repaint rules are asserted with.
#pragma once

#include <memory>

#include "HvForms.h"
#include "HvLXHost.h"
#include "HvLXThemes.h"
#include "HvWindows.h"

#include <commctrl.h>

namespace hvtest {

// The host and theme answers of one test case: themed Wine with its workarounds, or not.
struct ThemedWine {
  ThemedWine(bool themed, bool tricks) : Themes(themed), Host({.wine = tricks, .wineTricks = tricks}) {}
  hv::ScopedThemesPin Themes;
  hv::ScopedHostPins Host;
};

// A plain shown form, for hosting the controls of a test.
std::unique_ptr<hv::TForm> MakeHostForm(int width96 = 320, int height96 = 200);

// Marks the whole window as painted, so a later invalidation can be seen.
void MarkPainted(HWND hwnd);
bool IsInvalidated(HWND hwnd);
// Whether `message` waits in the queue for `hwnd` (left there).
bool IsPosted(HWND hwnd, UINT message);
// Removes and dispatches only `message` for `hwnd`; answers whether there was one.
bool DispatchPosted(HWND hwnd, UINT message);

}  // namespace hvtest
