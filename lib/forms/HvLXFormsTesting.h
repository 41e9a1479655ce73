// Observers of the forms layer's bookkeeping, for tests only; the program has no use for
// them. Tests write hv::testing::X: after `using namespace hv;` a bare testing:: would be
// ambiguous with GoogleTest's namespace.
#pragma once

#include <vector>

#include "HvLXForms.h"

namespace hv::testing {

// The windows with their own taskbar button (the main window first) and whether closing the
// main window waits for the others.
const std::vector<THvFormLX*>& TaskBarForms();
bool MainWindowClosePending();
// The windows shown with StartModal, in order.
const std::vector<THvFormLX*>& ModalForms();
// Cursors pushed on the main thread and not yet popped.
int CursorStackDepth();

}  // namespace hv::testing
