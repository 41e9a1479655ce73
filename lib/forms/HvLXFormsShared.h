// What the files of THvFormLX share among themselves; nothing outside them uses it.
#pragma once

#include <algorithm>
#include <vector>

#include "HvLXForms.h"

namespace hv {

inline void EraseForm(std::vector<THvFormLX*>& list, THvFormLX* form) {
  list.erase(std::remove(list.begin(), list.end(), form), list.end());
}

namespace detail {
// A window that is destroyed while still modal leaves the list of modal windows.
void ForgetModalForm(THvFormLX* form);
// Closes the main window when it waits for the last other taskbar window and none is left.
void CloseMainWindowIfPending();
}  // namespace detail

}  // namespace hv
