// Owners of the user-interface handles that HvGdiHandles.h does not cover: memory device
// contexts, a window's device context, windows and loaded libraries. They sit in the lowest
// layer of the user interface so that every layer above can use them.
#pragma once

#include "HvGdiHandles.h"

namespace hv {

struct MemoryDCTraits {
  using Type = HDC;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type dc) noexcept { DeleteDC(dc); }
};
using TUniqueMemoryDC = UniqueHandle<MemoryDCTraits>;

// Only for windows whose procedure does not read the owner while the window is destroyed:
// the owner lets go of the handle before it destroys the window.
struct WindowTraits {
  using Type = HWND;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type window) noexcept { DestroyWindow(window); }
};
using TUniqueWindow = UniqueHandle<WindowTraits>;

struct ModuleTraits {
  using Type = HMODULE;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type module) noexcept { FreeLibrary(module); }
};
using TUniqueModule = UniqueHandle<ModuleTraits>;

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
