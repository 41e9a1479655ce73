// Owners of the user-interface handles that HvGdiHandles.h does not cover: memory device
// contexts, a window's device context, windows and loaded libraries. They sit in the lowest
// layer of the user interface so that every layer above can use them.
#pragma once

#include "HvGdiHandles.h"

namespace hv {

// Traits of a handle kind whose empty value is NULL and that `CloseFunction` closes.
template <class T, auto CloseFunction>
struct NullHandleTraits {
  using Type = T;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type handle) noexcept { CloseFunction(handle); }
};

using TUniqueMemoryDC = UniqueHandle<NullHandleTraits<HDC, &DeleteDC>>;
// Only for windows whose procedure does not read the owner while the window is destroyed:
// the owner lets go of the handle before it destroys the window.
using TUniqueWindow = UniqueHandle<NullHandleTraits<HWND, &DestroyWindow>>;
using TUniqueModule = UniqueHandle<NullHandleTraits<HMODULE, &FreeLibrary>>;

// A window's device context for the life of a scope (GetDC and ReleaseDC).
class TWindowDC {
 public:
  explicit TWindowDC(HWND window) : FWindow(window), FDC(GetDC(window)) {}
  ~TWindowDC() {
    DWORD saved = GetLastError();
    if (FDC) ReleaseDC(FWindow, FDC);
    SetLastError(saved);
  }
  TWindowDC(const TWindowDC&) = delete;
  TWindowDC& operator=(const TWindowDC&) = delete;
  HDC get() const { return FDC; }

 private:
  HWND FWindow;
  HDC FDC;
};

}  // namespace hv
