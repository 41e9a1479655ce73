#include "HvComboBox.h"

#include <commctrl.h>

#include <algorithm>

#include "HvApplication.h"
#include "HvControlRecreate.h"
#include "HvFormat.h"
#include "HvScopeExit.h"
#include "HvScreen.h"

namespace hv {
namespace {
const UINT_PTR kEditSubclassId = 2;

bool IsDropDownStyle(TComboBoxStyle style) { return style != TComboBoxStyle::csSimple; }
}  // namespace

// --- TComboBoxStrings ---

int TComboBoxStrings::GetCount() const { return static_cast<int>(FOwner.FItems.size()); }

std::wstring TComboBoxStrings::Get(int index) const {
  FOwner.CheckIndex(index);
  return FOwner.FItems[index].Text;
}

void* TComboBoxStrings::GetObject(int index) const {
  FOwner.CheckIndex(index);
  return FOwner.FItems[index].Object;
}

void TComboBoxStrings::PutObject(int index, void* object) {
  FOwner.CheckIndex(index);
  FOwner.FItems[index].Object = object;
}

void TComboBoxStrings::InsertObject(int index, const std::wstring& s, void* object) {
  if (index < 0 || index > GetCount()) throw EListError(Fmt(L"List index out of bounds (%d)", index));
  if (FOwner.HandleAllocated()) {
    LRESULT r = SendMessageW(FOwner.Handle(), CB_INSERTSTRING, index, reinterpret_cast<LPARAM>(s.c_str()));
    if (r == CB_ERR || r == CB_ERRSPACE) throw EListError(L"Insufficient space for the combo box item");
  }
  FOwner.FItems.insert(FOwner.FItems.begin() + index, TComboBox::TItem{s, object});
}

void TComboBoxStrings::Delete(int index) {
  FOwner.CheckIndex(index);
  if (FOwner.HandleAllocated()) SendMessageW(FOwner.Handle(), CB_DELETESTRING, index, 0);
  FOwner.FItems.erase(FOwner.FItems.begin() + index);
}

void TComboBoxStrings::Clear() {
  if (FOwner.HandleAllocated()) SendMessageW(FOwner.Handle(), CB_RESETCONTENT, 0, 0);
  FOwner.FItems.clear();
  FOwner.FItemIndex = -1;
}

int TComboBoxStrings::IndexOf(const std::wstring& s) const {
  if (FOwner.HandleAllocated()) {
    // Starting "after" -1 searches every item from the first.
    LRESULT r = SendMessageW(FOwner.Handle(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(s.c_str()));
    return r == CB_ERR ? -1 : static_cast<int>(r);
  }
  for (int i = 0; i < GetCount(); ++i)
    if (lstrcmpiW(FOwner.FItems[i].Text.c_str(), s.c_str()) == 0) return i;
  return -1;
}

void TComboBoxStrings::SetUpdateState(bool updating) {
  if (!FOwner.HandleAllocated()) return;
  SendMessageW(FOwner.Handle(), WM_SETREDRAW, !updating, 0);
  if (!updating) InvalidateRect(FOwner.Handle(), nullptr, TRUE);
}

// --- TComboBox ---

TComboBox::TComboBox(TComponent* owner) : TWinControl(owner) {}

// Here rather than in the base class, so that the edit field's subclass is removed while this
// object is still whole.
TComboBox::~TComboBox() { DestroyHandle(); }

void TComboBox::CheckIndex(int index) const {
  if (index < 0 || index >= static_cast<int>(FItems.size())) throw EListError(Fmt(L"List index out of bounds (%d)", index));
}

void TComboBox::SetStyle(TComboBoxStyle style) {
  if (style == FStyle) return;
  FStyle = style;
  RecreateControlWindow(*this);
}

void TComboBox::CreateParams(TControlParams& params) {
  params.ClassName = WC_COMBOBOXW;
  params.Style |= WS_TABSTOP | WS_VSCROLL | CBS_AUTOHSCROLL;
  switch (FStyle) {
    case TComboBoxStyle::csDropDown: params.Style |= CBS_DROPDOWN; break;
    case TComboBoxStyle::csSimple: params.Style |= CBS_SIMPLE; break;
    case TComboBoxStyle::csDropDownList: params.Style |= CBS_DROPDOWNLIST; break;
    case TComboBoxStyle::csOwnerDrawFixed: params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS; break;
    case TComboBoxStyle::csOwnerDrawVariable:
      params.Style |= CBS_DROPDOWNLIST | CBS_OWNERDRAWVARIABLE | CBS_HASSTRINGS;
      break;
  }
}

void TComboBox::InitializeHandle() {
  if (FStyle == TComboBoxStyle::csOwnerDrawFixed || FStyle == TComboBoxStyle::csOwnerDrawVariable) {
    // The measuring message came while the window was created, before it was ours.
    int height = ScaleForDpi(13);
    SendMessageW(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height + ScaleForDpi(2));
    SendMessageW(Handle(), CB_SETITEMHEIGHT, 0, height);
  }
  size_t chars = 0;
  for (const TItem& item : FItems) chars += item.Text.size() + 1;
  SendMessageW(Handle(), CB_INITSTORAGE, FItems.size(), chars * sizeof(wchar_t));
  for (const TItem& item : FItems) SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.Text.c_str()));
  if (FItemIndex >= 0) SendMessageW(Handle(), CB_SETCURSEL, FItemIndex, 0);
  AttachEditField();
  // Sized again now that the control sees the size: the list's room is added to it.
  RECT r = BoundsRect();
  SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TComboBox::SaveHandleState() {
  FItemIndex = ItemIndex();
  if (FEditHandle) RemoveWindowSubclass(FEditHandle, &TComboBox::EditSubclassProc, kEditSubclassId);
  FEditHandle = nullptr;
}

void TComboBox::AttachEditField() {
  FEditHandle = nullptr;
  if (!HasEditField()) return;
  COMBOBOXINFO info{};
  info.cbSize = sizeof(info);
  if (!GetComboBoxInfo(Handle(), &info) || !info.hwndItem || info.hwndItem == Handle()) return;
  FEditHandle = info.hwndItem;
  SetWindowSubclass(FEditHandle, &TComboBox::EditSubclassProc, kEditSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

LRESULT CALLBACK TComboBox::EditSubclassProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR self) noexcept {
  auto* combo = reinterpret_cast<TComboBox*>(self);
  if (msg == WM_NCDESTROY) {
    RemoveWindowSubclass(hwnd, &TComboBox::EditSubclassProc, kEditSubclassId);
    if (combo->FEditHandle == hwnd) combo->FEditHandle = nullptr;
    return DefSubclassProc(hwnd, msg, wParam, lParam);
  }
  if (msg != WM_CHAR) return DefSubclassProc(hwnd, msg, wParam, lParam);
  try {
    wchar_t key = static_cast<wchar_t>(wParam);
    combo->KeyPress(key);
    return key ? DefSubclassProc(hwnd, msg, key, lParam) : 0;
  } catch (...) {
    Application().HandleException();
    return 0;
  }
}

LRESULT TComboBox::WndProc(UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_CHAR: {
      wchar_t key = static_cast<wchar_t>(wParam);
      WMChar(key);
      return key ? DefaultHandler(msg, key, lParam) : 0;
    }
    case WM_WINDOWPOSCHANGING: {
      // The height a drop-down combo box is given is its field and the room of its open list
      // below; it shrinks itself to the field. Its own shrinking must pass unchanged.
      auto* pos = reinterpret_cast<WINDOWPOS*>(lParam);
      if (IsDropDownStyle(FStyle) && !(pos->flags & SWP_NOSIZE) && !FFittingItself) {
        int itemHeight = static_cast<int>(SendMessageW(Handle(), CB_GETITEMHEIGHT, 0, 0));
        pos->cy += std::max(itemHeight, 1) * FDropDownCount + 2;
      }
      break;
    }
    case WM_WINDOWPOSCHANGED: {
      bool outer = !FFittingItself;
      FFittingItself = true;
      ScopeExit done([this, outer] {
        if (outer) FFittingItself = false;
      });
      return TWinControl::WndProc(msg, wParam, lParam);
    }
  }
  return TWinControl::WndProc(msg, wParam, lParam);
}

bool TComboBox::ParentNotify(UINT msg, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  if (msg == WM_DRAWITEM) {
    DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
    result = TRUE;
    return true;
  }
  if (msg != WM_COMMAND) return false;
  switch (HIWORD(wParam)) {
    case CBN_SELCHANGE:
      Click();
      Select();
      break;
    case CBN_EDITCHANGE: Change(); break;
    default: return false;
  }
  result = 0;
  return true;
}

void TComboBox::KeyPress(wchar_t& key) {
  if (OnKeyPress) OnKeyPress(*this, key);
}

void TComboBox::Select() {
  if (OnSelect) OnSelect(this);
}

void TComboBox::Change() {
  if (OnChange) OnChange(this);
}

int TComboBox::ItemIndex() const {
  if (!HandleAllocated()) return FItemIndex;
  LRESULT r = SendMessageW(Handle(), CB_GETCURSEL, 0, 0);
  return r == CB_ERR ? -1 : static_cast<int>(r);
}

void TComboBox::SetItemIndex(int index) {
  if (index < -1 || index >= static_cast<int>(FItems.size())) index = -1;
  FItemIndex = index;
  if (HandleAllocated()) SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

int TComboBox::SelStart() const {
  DWORD start = 0, end = 0;
  if (FEditHandle) SendMessageW(FEditHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(start);
}

int TComboBox::SelLength() const {
  DWORD start = 0, end = 0;
  if (FEditHandle) SendMessageW(FEditHandle, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
  return static_cast<int>(end - start);
}

// Through the edit field itself: the combo box's own selection message holds 16-bit positions.
void TComboBox::SetSelStart(int start) {
  if (FEditHandle) SendMessageW(FEditHandle, EM_SETSEL, start, start);
}

void TComboBox::SetSelLength(int length) {
  if (!FEditHandle) return;
  int start = SelStart();
  SendMessageW(FEditHandle, EM_SETSEL, start, start + length);
}

bool TComboBox::DroppedDown() const {
  return HandleAllocated() && SendMessageW(Handle(), CB_GETDROPPEDSTATE, 0, 0) != FALSE;
}

void TComboBox::SetDroppedDown(bool value) {
  if (HandleAllocated()) SendMessageW(Handle(), CB_SHOWDROPDOWN, value, 0);
}

void TComboBox::SetDropDownCount(int count) {
  FDropDownCount = std::max(count, 1);
  if (!HandleAllocated()) return;
  RECT r = BoundsRect();
  SetWindowPos(Handle(), nullptr, 0, 0, r.right - r.left, r.bottom - r.top, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TComboBox::DrawItem(const DRAWITEMSTRUCT& dis) {
  HDC dc = dis.hDC;
  RECT r = dis.rcItem;
  bool selected = dis.itemState & ODS_SELECTED;
  FillRect(dc, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  if (dis.itemID < FItems.size()) {
    const std::wstring& text = FItems[dis.itemID].Text;
    RECT textRect = r;
    textRect.left += ScaleForDpi(2);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(!IsWindowEnabled(Handle()) ? COLOR_GRAYTEXT
                                 : selected                  ? COLOR_HIGHLIGHTTEXT
                                                             : COLOR_WINDOWTEXT));
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &textRect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
  }
  if (dis.itemState & ODS_FOCUS) DrawFocusRect(dc, &r);
}

}  // namespace hv
