#include "HvPageSheets.h"

namespace hv {

TPageSheets::TPageSheets(TPageControl& pages) : FPages(pages), FOrigin(pages.PageAreaOrigin()) {
  FPages.OnChange = [this](TPageControl&) { Update(); };
  FPages.OnTabsChanged = [this](TPageControl&) { Realign(); };
}

void TPageSheets::Add(int page, TWinControl* control) {
  Realign();
  TBounds b = control->DesignBounds();
  b.Left += FPages.DesignBounds().Left + FOrigin.x;
  b.Top += FPages.DesignBounds().Top + FOrigin.y;
  control->SetDesignBounds(b);
  FMembers[control] = {page, control->Visible()};
  Update();
}

void TPageSheets::Realign() {
  // By the corner's move only: bounds given to a member later (in the form's terms) stay.
  const POINT origin = FPages.PageAreaOrigin();
  if (origin.x == FOrigin.x && origin.y == FOrigin.y) return;
  for (auto& [control, member] : FMembers) {
    TBounds b = control->DesignBounds();
    b.Left += origin.x - FOrigin.x;
    b.Top += origin.y - FOrigin.y;
    control->SetDesignBounds(b);
  }
  FOrigin = origin;
}

int TPageSheets::PageOf(const TWinControl* control) const {
  auto it = FMembers.find(const_cast<TWinControl*>(control));
  return it == FMembers.end() ? -1 : it->second.Page;
}

void TPageSheets::SetControlVisible(TWinControl* control, bool visible) {
  auto it = FMembers.find(control);
  if (it == FMembers.end()) {
    control->SetVisible(visible);
    return;
  }
  it->second.Visible = visible;
  Update();
}

bool TPageSheets::ControlVisible(const TWinControl* control) const {
  auto it = FMembers.find(const_cast<TWinControl*>(control));
  return it == FMembers.end() ? control->Visible() : it->second.Visible;
}

void TPageSheets::SetTabVisible(int page, bool visible) {
  FPages.SetTabVisible(page, visible);
  if (!visible && page == FPages.ActivePageIndex()) FPages.SelectNextPage(true);
  Update();
}

void TPageSheets::Update() {
  int active = FPages.ActivePageIndex();
  bool activeShown = active >= 0 && FPages.TabVisible(active);
  for (auto& [control, member] : FMembers)
    control->SetVisible(member.Visible && activeShown && member.Page == active);
}

}  // namespace hv
