// A dialog that the keyboard alone can work: Enter presses the default button, Esc the cancel
// button, and Alt with a letter reaches the control given that letter. The captions carry no
// underlined letters (tools and translators find the controls by their plain captions), so
// the letters are given here instead.
#pragma once

#include <utility>
#include <vector>

#include "HvLXForms.h"

namespace hv {

class TButton;

class THvLXKeyboardDialog : public THvFormLX {
  HV_FORM_CLASS(THvLXKeyboardDialog, THvFormLX)

 public:
  using THvFormLX::THvFormLX;

  void SetDefaultButton(TButton* button);
  void SetCancelButton(TButton* button) { FCancelButton = button; }
  // Alt+`letter` focuses `control` and, for a button or check box, presses it.
  void SetAccelerator(wchar_t letter, TWinControl* control);
  TWinControl* AcceleratorTarget(wchar_t letter) const;

  bool IsShortCut(const MSG& msg) override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;

 protected:
  void Activate() override;
  // Brings a control the user asked for into view (its page, say) before it is reached.
  virtual void RevealControl(TWinControl* control) {}

 private:
  TButton* FDefaultButton = nullptr;
  TButton* FCancelButton = nullptr;
  std::vector<std::pair<wchar_t, TWinControl*>> FAccelerators;
};

}  // namespace hv
