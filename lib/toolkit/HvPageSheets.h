// The controls on the pages of a page control: a control added to a page is placed relative
// to the page's area and shown only while its page is the active one. The controls stay
// children of the form (so the form's layout, colours and notifications reach them as usual)
// and must come before the page control in the tab order, which is also the order in which
// they are painted over it.
#pragma once

#include <map>

#include "HvPageControl.h"

namespace hv {

class TPageSheets {
 public:
  // Takes over the page control's OnChange.
  explicit TPageSheets(TPageControl& pages);
  TPageSheets(const TPageSheets&) = delete;
  TPageSheets& operator=(const TPageSheets&) = delete;

  TPageControl& Pages() const { return FPages; }
  // Moves `control` onto `page`: its designed bounds count from the page's area from now on,
  // where the tab control puts it (the controls follow when the tabs are laid out anew).
  void Add(int page, TWinControl* control);
  // -1 for a control on no page.
  int PageOf(const TWinControl* control) const;
  // Whether the control is shown while its page is active (the control's own Visible
  // answers whether it is on the screen now).
  void SetControlVisible(TWinControl* control, bool visible);
  bool ControlVisible(const TWinControl* control) const;
  // Hides or shows a page's tab; hiding the active page's tab activates the next shown one.
  void SetTabVisible(int page, bool visible);
  // Shows the active page's controls and hides the others'.
  void Update();

 private:
  struct TMember {
    int Page;
    bool Visible;
  };
  // Moves the members with the page area's corner, as the tab control now answers it.
  void Realign();
  TPageControl& FPages;
  std::map<TWinControl*, TMember> FMembers;
  POINT FOrigin;  // the page area's corner the members are placed at
};

}  // namespace hv
