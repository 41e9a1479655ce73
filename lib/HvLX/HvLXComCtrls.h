// Common controls adapted for Wine: progress bars drawn classically where Wine's themed bar
// is broken (and green on white wherever they are drawn classically).
#pragma once

#include "HvProgressBar.h"

namespace hv {

class THvProgressBar : public TProgressBar {
 public:
  explicit THvProgressBar(TComponent* owner);

 protected:
  void InitializeHandle() override;
};

}  // namespace hv
