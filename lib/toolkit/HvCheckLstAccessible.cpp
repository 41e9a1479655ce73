#include "HvCheckLstAccessible.h"

#include <oleacc.h>

#include <string>

#include "HvCheckLst.h"
#include "HvComPtr.h"
#include "HvAccessibleDispatch.h"

namespace hv {
namespace {

// The object lives as long as its clients hold it, which may be longer than the list: it
// finds the list through the window on every call and answers as a disconnected object once
// the window is gone.
class TCheckListAccessible final : public IAccessible {
 public:
  TCheckListAccessible(HWND hwnd, TComPtr<IAccessible> standard) : FHwnd(hwnd), FStandard(std::move(standard)) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(IAccessible)) {
      *object = static_cast<IAccessible*>(this);
      AddRef();
      return S_OK;
    }
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return InterlockedIncrement(&FRefs); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG refs = InterlockedDecrement(&FRefs);
    if (refs == 0) delete this;
    return refs;
  }

  // IDispatch: scripting clients reach the same answers as the IAccessible calls (the standard
  // object's dispatch would answer for a plain list, without the check states).
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
    return AccessibleDispatchIds(riid, names, count, ids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO*, UINT* argError) override {
    return InvokeAccessible(*this, id, riid, flags, params, result, argError);
  }

  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override { return FStandard->get_accParent(parent); }
  HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
    if (!count) return E_POINTER;
    TCheckListBox* list = List();
    if (!list) return RPC_E_DISCONNECTED;
    *count = list->Items().Count();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** dispatch) override {
    if (!dispatch) return E_POINTER;
    *dispatch = nullptr;
    int index;
    HRESULT hr = ItemOf(child, index);
    if (FAILED(hr) || index < 0) return FAILED(hr) ? hr : E_INVALIDARG;
    return S_FALSE;  // items are simple elements of this object
  }
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
    return ForItem(child, name, [&](TCheckListBox& list, int index) { return Answer(name, list.Items().Get(index)); },
                   [&] { return FStandard->get_accName(child, name); });
  }
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
    return ForItem(child, value, [&](TCheckListBox&, int) { return S_FALSE; },
                   [&] { return FStandard->get_accValue(child, value); });
  }
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
    return ForItem(child, text, [&](TCheckListBox&, int) { return S_FALSE; },
                   [&] { return FStandard->get_accDescription(child, text); });
  }
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
    int index;
    HRESULT hr = StartAnswer(role, child, index);
    if (FAILED(hr)) return hr;
    role->vt = VT_I4;
    role->lVal = index < 0 ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_CHECKBUTTON;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
    int index;
    HRESULT hr = StartAnswer(state, child, index);
    if (FAILED(hr)) return hr;
    if (index < 0) return FStandard->get_accState(child, state);
    TCheckListBox& list = *List();
    long flags = STATE_SYSTEM_FOCUSABLE | STATE_SYSTEM_SELECTABLE;
    switch (list.State(index)) {
      case TCheckBoxState::cbChecked: flags |= STATE_SYSTEM_CHECKED; break;
      case TCheckBoxState::cbGrayed: flags |= STATE_SYSTEM_MIXED; break;
      case TCheckBoxState::cbUnchecked: break;
    }
    if (!list.ItemEnabled(index)) flags |= STATE_SYSTEM_UNAVAILABLE;
    if (list.Selected(index)) flags |= STATE_SYSTEM_SELECTED;
    if (list.Focused() && list.ItemIndex() == index) flags |= STATE_SYSTEM_FOCUSED;
    state->vt = VT_I4;
    state->lVal = flags;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
    return ForItem(child, help, [&](TCheckListBox&, int) { return S_FALSE; },
                   [&] { return FStandard->get_accHelp(child, help); });
  }
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
    return FStandard->get_accHelpTopic(file, child, topic);
  }
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
    return ForItem(child, shortcut, [&](TCheckListBox&, int) { return S_FALSE; },
                   [&] { return FStandard->get_accKeyboardShortcut(child, shortcut); });
  }
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
    if (!focus) return E_POINTER;
    VariantInit(focus);
    TCheckListBox* list = List();
    if (!list) return RPC_E_DISCONNECTED;
    if (!list->Focused()) return S_FALSE;
    int index = list->ItemIndex();
    focus->vt = VT_I4;
    focus->lVal = index < 0 ? CHILDID_SELF : index + 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
    if (!selection) return E_POINTER;
    VariantInit(selection);
    TCheckListBox* list = List();
    if (!list) return RPC_E_DISCONNECTED;
    if (list->MultiSelect()) return FStandard->get_accSelection(selection);
    int index = list->ItemIndex();
    if (index < 0) return S_FALSE;
    selection->vt = VT_I4;
    selection->lVal = index + 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
    return ForItem(
        child, action,
        [&](TCheckListBox& list, int index) {
          if (!list.ItemEnabled(index)) return S_FALSE;  // an unavailable item has no action
          return Answer(action, ActionName(list.NextStateByUser(index)));
        },
        [&] { return FStandard->get_accDefaultAction(child, action); });
  }
  HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
    int index;
    HRESULT hr = ItemOf(child, index);
    if (FAILED(hr)) return hr;
    if (index < 0) return FStandard->accSelect(flags, child);
    TCheckListBox& list = *List();
    if (flags & SELFLAG_TAKEFOCUS) list.SetFocus();
    if (flags & (SELFLAG_TAKESELECTION | SELFLAG_TAKEFOCUS)) list.SetItemIndex(index);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accLocation(long* left, long* top, long* width, long* height, VARIANT child) override {
    if (!left || !top || !width || !height) return E_POINTER;
    int index;
    HRESULT hr = ItemOf(child, index);
    if (FAILED(hr)) return hr;
    if (index < 0) return FStandard->accLocation(left, top, width, height, child);
    RECT r;
    if (SendMessageW(FHwnd, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)) == LB_ERR) return E_FAIL;
    MapWindowPoints(FHwnd, nullptr, reinterpret_cast<POINT*>(&r), 2);
    *left = r.left;
    *top = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
    int index;
    HRESULT hr = StartAnswer(end, start, index);
    if (FAILED(hr)) return hr;
    const int count = List()->Items().Count();
    int target = -1;
    if (index < 0) {
      if (direction == NAVDIR_FIRSTCHILD) target = 0;
      else if (direction == NAVDIR_LASTCHILD) target = count - 1;
      else return FStandard->accNavigate(direction, start, end);
    } else if (direction == NAVDIR_NEXT || direction == NAVDIR_DOWN) {
      target = index + 1;
    } else if (direction == NAVDIR_PREVIOUS || direction == NAVDIR_UP) {
      target = index - 1;
    }
    if (target < 0 || target >= count) return S_FALSE;
    end->vt = VT_I4;
    end->lVal = target + 1;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
    if (!child) return E_POINTER;
    VariantInit(child);
    if (!List()) return RPC_E_DISCONNECTED;
    POINT pt{x, y};
    // Outside the window nothing of the list is hit (Wine's standard object answers the list).
    RECT window;
    if (GetWindowRect(FHwnd, &window) && !PtInRect(&window, pt)) return S_FALSE;
    ScreenToClient(FHwnd, &pt);
    RECT client;
    GetClientRect(FHwnd, &client);
    if (!PtInRect(&client, pt)) return FStandard->accHitTest(x, y, child);
    LRESULT hit = SendMessageW(FHwnd, LB_ITEMFROMPOINT, 0, MAKELPARAM(pt.x, pt.y));
    child->vt = VT_I4;
    child->lVal = HIWORD(hit) == 0 ? LOWORD(hit) + 1 : CHILDID_SELF;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
    int index;
    HRESULT hr = ItemOf(child, index);
    if (FAILED(hr)) return hr;
    if (index < 0) return FStandard->accDoDefaultAction(child);
    TCheckListBox& list = *List();
    if (!list.ItemEnabled(index)) return DISP_E_MEMBERNOTFOUND;
    // The user's own toggle, event included, once the reader's call has returned: a handler
    // that asks the user something would otherwise hold the reader until the box is answered.
    list.PostToggleByUser(index);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT, BSTR) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT, BSTR) override { return E_NOTIMPL; }

 private:
  TCheckListBox* List() const {
    return IsWindow(FHwnd) ? dynamic_cast<TCheckListBox*>(TWinControl::FromHandle(FHwnd)) : nullptr;
  }
  // The item a child id names (-1: the list itself), or an error for an id that names none.
  HRESULT ItemOf(const VARIANT& child, int& index) const {
    TCheckListBox* list = List();
    if (!list) return RPC_E_DISCONNECTED;
    if (child.vt != VT_I4) return E_INVALIDARG;
    if (child.lVal == CHILDID_SELF) {
      index = -1;
      return S_OK;
    }
    if (child.lVal < 1 || child.lVal > list->Items().Count()) return E_INVALIDARG;
    index = child.lVal - 1;
    return S_OK;
  }
  // Empties the answer, then names the item as ItemOf does.
  HRESULT StartAnswer(VARIANT* out, const VARIANT& child, int& index) const {
    if (!out) return E_POINTER;
    VariantInit(out);
    return ItemOf(child, index);
  }
  // A text query: the item's answer, or the standard object's for the list itself.
  template <class ForAnItem, class ForTheList>
  HRESULT ForItem(const VARIANT& child, BSTR* out, ForAnItem item, ForTheList self) const {
    if (!out) return E_POINTER;
    *out = nullptr;
    int index;
    HRESULT hr = ItemOf(child, index);
    if (FAILED(hr)) return hr;
    return index < 0 ? self() : item(*List(), index);
  }
  static const wchar_t* ActionName(TCheckBoxState next) {
    switch (next) {
      case TCheckBoxState::cbChecked: return L"Check";
      case TCheckBoxState::cbUnchecked: return L"Uncheck";
      default: return L"Partially check";
    }
  }
  static HRESULT Answer(BSTR* out, const std::wstring& text) {
    *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
  }

  LONG FRefs = 1;
  HWND FHwnd;
  TComPtr<IAccessible> FStandard;
};

// Marshalling the object for another process needs COM on this thread; the window's thread
// keeps it for as long as it runs.
void EnsureComOnThisThread() {
  static thread_local bool initialized = false;
  if (initialized) return;
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  initialized = SUCCEEDED(hr) || hr == RPC_E_CHANGED_MODE;
}

}  // namespace

LRESULT AnswerCheckListObject(TCheckListBox& list, WPARAM wParam) {
  EnsureComOnThisThread();
  TComPtr<IAccessible> standard;
  if (FAILED(CreateStdAccessibleObject(list.Handle(), OBJID_CLIENT, __uuidof(IAccessible), standard.put_void())))
    return 0;
  TComPtr<IAccessible> object;
  *object.put() = new TCheckListAccessible(list.Handle(), std::move(standard));
  LRESULT result = LresultFromObject(__uuidof(IAccessible), wParam, object.get());
  return result < 0 ? 0 : result;
}

void NotifyCheckListItemChanged(TCheckListBox& list, int index) {
  if (list.HandleAllocated()) NotifyWinEvent(EVENT_OBJECT_STATECHANGE, list.Handle(), OBJID_CLIENT, index + 1);
}

}  // namespace hv
