// Move-only owners of Windows handles. Each handle kind is one traits struct that knows its
// empty value and its close call. Closing keeps the caller's GetLastError, so an error path
// can still report the real cause after the handle goes out of scope.
#pragma once

#include <utility>

#include "HvWindows.h"

namespace hv {

template <class Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() = default;
  explicit UniqueHandle(Type h) : FHandle(h) {}
  ~UniqueHandle() { reset(); }
  UniqueHandle(UniqueHandle&& other) noexcept : FHandle(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Type get() const { return FHandle; }
  bool valid() const { return FHandle != Traits::Invalid(); }
  explicit operator bool() const { return valid(); }
  [[nodiscard]] Type release() { return std::exchange(FHandle, Traits::Invalid()); }
  void reset(Type h = Traits::Invalid()) {
    Type old = std::exchange(FHandle, h);
    if (old != Traits::Invalid()) {
      DWORD saved = GetLastError();
      Traits::Close(old);
      SetLastError(saved);
    }
  }

 private:
  Type FHandle = Traits::Invalid();
};

// Kernel objects opened by CreateFileW report failure as INVALID_HANDLE_VALUE.
struct FileHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { CloseHandle(h); }
};
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;

// Kernel objects whose creators report failure as NULL (processes, threads, events).
struct KernelHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return nullptr; }
  static void Close(Type h) { CloseHandle(h); }
};
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;

struct FindHandleTraits {
  using Type = HANDLE;
  static Type Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Type h) { FindClose(h); }
};
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;

}  // namespace hv
