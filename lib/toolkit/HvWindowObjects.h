// Which object of the library stands behind a window of this process. Kept in the process, not
// in a window property: under Wine every property read is a round trip to the server (tens of
// microseconds on a busy machine), and a form looks itself up for every message it gets, a
// control for every notification it sends its form.
#pragma once

#include <mutex>
#include <unordered_map>

#include "HvWindows.h"

namespace hv {

template <class T>
class TWindowObjects {
 public:
  void Remember(HWND window, T* object) {
    std::lock_guard lock(FLock);
    FObjects[window] = object;
  }
  void Forget(HWND window) {
    std::lock_guard lock(FLock);
    FObjects.erase(window);
  }
  // For an object that goes while one of its windows was never seen to go.
  void ForgetObject(const T* object) {
    std::lock_guard lock(FLock);
    std::erase_if(FObjects, [object](const auto& entry) { return entry.second == object; });
  }
  T* Find(HWND window) const {
    if (!window) return nullptr;
    std::lock_guard lock(FLock);
    const auto found = FObjects.find(window);
    return found == FObjects.end() ? nullptr : found->second;
  }

 private:
  mutable std::mutex FLock;
  std::unordered_map<HWND, T*> FObjects;
};

}  // namespace hv
