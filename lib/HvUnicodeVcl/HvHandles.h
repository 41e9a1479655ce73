// Move-only owners of Windows handles, one line per handle kind. Closing keeps the
// caller's GetLastError, so an error path can still report the real cause.
#pragma once

#include <utility>

#include "HvWindows.h"

namespace hv {

template <class Handle, auto Close, Handle Empty = Handle{}>
class TUniqueHandle {
 public:
  TUniqueHandle() = default;
  explicit TUniqueHandle(Handle h) : FHandle(h) {}
  ~TUniqueHandle() { reset(); }
  TUniqueHandle(TUniqueHandle&& other) noexcept : FHandle(other.release()) {}
  TUniqueHandle& operator=(TUniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  TUniqueHandle(const TUniqueHandle&) = delete;
  TUniqueHandle& operator=(const TUniqueHandle&) = delete;

  Handle get() const { return FHandle; }
  explicit operator bool() const { return FHandle != Empty; }
  [[nodiscard]] Handle release() { return std::exchange(FHandle, Empty); }
  void reset(Handle h = Empty) {
    Handle old = std::exchange(FHandle, h);
    if (old != Empty) {
      DWORD saved = GetLastError();
      Close(old);
      SetLastError(saved);
    }
  }

 private:
  Handle FHandle = Empty;
};

using TUniqueFont = TUniqueHandle<HFONT, [](HFONT h) { DeleteObject(h); }>;
using TUniqueBrush = TUniqueHandle<HBRUSH, [](HBRUSH h) { DeleteObject(h); }>;
using TUniqueBitmap = TUniqueHandle<HBITMAP, [](HBITMAP h) { DeleteObject(h); }>;
using TUniqueMemDC = TUniqueHandle<HDC, [](HDC h) { DeleteDC(h); }>;
using TUniqueWindow = TUniqueHandle<HWND, [](HWND h) { DestroyWindow(h); }>;

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
