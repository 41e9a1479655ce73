#include "HvPageSheets.h"

namespace hv {

TPageSheets::TPageSheets(TPageControl& pages) : FPages(pages) {
  FPages.OnChange = [this](TPageControl&) { Update(); };
}

void TPageSheets::Add(int page, TWinControl* control) {
  TBounds b = control->DesignBounds();
  b.Left += FPages.DesignBounds().Left + kPageLeft;
  b.Top += FPages.DesignBounds().Top + kPageTop;
  control->SetDesignBounds(b);
  FMembers[control] = {page, control->Visible()};
  Update();
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
