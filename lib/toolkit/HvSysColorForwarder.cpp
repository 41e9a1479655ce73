#include "HvSysColorForwarder.h"

#include <commctrl.h>

#include <memory>
#include <vector>

#include "HvApplication.h"
#include "HvForms.h"

namespace hv {
namespace {

std::unique_ptr<THvApplication> gCompanion;

BOOL CALLBACK CollectForm(HWND hwnd, LPARAM list) {
  if (TForm::FromHandle(hwnd)) reinterpret_cast<std::vector<HWND>*>(list)->push_back(hwnd);
  return TRUE;
}

}  // namespace

THvApplication::THvApplication(TComponent* owner) : TComponent(owner) {
  FHooked = Application().Handle();
  if (FHooked) SetWindowSubclass(FHooked, &THvApplication::HookProc, 1, reinterpret_cast<DWORD_PTR>(this));
}

THvApplication::~THvApplication() {
  if (FHooked && IsWindow(FHooked)) RemoveWindowSubclass(FHooked, &THvApplication::HookProc, 1);
}

LRESULT CALLBACK THvApplication::HookProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                          DWORD_PTR) noexcept {
  if (msg == WM_SYSCOLORCHANGE) {
    try {
      // Collected first: a form may create or destroy windows while handling the change.
      std::vector<HWND> forms;
      EnumThreadWindows(GetCurrentThreadId(), &CollectForm, reinterpret_cast<LPARAM>(&forms));
      for (HWND form : forms)
        if (IsWindow(form)) SendMessageW(form, msg, wParam, lParam);
    } catch (...) {
      Application().HandleException();
    }
  }
  if (msg == WM_NCDESTROY) RemoveWindowSubclass(hwnd, &THvApplication::HookProc, 1);
  return DefSubclassProc(hwnd, msg, wParam, lParam);
}

void InitializeHvForms() {
  if (!gCompanion) gCompanion = std::make_unique<THvApplication>();
}

void FinalizeHvForms() { gCompanion.reset(); }

}  // namespace hv
