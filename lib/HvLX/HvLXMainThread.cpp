#include "HvLXMainThread.h"

#include "HvWindows.h"

namespace hv {
namespace {
// Static initialisation runs on the main thread, before any other thread can exist.
const DWORD gMainThreadId = GetCurrentThreadId();
}  // namespace

bool IsMainThread() { return GetCurrentThreadId() == gMainThreadId; }

}  // namespace hv
