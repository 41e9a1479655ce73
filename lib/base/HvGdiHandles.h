// Owners of the user-interface handles: GDI objects and screen device contexts.
#pragma once

#include "HvHandles.h"

namespace hv {

template <class T>
struct GdiObjectTraits {
  using Type = T;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type h) { DeleteObject(h); }
};
using TUniqueFont = UniqueHandle<GdiObjectTraits<HFONT>>;
using TUniqueBrush = UniqueHandle<GdiObjectTraits<HBRUSH>>;
using TUniquePen = UniqueHandle<GdiObjectTraits<HPEN>>;
using TUniqueBitmap = UniqueHandle<GdiObjectTraits<HBITMAP>>;

// A screen DC for the life of a scope.
class TScreenDC {
 public:
  TScreenDC() : FDC(GetDC(nullptr)) {}
  ~TScreenDC() {
    DWORD saved = GetLastError();
    if (FDC) ReleaseDC(nullptr, FDC);
    SetLastError(saved);
  }
  TScreenDC(const TScreenDC&) = delete;
  TScreenDC& operator=(const TScreenDC&) = delete;
  HDC get() const { return FDC; }

 private:
  HDC FDC;
};

}  // namespace hv
