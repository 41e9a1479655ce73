#include "HvLXMessagePumps.h"

#include <initializer_list>

namespace hv {
namespace {

struct TMessageRange {
  UINT first, last;
};

// Takes up to `portion` messages of the queue class `queueFlags`, or, when the queue has
// none of the class left, posted ones by number.
bool ProcessMessagesOf(UINT queueFlags, std::initializer_list<TMessageRange> ranges, int portion) {
  MSG msg;
  for (int i = 0; i < portion; ++i) {
    bool got = PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE | queueFlags) != FALSE;
    for (auto it = ranges.begin(); !got && it != ranges.end(); ++it)
      got = PeekMessageW(&msg, nullptr, it->first, it->last, PM_REMOVE) != FALSE;
    if (!got) break;  // (neither filter lets the quit message through)
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
}

}  // namespace

bool ProcessPaintMessages() {
  return ProcessMessagesOf(PM_QS_PAINT, {{WM_PAINT, WM_PAINT}}, kPaintMessagePortion);
}

bool ProcessInputMessages() {
  return ProcessMessagesOf(PM_QS_INPUT, {{WM_KEYFIRST, WM_KEYLAST}, {WM_MOUSEFIRST, WM_MOUSELAST}},
                           kInputMessagePortion);
}

}  // namespace hv
