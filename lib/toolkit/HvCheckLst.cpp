#include "HvCheckLst.h"

#include "HvWindows.h"

#include <commctrl.h>
#include <uxtheme.h>
#include <vssym32.h>

#include "HvApplication.h"
#include "HvCheckLstAccessible.h"
#include "HvForms.h"
#include "HvGdiHandles.h"
#include "HvMessageIds.h"
#include "HvScreen.h"

namespace hv {
namespace {
const int kCheckMargin = 2;  // at 96 dots per inch, on each side of the box

void CheckIndex(int index, int count) {
  if (index < 0 || index >= count) throw EListError(Fmt(L"List index out of bounds (%d)", index));
}

class ThemeData {
 public:
  ThemeData(HWND hwnd, const wchar_t* classes) : FTheme(IsAppThemed() ? OpenThemeData(hwnd, classes) : nullptr) {}
  ~ThemeData() {
    if (FTheme) CloseThemeData(FTheme);
  }
  ThemeData(const ThemeData&) = delete;
  ThemeData& operator=(const ThemeData&) = delete;
  HTHEME get() const { return FTheme; }

 private:
  HTHEME FTheme;
};
}  // namespace

// --- TListBoxStrings ---

int TListBoxStrings::GetCount() const { return static_cast<int>(FOwner.FItems.size()); }

std::wstring TListBoxStrings::Get(int index) const { return FOwner.Item(index).Text; }

void TListBoxStrings::Put(int index, const std::wstring& s) {
  TCheckListBox::TItem item = FOwner.Item(index);
  bool selected = FOwner.Selected(index);
  Delete(index);
  InsertObject(index, s, item.Object);
  FOwner.FItems[index].State = item.State;
  FOwner.FItems[index].Enabled = item.Enabled;
  if (selected) FOwner.SetSelected(index, true);
}

void* TListBoxStrings::GetObject(int index) const { return FOwner.Item(index).Object; }

void TListBoxStrings::PutObject(int index, void* object) { FOwner.Item(index).Object = object; }

void TListBoxStrings::InsertObject(int index, const std::wstring& s, void* object) {
  if (index < 0 || index > GetCount()) throw EListError(Fmt(L"List index out of bounds (%d)", index));
  if (FOwner.HandleAllocated()) {
    LRESULT r = SendMessageW(FOwner.Handle(), LB_INSERTSTRING, index, reinterpret_cast<LPARAM>(s.c_str()));
    if (r == LB_ERR || r == LB_ERRSPACE) throw EListError(L"Insufficient space for the list box item");
  }
  FOwner.FItems.insert(FOwner.FItems.begin() + index, TCheckListBox::TItem{s, object});
}

void TListBoxStrings::Delete(int index) {
  CheckIndex(index, GetCount());
  if (FOwner.HandleAllocated()) SendMessageW(FOwner.Handle(), LB_DELETESTRING, index, 0);
  FOwner.FItems.erase(FOwner.FItems.begin() + index);
}

void TListBoxStrings::Clear() {
  if (FOwner.HandleAllocated()) SendMessageW(FOwner.Handle(), LB_RESETCONTENT, 0, 0);
  FOwner.FItems.clear();
}

int TListBoxStrings::IndexOf(const std::wstring& s) const {
  if (FOwner.HandleAllocated()) {
    // LB_FINDSTRINGEXACT searches from the item after the start and wraps around; starting
    // "after" -1 looks at every item from the first.
    LRESULT r = SendMessageW(FOwner.Handle(), LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(s.c_str()));
    return r == LB_ERR ? -1 : static_cast<int>(r);
  }
  // Without a window, the same rule as the list box: whole text, case ignored.
  for (int i = 0; i < GetCount(); ++i)
    if (lstrcmpiW(FOwner.FItems[i].Text.c_str(), s.c_str()) == 0) return i;
  return -1;
}

void TListBoxStrings::SetUpdateState(bool updating) {
  if (!FOwner.HandleAllocated()) return;
  SendMessageW(FOwner.Handle(), WM_SETREDRAW, !updating, 0);
  if (!updating) InvalidateRect(FOwner.Handle(), nullptr, TRUE);
}

// --- TCheckListBox ---

TCheckListBox::TCheckListBox(TComponent* owner) : TWinControl(owner) {}

TCheckListBox::TItem& TCheckListBox::Item(int index) {
  CheckIndex(index, static_cast<int>(FItems.size()));
  return FItems[index];
}

const TCheckListBox::TItem& TCheckListBox::Item(int index) const {
  CheckIndex(index, static_cast<int>(FItems.size()));
  return FItems[index];
}

void TCheckListBox::CreateParams(TControlParams& params) {
  params.ClassName = WC_LISTBOXW;
  params.Style |= WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT |
                  (FMultiSelect ? LBS_EXTENDEDSEL : 0);
  params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCheckListBox::InitializeHandle() {
  SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, ScaleForDpi(FItemHeight));
  for (size_t i = 0; i < FItems.size(); ++i)
    SendMessageW(Handle(), LB_INSERTSTRING, i, reinterpret_cast<LPARAM>(FItems[i].Text.c_str()));
}

void TCheckListBox::SetItemHeight(int value) {
  FItemHeight = value;
  if (HandleAllocated()) {
    SendMessageW(Handle(), LB_SETITEMHEIGHT, 0, ScaleForDpi(value));
    InvalidateRect(Handle(), nullptr, TRUE);
  }
}

bool TCheckListBox::Checked(int index) const { return Item(index).State == TCheckBoxState::cbChecked; }

void TCheckListBox::SetChecked(int index, bool value) {
  SetState(index, value ? TCheckBoxState::cbChecked : TCheckBoxState::cbUnchecked);
}

TCheckBoxState TCheckListBox::State(int index) const { return Item(index).State; }

void TCheckListBox::SetState(int index, TCheckBoxState state) {
  TItem& item = Item(index);
  if (item.State == state) return;
  item.State = state;
  InvalidateItem(index);
  NotifyCheckListItemChanged(*this, index);
}

bool TCheckListBox::ItemEnabled(int index) const { return Item(index).Enabled; }

void TCheckListBox::SetItemEnabled(int index, bool value) {
  TItem& item = Item(index);
  if (item.Enabled == value) return;
  item.Enabled = value;
  InvalidateItem(index);
}

bool TCheckListBox::Selected(int index) const {
  CheckIndex(index, static_cast<int>(FItems.size()));
  if (!HandleAllocated()) return false;
  if (FMultiSelect) return SendMessageW(Handle(), LB_GETSEL, index, 0) > 0;
  return SendMessageW(Handle(), LB_GETCURSEL, 0, 0) == index;
}

void TCheckListBox::SetSelected(int index, bool value) {
  CheckIndex(index, static_cast<int>(FItems.size()));
  if (!HandleAllocated()) return;
  if (FMultiSelect)
    SendMessageW(Handle(), LB_SETSEL, value, index);
  else if (value)
    SendMessageW(Handle(), LB_SETCURSEL, index, 0);
  else if (Selected(index))
    SendMessageW(Handle(), LB_SETCURSEL, static_cast<WPARAM>(-1), 0);
}

int TCheckListBox::ItemIndex() const {
  if (!HandleAllocated()) return -1;
  LRESULT r = SendMessageW(Handle(), FMultiSelect ? LB_GETCARETINDEX : LB_GETCURSEL, 0, 0);
  return r == LB_ERR ? -1 : static_cast<int>(r);
}

void TCheckListBox::SetItemIndex(int index) {
  if (!HandleAllocated()) return;
  if (FMultiSelect)
    SendMessageW(Handle(), LB_SETCARETINDEX, index, FALSE);
  else
    SendMessageW(Handle(), LB_SETCURSEL, index, 0);
}

void TCheckListBox::CheckAll(TCheckBoxState state, bool allowGrayed, bool allowDisabled) {
  for (int i = 0; i < static_cast<int>(FItems.size()); ++i) {
    const TItem& item = FItems[i];
    if ((item.Enabled || allowDisabled) && (item.State != TCheckBoxState::cbGrayed || allowGrayed)) SetState(i, state);
  }
}

void TCheckListBox::InvalidateItem(int index) {
  if (!HandleAllocated()) return;
  RECT r;
  if (SendMessageW(Handle(), LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)) != LB_ERR)
    InvalidateRect(Handle(), &r, FALSE);
}

