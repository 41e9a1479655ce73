// Helpers of the forms suite: message pumping, exception capture, screenshots and a
// dismisser for the application's error box.
#pragma once

#include <string>
#include <vector>

#include "HvApplication.h"
#include "HvScreen.h"
#include "HvWindows.h"

namespace hvtest {

void Pump();

// Collects what reaches the application's exception handling while it lives.
class CapturedExceptions {
 public:
  CapturedExceptions();
  ~CapturedExceptions();
  std::vector<std::wstring> Messages;
  std::vector<std::wstring> ClassNames;
  std::vector<std::wstring> ExtraInfos;
};

// Saves the window's picture as build/screenshots/<name>.bmp; answers the path.
std::wstring SaveScreenshot(HWND hwnd, const std::wstring& name);

// While alive, answers every message box captioned `caption` that appears in this thread
// with the button `answer` (OK unless given), keeping the texts it showed.
class MessageBoxDismisser {
 public:
  explicit MessageBoxDismisser(std::wstring caption, int answer = IDOK);
  ~MessageBoxDismisser();
  std::vector<std::wstring> Texts;

 private:
  static void CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
  std::wstring FCaption;
  int FAnswer;
  UINT_PTR FTimer;
};

// Moves the mouse the way a user does (as input, so the window under it is asked for its
// cursor) to the screen point `target`, coming from the screen's corner so that it really
// moves, and handles what that brings until the pointer has arrived.
void MovePointerTo(POINT target);
// Presses and releases the left button where the pointer is, as input, handling what it brings
// (a modal box it opens, until that closes). Two clicks at one spot in quick succession make a
// double click: click elsewhere, or wait, for two single ones.
void ClickLeftButton();

// The screen's pixels per inch, which layouts scale to, for the life of the object.
class ScopedPixelsPerInch {
 public:
  explicit ScopedPixelsPerInch(int ppi) : FSaved(hv::Screen().PixelsPerInch()) { hv::Screen().SetPixelsPerInch(ppi); }
  ~ScopedPixelsPerInch() { hv::Screen().SetPixelsPerInch(FSaved); }

 private:
  int FSaved;
};

// Sets the thread's keyboard state so that exactly the given keys count as held down.
class HeldKeys {
 public:
  explicit HeldKeys(std::initializer_list<int> keys);
  ~HeldKeys();

 private:
  BYTE FSaved[256];
};

}  // namespace hvtest
