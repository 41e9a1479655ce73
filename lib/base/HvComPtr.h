// Owner of one COM interface reference: released when the owner goes, never copied.
#pragma once

#include <utility>

namespace hv {

template <class T>
class TComPtr {
 public:
  TComPtr() = default;
  ~TComPtr() { reset(); }
  TComPtr(TComPtr&& other) noexcept : FPtr(std::exchange(other.FPtr, nullptr)) {}
  TComPtr& operator=(TComPtr&& other) noexcept {
    if (this != &other) {
      reset();
      FPtr = std::exchange(other.FPtr, nullptr);
    }
    return *this;
  }
  TComPtr(const TComPtr&) = delete;
  TComPtr& operator=(const TComPtr&) = delete;

  T* get() const { return FPtr; }
  T* operator->() const { return FPtr; }
  explicit operator bool() const { return FPtr != nullptr; }
  // For out-parameters: releases what is held and hands out the slot.
  T** put() {
    reset();
    return &FPtr;
  }
  void** put_void() { return reinterpret_cast<void**>(put()); }
  void reset() {
    if (FPtr) std::exchange(FPtr, nullptr)->Release();
  }

 private:
  T* FPtr = nullptr;
};

}  // namespace hv
