// IFlashCore: what a routine needs from a progress context to let the user stop it.
// Low-level work (a file search, a script run) takes this and polls it once per step.
#pragma once

namespace hv {

class IFlashCore {
 public:
  virtual ~IFlashCore() = default;
  // Raises EAbort when the user asked to stop; gives the display a chance to see input.
  virtual void CheckCancel() = 0;
};

}  // namespace hv
