#include "HvLXShowException.h"

#include "HvLXPaths.h"
#include "HvLXSpecialFolders.h"

#include <atomic>
#include <exception>

#include "HvExceptionHooks.h"

namespace hv {
namespace {

std::atomic<ExceptionDisplayProc> AppDisplay{nullptr};

int SystemErrorBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
  return MessageBoxW(owner, text.c_str(), caption.c_str(), flags);
}

std::atomic<ErrorBoxProc> ErrorBox{&SystemErrorBox};

int ShowErrorBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT flags) {
  return ErrorBox.load()(owner, text, caption, flags);
}

// A message that already ends in punctuation, a quote or a space gets no second full stop.
bool NeedsFullStop(const std::wstring& text) { return !text.empty() && text.back() > L'.'; }

}  // namespace

ExceptionDisplayProc SetApplicationExceptionDisplay(ExceptionDisplayProc proc) { return AppDisplay.exchange(proc); }
ExceptionDisplayProc ApplicationExceptionDisplay() { return AppDisplay.load(); }

bool InstallApplicationExceptionDisplay(ExceptionDisplayProc proc) {
  ExceptionDisplayProc none = nullptr;
  return AppDisplay.compare_exchange_strong(none, proc);
}

bool RemoveApplicationExceptionDisplay(ExceptionDisplayProc proc) {
  return AppDisplay.compare_exchange_strong(proc, nullptr);
}

ErrorBoxProc SetErrorBoxProc(ErrorBoxProc proc) { return ErrorBox.exchange(proc ? proc : &SystemErrorBox); }

std::wstring ExceptionDisplayText(const Exception& e) {
  std::wstring text = e.Message();
  // Only the innermost message counts: the ones in between are steps of the same failure.
  if (e.InnerException()) {
    const std::wstring& innermost = e.GetBaseException().Message();
    if (!innermost.empty()) text = innermost;
  }
  if (NeedsFullStop(text)) text += L'.';
  return text;
}

void ApplicationShowException(const Exception& e, const std::wstring& title) {
  ShowErrorBox(GetActiveWindow(), ExceptionDisplayText(e), title, MB_OK | MB_ICONERROR);
}

void ShowExceptionWithoutApplication(const Exception& e, const void* raiseAddress) {
  std::wstring text = Fmt(L"Exception %s in module %s at %p.\r\n%s%s\r\n", e.ClassName(), ExtractFileName(GetExeFileName()), raiseAddress,
                          e.Message(), NeedsFullStop(e.Message()) ? L"." : L"");
  ShowErrorBox(nullptr, text, L"Application Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

void ShowExceptionLX(const Exception* e) {
  std::shared_ptr<const Exception> wrapped;
  const Exception* current = ExceptObject();
  if (!e) {
    if (!std::current_exception()) return;
    if (!current) {
      wrapped = CurrentExceptionCopy();
      current = wrapped.get();
    }
    e = current;
  }
  if (dynamic_cast<const EAbort*>(e)) return;
  if (ExceptionDisplayProc display = AppDisplay.load()) {
    display(*e);
    return;
  }
  ShowExceptionWithoutApplication(*e, e == current ? ExceptAddr() : nullptr);
}

}  // namespace hv
