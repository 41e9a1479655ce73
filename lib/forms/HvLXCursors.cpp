#include "HvLXCursors.h"

#include <vector>

#include "HvLXFormsTesting.h"
#include "HvLXThreadCheck.h"
#include "HvGdiHandles.h"

namespace hv {
namespace {
std::vector<HCURSOR> gCursorStack;
TUniqueModule gHandCursorLibrary;
HCURSOR gHandCursor = nullptr;
// The browser's hand cursor in its control library.
constexpr int kBrowserHandCursorId = 103;
}  // namespace

void PushCursor(HCURSOR cursor) {
  if (!IsMainThread()) return;
  gCursorStack.push_back(GetCursor());
  SetCursor(cursor);
}

void PopCursor() {
  if (!IsMainThread()) return;
  HCURSOR cursor = LoadCursorW(nullptr, IDC_ARROW);
  if (!gCursorStack.empty()) {
    cursor = gCursorStack.back();
    gCursorStack.pop_back();
  }
  SetCursor(cursor);
}

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
