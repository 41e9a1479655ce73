#include "HvAccessibleDispatch.h"

#include <cwchar>

namespace hv {
namespace {

struct TMember {
  DISPID Id;
  const wchar_t* Name;
};
constexpr TMember kMembers[] = {
    {DISPID_ACC_PARENT, L"accParent"},
    {DISPID_ACC_CHILDCOUNT, L"accChildCount"},
    {DISPID_ACC_CHILD, L"accChild"},
    {DISPID_ACC_NAME, L"accName"},
    {DISPID_ACC_VALUE, L"accValue"},
    {DISPID_ACC_DESCRIPTION, L"accDescription"},
    {DISPID_ACC_ROLE, L"accRole"},
    {DISPID_ACC_STATE, L"accState"},
    {DISPID_ACC_HELP, L"accHelp"},
    {DISPID_ACC_HELPTOPIC, L"accHelpTopic"},
    {DISPID_ACC_KEYBOARDSHORTCUT, L"accKeyboardShortcut"},
    {DISPID_ACC_FOCUS, L"accFocus"},
    {DISPID_ACC_SELECTION, L"accSelection"},
    {DISPID_ACC_DEFAULTACTION, L"accDefaultAction"},
    {DISPID_ACC_SELECT, L"accSelect"},
    {DISPID_ACC_LOCATION, L"accLocation"},
    {DISPID_ACC_NAVIGATE, L"accNavigate"},
    {DISPID_ACC_HITTEST, L"accHitTest"},
    {DISPID_ACC_DODEFAULTACTION, L"accDoDefaultAction"},
};

// The arguments of one call, in the order the member declares them (IDispatch passes them
// last first).
class TArguments {
 public:
  TArguments(DISPPARAMS* params, UINT* argError) : FParams(params), FArgError(argError) {}

  UINT Count() const { return FParams ? FParams->cArgs : 0; }
  // Argument `position` as a 32-bit integer.
  HRESULT Long(UINT position, long& value) const {
    VARIANT v;
    HRESULT hr = Converted(position, VT_I4, v);
    if (SUCCEEDED(hr)) value = v.lVal;
    return hr;
  }
  // A child id: argument `position` as an integer, or the object itself when it is left out.
  HRESULT Child(UINT position, VARIANT& child) const {
    VariantInit(&child);
    if (position >= Count() || Raw(position).vt == VT_ERROR) {  // an optional argument left out
      child.vt = VT_I4;
      child.lVal = CHILDID_SELF;
      return S_OK;
    }
    return Converted(position, VT_I4, child);
  }
  // Argument `position`, passed by reference to a 32-bit integer, for an answer.
  HRESULT LongOut(UINT position, long*& out) const {
    if (position >= Count()) return Refused(position, DISP_E_PARAMNOTOPTIONAL);
    const VARIANT& v = Raw(position);
    if (v.vt != (VT_BYREF | VT_I4)) return Refused(position, DISP_E_TYPEMISMATCH);
    out = v.plVal;
    return S_OK;
  }

 private:
  const VARIANT& Raw(UINT position) const { return FParams->rgvarg[FParams->cArgs - 1 - position]; }
  HRESULT Converted(UINT position, VARTYPE type, VARIANT& out) const {
    if (position >= Count()) return Refused(position, DISP_E_PARAMNOTOPTIONAL);
    VariantInit(&out);
    if (FAILED(VariantChangeType(&out, const_cast<VARIANT*>(&Raw(position)), 0, type)))
      return Refused(position, DISP_E_TYPEMISMATCH);
    return S_OK;
  }
  HRESULT Refused(UINT position, HRESULT error) const {
    if (FArgError) *FArgError = FParams && position < FParams->cArgs ? FParams->cArgs - 1 - position : 0;
    return error;
  }