TCheckBoxState TCheckListBox::NextStateByUser(int index) const {
  switch (Item(index).State) {
    case TCheckBoxState::cbUnchecked: return FAllowGrayed ? TCheckBoxState::cbGrayed : TCheckBoxState::cbChecked;
    case TCheckBoxState::cbChecked: return TCheckBoxState::cbUnchecked;
    default: return TCheckBoxState::cbChecked;
  }
}

void TCheckListBox::ToggleByUser(int index) {
  if (index < 0 || index >= static_cast<int>(FItems.size()) || !FItems[index].Enabled) return;
  SetState(index, NextStateByUser(index));
  if (OnClickCheck) OnClickCheck(*this, index);
}

void TCheckListBox::PostToggleByUser(int index) {
  if (HandleAllocated()) PostMessageW(Handle(), WM_HV_TOGGLE_BY_USER, static_cast<WPARAM>(index), 0);
}

int TCheckListBox::CheckWidth() const {
  ThemeData theme(Handle(), L"BUTTON");
  if (theme.get()) {
    SIZE size{};
    HRESULT hr;
    {
      TWindowDC dc(Handle());
      hr = GetThemePartSize(theme.get(), dc.get(), BP_CHECKBOX, CBS_UNCHECKEDNORMAL, nullptr, TS_DRAW, &size);
    }
    if (SUCCEEDED(hr) && size.cx > 0) return size.cx;
  }
  return ScaleForDpi(13);
}

