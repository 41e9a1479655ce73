// IDispatch for an IAccessible object of our own. Scripting clients, and readers that go
// through IDispatch, call the interface's members by their DISPIDs (DISPID_ACC_NAME, ...) and
// names ("accName", ...); these two route those calls to the object's own IAccessible answers.
#pragma once

#include "HvWindows.h"

#include <oleacc.h>

namespace hv {

// The DISPIDs of IAccessible's members, names compared without case; DISP_E_UNKNOWNNAME (and
// DISPID_UNKNOWN in its place) for a name that is none, and for every argument name.
HRESULT AccessibleDispatchIds(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids);
// Calls the member `id` of `object` with the arguments in `params` (the child id may be left
// out; it then means the object itself). Unknown members, writes and named arguments are
// refused with the IDispatch errors.
HRESULT InvokeAccessible(IAccessible& object, DISPID id, REFIID riid, WORD flags, DISPPARAMS* params,
                         VARIANT* result, UINT* argError);

}  // namespace hv