  DISPPARAMS* FParams;
  UINT* FArgError;
};

// Hands a VARIANT answer to the caller, or frees it.
HRESULT Keep(HRESULT hr, VARIANT& answer, VARIANT* result) {
  if (SUCCEEDED(hr) && result) {
    *result = answer;
  } else {
    VariantClear(&answer);
  }
  return hr;
}

// A text answer of a member that takes a child id.
template <class Get>
HRESULT TextOf(const TArguments& args, VARIANT* result, Get get) {
  VARIANT child;
  HRESULT hr = args.Child(0, child);
  if (FAILED(hr)) return hr;
  BSTR text = nullptr;
  hr = get(child, &text);
  if (SUCCEEDED(hr) && result) {
    result->vt = VT_BSTR;
    result->bstrVal = text;
  } else {
    SysFreeString(text);
  }
  return hr;
}

// A VARIANT answer of a member that takes a child id.
template <class Get>
HRESULT VariantOf(const TArguments& args, VARIANT* result, Get get) {
  VARIANT child;
  HRESULT hr = args.Child(0, child);
  if (FAILED(hr)) return hr;
  VARIANT answer;
  VariantInit(&answer);
  return Keep(get(child, &answer), answer, result);
}

HRESULT DispatchAnswer(IDispatch* dispatch, HRESULT hr, VARIANT* result) {
  if (SUCCEEDED(hr) && dispatch && result) {
    result->vt = VT_DISPATCH;
    result->pdispVal = dispatch;
  } else if (dispatch) {
    dispatch->Release();
  }
  return hr;
}

}  // namespace

HRESULT AccessibleDispatchIds(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (!names || !ids) return E_POINTER;
  HRESULT hr = S_OK;
  for (UINT i = 0; i < count; ++i) {
    ids[i] = DISPID_UNKNOWN;
    if (i == 0 && names[0])
      for (const TMember& member : kMembers)
        if (_wcsicmp(names[0], member.Name) == 0) ids[0] = member.Id;
    if (ids[i] == DISPID_UNKNOWN) hr = DISP_E_UNKNOWNNAME;
  }
  return hr;
}

HRESULT InvokeAccessible(IAccessible& object, DISPID id, REFIID riid, WORD flags, DISPPARAMS* params,
                         VARIANT* result, UINT* argError) {
  if (!IsEqualIID(riid, IID_NULL)) return DISP_E_UNKNOWNINTERFACE;
  if (params && params->cNamedArgs > 0) return DISP_E_NONAMEDARGS;
  if (!(flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET))) return DISP_E_MEMBERNOTFOUND;  // nothing is writable
  if (result) VariantInit(result);
  const TArguments args(params, argError);
  switch (id) {
    case DISPID_ACC_PARENT: {
      IDispatch* parent = nullptr;
      const HRESULT hr = object.get_accParent(&parent);
      return DispatchAnswer(parent, hr, result);
    }
    case DISPID_ACC_CHILDCOUNT: {
      long count = 0;
      HRESULT hr = object.get_accChildCount(&count);
      if (SUCCEEDED(hr) && result) {
        result->vt = VT_I4;
        result->lVal = count;
      }
      return hr;
    }
    case DISPID_ACC_CHILD: {
      VARIANT child;
      HRESULT hr = args.Child(0, child);
      if (FAILED(hr)) return hr;
      IDispatch* dispatch = nullptr;
      hr = object.get_accChild(child, &dispatch);
      return DispatchAnswer(dispatch, hr, result);
    }
    case DISPID_ACC_NAME:
      return TextOf(args, result, [&](VARIANT c, BSTR* t) { return object.get_accName(c, t); });
    case DISPID_ACC_VALUE:
      return TextOf(args, result, [&](VARIANT c, BSTR* t) { return object.get_accValue(c, t); });
    case DISPID_ACC_DESCRIPTION:
      return TextOf(args, result, [&](VARIANT c, BSTR* t) { return object.get_accDescription(c, t); });
    case DISPID_ACC_HELP:
      return TextOf(args, result, [&](VARIANT c, BSTR* t) { return object.get_accHelp(c, t); });
    case DISPID_ACC_KEYBOARDSHORTCUT:
      return TextOf(args, result, [&](VARIANT c, BSTR* t) { return object.get_accKeyboardShortcut(c, t); });
    case DISPID_ACC_DEFAULTACTION:
      return TextOf(args, result, [&](VARIANT c, BSTR* t) { return object.get_accDefaultAction(c, t); });
    case DISPID_ACC_ROLE:
      return VariantOf(args, result, [&](VARIANT c, VARIANT* v) { return object.get_accRole(c, v); });
    case DISPID_ACC_STATE:
      return VariantOf(args, result, [&](VARIANT c, VARIANT* v) { return object.get_accState(c, v); });
    case DISPID_ACC_FOCUS: {
      VARIANT answer;
      VariantInit(&answer);
      return Keep(object.get_accFocus(&answer), answer, result);
    }
    case DISPID_ACC_SELECTION: {
      VARIANT answer;
      VariantInit(&answer);
      return Keep(object.get_accSelection(&answer), answer, result);
    }
    case DISPID_ACC_SELECT: {
      long selectFlags = 0;
      VARIANT child;
      HRESULT hr = args.Long(0, selectFlags);
      if (SUCCEEDED(hr)) hr = args.Child(1, child);
      return FAILED(hr) ? hr : object.accSelect(selectFlags, child);
    }
    case DISPID_ACC_LOCATION: {
      long *left = nullptr, *top = nullptr, *width = nullptr, *height = nullptr;
      VARIANT child;
      HRESULT hr = args.LongOut(0, left);
      if (SUCCEEDED(hr)) hr = args.LongOut(1, top);
      if (SUCCEEDED(hr)) hr = args.LongOut(2, width);
      if (SUCCEEDED(hr)) hr = args.LongOut(3, height);
      if (SUCCEEDED(hr)) hr = args.Child(4, child);
      return FAILED(hr) ? hr : object.accLocation(left, top, width, height, child);
    }
    case DISPID_ACC_NAVIGATE: {
      long direction = 0;
      VARIANT start;
      HRESULT hr = args.Long(0, direction);
      if (SUCCEEDED(hr)) hr = args.Child(1, start);
      if (FAILED(hr)) return hr;
      VARIANT answer;
      VariantInit(&answer);
      return Keep(object.accNavigate(direction, start, &answer), answer, result);
    }
    case DISPID_ACC_HITTEST: {
      long x = 0, y = 0;
      HRESULT hr = args.Long(0, x);
      if (SUCCEEDED(hr)) hr = args.Long(1, y);
      if (FAILED(hr)) return hr;
      VARIANT answer;
      VariantInit(&answer);
      return Keep(object.accHitTest(x, y, &answer), answer, result);
    }
    case DISPID_ACC_DODEFAULTACTION: {
      VARIANT child;
      HRESULT hr = args.Child(0, child);
      return FAILED(hr) ? hr : object.accDoDefaultAction(child);
    }
    default:
      return DISP_E_MEMBERNOTFOUND;  // accHelpTopic, whose file answer no client asks for this way
  }
}

}  // namespace hv