LRESULT TCheckListBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CHAR:
      if (wParam == L' ') {
        // Space ticks the focused item instead of searching for a blank.
        ToggleByUser(static_cast<int>(SendMessageW(Handle(), LB_GETCARETINDEX, 0, 0)));
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      LRESULT r = DefaultHandler(msg, wParam, lParam);
      POINT pt{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
      LRESULT hit = SendMessageW(Handle(), LB_ITEMFROMPOINT, 0, MAKELPARAM(pt.x, pt.y));
      if (HIWORD(hit) == 0 && pt.x < CheckWidth() + 2 * ScaleForDpi(kCheckMargin)) ToggleByUser(LOWORD(hit));
      return r;
    }
    case WM_THEMECHANGED:
      InvalidateRect(Handle(), nullptr, TRUE);
      break;
    case WM_HV_TOGGLE_BY_USER:
      ToggleByUser(static_cast<int>(wParam));
      return 0;
    case WM_GETOBJECT:
      // The object id comes as a 32-bit value in a 64-bit parameter.
      if (static_cast<LONG>(static_cast<DWORD>(lParam)) == OBJID_CLIENT) {
        if (LRESULT object = AnswerCheckListObject(*this, wParam)) return object;
      }
      break;
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

bool TCheckListBox::ParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_DRAWITEM) {
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    result = TRUE;
    return true;
  }
  if (msg == WM_COMMAND && HIWORD(wParam) == LBN_SELCHANGE) {
    Click();
    result = 0;
    return true;
  }
  return false;
}

void TCheckListBox::DrawItem(const DRAWITEMSTRUCT& dis) {
  HDC dc = dis.hDC;
  RECT r = dis.rcItem;
  bool selected = dis.itemState & ODS_SELECTED;
  COLORREF back = GetSysColor(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW);
  TUniqueBrush brush(CreateSolidBrush(back));
  FillRect(dc, &r, brush.get());
  if (dis.itemID == static_cast<UINT>(-1) || dis.itemID >= FItems.size()) {
    if (dis.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
    return;
  }
  const TItem& item = FItems[dis.itemID];
  int margin = ScaleForDpi(kCheckMargin);
  int box = CheckWidth();
  RECT boxRect{r.left + margin, r.top + (r.bottom - r.top - box) / 2, r.left + margin + box, 0};
  boxRect.bottom = boxRect.top + box;
  ThemeData theme(Handle(), L"BUTTON");
  if (theme.get()) {
    int state;
    switch (item.State) {
      case TCheckBoxState::cbChecked: state = item.Enabled ? CBS_CHECKEDNORMAL : CBS_CHECKEDDISABLED; break;
      case TCheckBoxState::cbGrayed: state = item.Enabled ? CBS_MIXEDNORMAL : CBS_MIXEDDISABLED; break;
      default: state = item.Enabled ? CBS_UNCHECKEDNORMAL : CBS_UNCHECKEDDISABLED; break;
    }
    DrawThemeBackground(theme.get(), dc, BP_CHECKBOX, state, &boxRect, nullptr);
  } else {
    UINT flags = DFCS_BUTTONCHECK | DFCS_FLAT;
    if (item.State == TCheckBoxState::cbChecked) flags |= DFCS_CHECKED;
    if (item.State == TCheckBoxState::cbGrayed) flags = DFCS_BUTTON3STATE | DFCS_CHECKED | DFCS_FLAT;
    if (!item.Enabled) flags |= DFCS_INACTIVE;
    DrawFrameControl(dc, &boxRect, DFC_BUTTON, flags);
  }
  RECT text = r;
  text.left = boxRect.right + margin * 2;
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(!item.Enabled ? COLOR_GRAYTEXT : selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  DrawTextW(dc, item.Text.c_str(), static_cast<int>(item.Text.size()), &text,
            DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
  if (dis.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

}  // namespace hv
