// The start-up and shut-down of the user-interface units in their order, for a program's
// entry function: colour identifiers, the application's companion, then the application
// services; shut down in reverse on every way out of the scope.
#pragma once

#include "HvLXGraphics.h"
#include "HvLXVclUtils.h"
#include "HvSysColorForwarder.h"

namespace hv {

class [[nodiscard]] THvUserInterfaceUnits {
 public:
  explicit THvUserInterfaceUnits(bool userInterface = ProcessHasUserInterface()) {
    InitializeHvLXGraphics();
    InitializeHvForms();
    InitializeHvLXVclUtils(userInterface);
  }
  ~THvUserInterfaceUnits() {
    FinalizeHvLXVclUtils();
    FinalizeHvForms();
    FinalizeHvLXGraphics();
  }
  THvUserInterfaceUnits(const THvUserInterfaceUnits&) = delete;
  THvUserInterfaceUnits& operator=(const THvUserInterfaceUnits&) = delete;
};

}  // namespace hv
