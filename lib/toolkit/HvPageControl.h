// A page control: a row of tabs, one per visible page, and the active page.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "HvControls.h"

namespace hv {

class TPageControl : public TWinControl {
 public:
  using TWinControl::TWinControl;

  // Adds a page at the end; answers its index.
  int AddPage(const std::wstring& caption);
  int PageCount() const { return static_cast<int>(FPages.size()); }
  bool TabVisible(int page) const { return FPages.at(page).Visible; }
  void SetTabVisible(int page, bool visible);
  // -1 without pages.
  int ActivePageIndex() const { return FActive; }
  void SetActivePageIndex(int page);
  // Activates the next (or previous) page whose tab is shown, wrapping around the ends.
  void SelectNextPage(bool forward);

  // A key pressed on the tabs; setting the key to 0 keeps the control from handling it.
  std::function<void(TPageControl&, WORD& key)> OnKeyDown;
  // The active page changed, by the user or by code.
  std::function<void(TPageControl&)> OnChange;
  // The tabs were laid out anew (also as the window is made), so the pages' area may have moved.
  std::function<void(TPageControl&)> OnTabsChanged;

  // Where the pages' area starts inside the control, at 96 dots per inch: as the system's tab
  // control answers it once the window exists (it depends on the font and the tab rows), a
  // guess for one row of tabs before.
  POINT PageAreaOrigin() const;

 protected:
  void CreateParams(TControlParams& params) override;
  void InitializeHandle() override;
  bool ParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) override;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override;
  // The key handling: the key event, then the tab control's own unless the key was taken.
  virtual void KeyDown(WORD& key);

 private:
  struct TPage {
    std::wstring Caption;
    bool Visible = true;
  };
  void RebuildTabs();
  int TabOfPage(int page) const;
  int PageOfTab(int tab) const;
  void SetActiveField(int page);

  std::vector<TPage> FPages;
  int FActive = -1;
};

}  // namespace hv
