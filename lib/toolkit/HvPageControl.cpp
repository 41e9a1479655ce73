#include "HvPageControl.h"

#include <commctrl.h>

#include "HvScreen.h"

namespace hv {

void TPageControl::CreateParams(TControlParams& params) {
  params.ClassName = WC_TABCONTROLW;
  params.Style |= WS_TABSTOP | WS_CLIPCHILDREN;
}

void TPageControl::InitializeHandle() { RebuildTabs(); }

POINT TPageControl::PageAreaOrigin() const {
  if (!HandleAllocated()) return {4, 24};
  RECT area;
  GetClientRect(Handle(), &area);
  TabCtrl_AdjustRect(Handle(), FALSE, &area);
  POINT origin{area.left, area.top};
  ClientToScreen(Handle(), &origin);
  RECT window;
  GetWindowRect(Handle(), &window);
  const int ppi = Screen().PixelsPerInch();
  return {MulDiv(origin.x - window.left, 96, ppi), MulDiv(origin.y - window.top, 96, ppi)};
}

int TPageControl::AddPage(const std::wstring& caption) {
  FPages.push_back({caption, true});
  if (FActive < 0) SetActiveField(0);
  RebuildTabs();
  return PageCount() - 1;
}

void TPageControl::SetTabVisible(int page, bool visible) {
  FPages.at(page).Visible = visible;
  RebuildTabs();
}

void TPageControl::SetActivePageIndex(int page) {
  if (page < -1 || page >= PageCount()) return;
  if (HandleAllocated()) SendMessageW(Handle(), TCM_SETCURSEL, TabOfPage(page), 0);
  SetActiveField(page);
}

void TPageControl::SetActiveField(int page) {
  if (page == FActive) return;
  FActive = page;
  if (OnChange) OnChange(*this);
}

void TPageControl::SelectNextPage(bool forward) {
  int count = PageCount();
  if (count == 0) return;
  int start = FActive < 0 ? (forward ? count - 1 : 0) : FActive;
  for (int step = 1; step <= count; ++step) {
    int page = ((start + (forward ? step : -step)) % count + count) % count;
    if (FPages[page].Visible) {
      if (page != FActive) SetActivePageIndex(page);
      return;
    }
  }
}

int TPageControl::TabOfPage(int page) const {
  if (page < 0 || !FPages[page].Visible) return -1;
  int tab = 0;
  for (int i = 0; i < page; ++i) tab += FPages[i].Visible ? 1 : 0;
  return tab;
}

int TPageControl::PageOfTab(int tab) const {
  for (int i = 0; i < PageCount(); ++i)
    if (FPages[i].Visible && tab-- == 0) return i;
  return -1;
}

void TPageControl::RebuildTabs() {
  if (!HandleAllocated()) return;
  HWND h = Handle();
  SendMessageW(h, TCM_DELETEALLITEMS, 0, 0);
  int tab = 0;
  for (const TPage& page : FPages) {
    if (!page.Visible) continue;
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    std::wstring caption = page.Caption;
    item.pszText = caption.data();
    SendMessageW(h, TCM_INSERTITEMW, tab++, reinterpret_cast<LPARAM>(&item));
  }
  SendMessageW(h, TCM_SETCURSEL, TabOfPage(FActive), 0);
  if (OnTabsChanged) OnTabsChanged(*this);
}

bool TPageControl::ParentNotify(UINT msg, WPARAM, LPARAM lParam, LRESULT& result) {
  auto* header = reinterpret_cast<NMHDR*>(lParam);
  if (msg == WM_NOTIFY && header->code == TCN_SELCHANGE) {
    SetActiveField(PageOfTab(static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0))));
    result = 0;
    return true;
  }
  return false;
}

void TPageControl::KeyDown(WORD& key) {
  if (key != 0 && OnKeyDown) OnKeyDown(*this, key);
}

LRESULT TPageControl::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_KEYDOWN) {
    WORD key = static_cast<WORD>(wParam);
    KeyDown(key);
    if (key == 0) return 0;
    LRESULT result = DefaultHandler(msg, key, lParam);
    // The tab control changes its selection on arrow keys by itself.
    SetActiveField(PageOfTab(static_cast<int>(SendMessageW(Handle(), TCM_GETCURSEL, 0, 0))));
    return result;
  }
  return DefaultHandler(msg, wParam, lParam);
}

}  // namespace hv
