// Drives the dialogs from a second thread while the main thread runs them modally, as a user
// at the keyboard and a screen reader would: real key presses through the input queue, and
// controls found by their captions.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "HvWindows.h"

namespace dlgtest {

class DialogDriver {
 public:
  // The script runs on its own thread; whatever it leaves open is closed when it ends, so a
  // failing script never leaves the main thread in a modal loop.
  explicit DialogDriver(std::function<void(DialogDriver&)> script);
  ~DialogDriver();

  // The visible top-level window of the main thread with this caption; fails the test and
  // answers nullptr after a few seconds.
  HWND WaitWindow(const std::wstring& caption);
  bool WaitGone(const std::wstring& caption);
  // A child of `top` with this caption (the first one, visible or not), or nullptr.
  static HWND Control(HWND top, const std::wstring& caption);
  // A child by its window class and 0-based position among those of its class.
  static HWND ControlOfClass(HWND top, const std::wstring& className, int index = 0);
  // The control that has the keyboard focus in the main thread.
  HWND Focus() const;

  void Key(WORD vk, const std::vector<WORD>& modifiers = {});
  void Type(const std::wstring& text);
  // Lets go of a key the main thread was told is held down.
  void Release(WORD vk);
  // Waits until the main thread has handled what was sent so far.
  void Settle();

  // The rectangle of a control in its dialog's client area, in pixels.
  static RECT ClientRect(HWND control);
  static std::wstring Text(HWND hwnd);
  static bool Checked(HWND hwnd);
  static bool Visible(HWND hwnd) { return IsWindowVisible(hwnd) != FALSE; }
  static bool Enabled(HWND hwnd) { return IsWindowEnabled(hwnd) != FALSE; }
  // The items of a combo box and the tabs of a tab control.
  static std::vector<std::wstring> ComboItems(HWND combo);
  static std::vector<std::wstring> Tabs(HWND tabControl);

 private:
  DWORD FMainThread;
  std::atomic<bool> FDone{false};
  std::thread FThread;
};

}  // namespace dlgtest
