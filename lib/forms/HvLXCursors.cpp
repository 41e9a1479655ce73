#include "HvLXCursors.h"

#include <vector>

#include "HvLXFormsTesting.h"
#include "HvLXThreadCheck.h"
#include "HvGdiHandles.h"

namespace hv {
namespace {
struct TStackedCursor {
  HCURSOR previous;  // shown again when this one is popped
  HCURSOR shown;
};
std::vector<TStackedCursor> gCursorStack;
TUniqueModule gHandCursorLibrary;
HCURSOR gHandCursor = nullptr;
// The browser's hand cursor in its control library.
constexpr int kBrowserHandCursorId = 103;
}  // namespace

void PushCursor(HCURSOR cursor) {
  if (!IsMainThread()) return;
  gCursorStack.push_back({GetCursor(), cursor});
  SetCursor(cursor);
}

void PopCursor() {
  if (!IsMainThread()) return;
  HCURSOR cursor = LoadCursorW(nullptr, IDC_ARROW);
  if (!gCursorStack.empty()) {
    cursor = gCursorStack.back().previous;
    gCursorStack.pop_back();
  }
  SetCursor(cursor);
}

HCURSOR StackedCursor() { return gCursorStack.empty() ? nullptr : gCursorStack.back().shown; }

int testing::CursorStackDepth() { return static_cast<int>(gCursorStack.size()); }

HCURSOR GetHandCursor() {
  if (gHandCursor) return gHandCursor;
  if (!gHandCursorLibrary) gHandCursorLibrary.reset(LoadLibraryExW(L"shdocvw.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE));
  if (gHandCursorLibrary)
    gHandCursor = LoadCursorW(gHandCursorLibrary.get(), MAKEINTRESOURCEW(kBrowserHandCursorId));
  if (!gHandCursor) gHandCursor = LoadCursorW(nullptr, IDC_HAND);
  return gHandCursor;
}

void detail::ReleaseCursors() {
  gCursorStack.clear();
  gHandCursor = nullptr;
  gHandCursorLibrary.reset();
}

}  // namespace hv
