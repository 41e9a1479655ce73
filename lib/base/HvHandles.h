// Owning wrappers for system handles. Each handle kind is one line: a traits struct that
// names the handle type, its "empty" value and its close function, plus a using-declaration.
#pragma once

#include <utility>

#include "HvWindows.h"

namespace hv {

// Move-only owner of one handle. Traits provide:
//   using Type = ...;               the handle type
//   static Type Empty() noexcept;   the value that owns nothing (NULL or INVALID_HANDLE_VALUE)
//   static void Close(Type) noexcept;
template <class Traits>
class UniqueHandle {
 public:
  using Type = typename Traits::Type;

  UniqueHandle() noexcept = default;
  explicit UniqueHandle(Type handle) noexcept : FHandle(handle) {}
  ~UniqueHandle() { reset(); }

  UniqueHandle(UniqueHandle&& other) noexcept : FHandle(other.release()) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) reset(other.release());
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;

  Type get() const noexcept { return FHandle; }
  bool valid() const noexcept { return FHandle != Traits::Empty(); }
  explicit operator bool() const noexcept { return valid(); }

  // Closes the owned handle (if any) and takes `handle`. The caller's GetLastError survives,
  // so an error path can still report the failure that made it close the handle.
  void reset(Type handle = Traits::Empty()) noexcept {
    Type old = std::exchange(FHandle, handle);
    if (old != Traits::Empty()) {
      DWORD lastError = GetLastError();
      Traits::Close(old);
      SetLastError(lastError);
    }
  }

  // Gives up ownership without closing.
  [[nodiscard]] Type release() noexcept { return std::exchange(FHandle, Traits::Empty()); }

  // For out-parameters of system calls: closes what is owned and hands out the slot.
  Type* put() noexcept {
    reset();
    return &FHandle;
  }

 private:
  Type FHandle = Traits::Empty();
};

// Traits of a handle kind whose empty value is NULL and that `CloseFunction` closes.
template <class T, auto CloseFunction>
struct NullHandleTraits {
  using Type = T;
  static Type Empty() noexcept { return nullptr; }
  static void Close(Type handle) noexcept { CloseFunction(handle); }
};

// Traits of a handle kind whose creators report failure as INVALID_HANDLE_VALUE.
template <auto CloseFunction>
struct InvalidHandleTraits {
  using Type = HANDLE;
  static Type Empty() noexcept { return INVALID_HANDLE_VALUE; }
  static void Close(Type handle) noexcept { CloseFunction(handle); }
};

using HKeyTraits = NullHandleTraits<HKEY, &RegCloseKey>;
using UniqueHKey = UniqueHandle<HKeyTraits>;
// Kernel objects opened by CreateFileW report failure as INVALID_HANDLE_VALUE.
using FileHandleTraits = InvalidHandleTraits<&CloseHandle>;
using UniqueFileHandle = UniqueHandle<FileHandleTraits>;
// Kernel objects whose creators report failure as NULL (processes, threads, events).
using KernelHandleTraits = NullHandleTraits<HANDLE, &CloseHandle>;
using UniqueKernelHandle = UniqueHandle<KernelHandleTraits>;
using FindHandleTraits = InvalidHandleTraits<&FindClose>;
using UniqueFindHandle = UniqueHandle<FindHandleTraits>;
using UniqueModule = UniqueHandle<NullHandleTraits<HMODULE, &FreeLibrary>>;
using UniqueChangeNotification = UniqueHandle<InvalidHandleTraits<&FindCloseChangeNotification>>;

// Memory the system allocates for the caller and LocalFree releases (FormatMessageW's buffer,
// CommandLineToArgvW's list); `T` is the pointer type the call hands out.
template <class T>
using UniqueLocalMem = UniqueHandle<NullHandleTraits<T, &LocalFree>>;

}  // namespace hv
