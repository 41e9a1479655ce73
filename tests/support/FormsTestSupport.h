// Helpers of the forms suite: message pumping, exception capture, screenshots and a
// dismisser for the application's error box.
#pragma once

#include <string>
#include <vector>

#include "HvApplication.h"
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

// Sets the thread's keyboard state so that exactly the given keys count as held down.
class HeldKeys {
 public:
  explicit HeldKeys(std::initializer_list<int> keys);
  ~HeldKeys();

 private:
  BYTE FSaved[256];
};

}  // namespace hvtest
