// THvApplication: the application's companion that passes system colour changes, which
// Windows sends only to top-level windows such as the hidden application window, on to
// every form, so forms that paint with system colours refresh their brushes.
#pragma once

#include "HvComponent.h"
#include "HvWindows.h"

namespace hv {

class THvApplication : public TComponent {
 public:
  explicit THvApplication(TComponent* owner = nullptr);
  ~THvApplication() override;

 private:
  static LRESULT CALLBACK HookProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR self) noexcept;
  HWND FHooked = nullptr;
};

// Creates the process's companion (once); Finalize frees it.
void InitializeHvForms();
void FinalizeHvForms();

}  // namespace hv
