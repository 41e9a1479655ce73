// Owners of the user-interface handles: GDI objects, device contexts, windows and loaded
// libraries.
#pragma once

#include "HvHandles.h"

namespace hv {

template <class T>
using GdiObjectTraits = NullHandleTraits<T, &DeleteObject>;
using TUniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using TUniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using TUniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;
using TUniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;
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

// The screen's device context for the life of a scope.
class TScreenDC : public TWindowDC {
 public:
  TScreenDC() : TWindowDC(nullptr) {}
};

}  // namespace hv
