// The application object: title, main form, message loop, the hidden application window,
// and what happens to an exception that leaves an event handler (it is shown, and the
// program keeps running).
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HvComponent.h"
#include "HvExceptions.h"
#include "HvForms.h"
#include "HvWindows.h"

namespace hv {

class TApplication : public TComponent {
 public:
  TApplication();
  ~TApplication() override;

  const std::wstring& Title() const { return FTitle; }
  void SetTitle(std::wstring title) { FTitle = std::move(title); }
  // The hidden window that stands for the application (owner of unowned forms).
  HWND Handle();

  TForm* MainForm() const { return FMainForm; }
  void SetMainForm(TForm* form) { FMainForm = form; }
  bool MainFormOnTaskBar() const { return FMainFormOnTaskBar; }
  void SetMainFormOnTaskBar(bool value) { FMainFormOnTaskBar = value; }
  TPopupMode ModalPopupMode() const { return FModalPopupMode; }
  void SetModalPopupMode(TPopupMode mode) { FModalPopupMode = mode; }

  // Creates a form owned by the application; the first becomes the main form.
  // The main form is known while its resource loads, so it can claim what only the main
  // form may (the first place among the taskbar windows).
  template <class T>
  T* CreateForm() {
    std::unique_ptr<T> form(new T(this));
    bool becomesMain = !FMainForm;
    if (becomesMain) FMainForm = form.get();
    try {
      TForm::FinishCreate(*form);
    } catch (...) {
      if (becomesMain) FMainForm = nullptr;
      throw;
    }
    return form.release();
  }

  void Run();
  void Terminate();
  bool Terminated() const { return FTerminated; }
  // Handles one message, waiting for it when none is pending; false on WM_QUIT.
  bool HandleMessage();
  void ProcessMessages();

  // Handles the exception being handled by the caller's catch block: OnException when set,
  // otherwise ShowException. Nothing leaves it.
  void HandleException() noexcept;
  // The library's error box captioned with the title; nothing for EAbort.
  void ShowException(const Exception& e);
  std::function<void(const Exception&)> OnException;
  // Sees each message the message loops retrieve, before dispatch; may change it, and
  // setting `handled` keeps it from being dispatched.
  std::function<void(MSG& msg, bool& handled)> OnMessage;
  // Runs after a modal window has closed.
  std::function<void()> OnModalEnd;

  // Windows of the application that are modal now, innermost last.
  void PushModalWindow(HWND hwnd) { FModalWindows.push_back(hwnd); }
  void PopModalWindow(HWND hwnd);
  HWND ActiveModalWindow() const;
  // Brings the innermost modal window to the front, as a click on a disabled window should.
  void BringModalToFront();

 private:
  bool ProcessMessage(MSG& msg);
  static LRESULT CALLBACK AppWndProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) noexcept;

  std::wstring FTitle;
  HWND FHandle = nullptr;
  TForm* FMainForm = nullptr;
  bool FMainFormOnTaskBar = false;
  TPopupMode FModalPopupMode = TPopupMode::pmNone;
  bool FTerminated = false;
  std::vector<HWND> FModalWindows;
};

TApplication& Application();

}  // namespace hv
