#include "HvLXChecks.h"

namespace hv {

void ReportUnexpectedEnum(const TTypeInfo* typeInfo, int value) {
  if (!typeInfo)
    throw EHvInternalError(Fmt(L"Internal Error: ReportUnexpectedEnum, (TypeInfo_Enum = nil).  (Value = %d)", value));
  if (typeInfo->Kind != TTypeKind::tkEnumeration)
    throw EHvInternalError(
        Fmt(L"Internal Error: ReportUnexpectedEnum expected tkEnumeration, but received %s (%s).  (Value = %d)",
            typeInfo->Name, std::to_wstring(static_cast<int>(typeInfo->Kind)), value));
  if (value < typeInfo->MinValue)
    throw EHvInternalError(Fmt(L"Internal Error: Unexpected %s: %d (below minimum of %d)", typeInfo->Name, value,
                               typeInfo->MinValue));
  if (value > typeInfo->MaxValue)
    throw EHvInternalError(Fmt(L"Internal Error: Unexpected %s: %d (above maximum of %d)", typeInfo->Name, value,
                               typeInfo->MaxValue));
  throw EHvInternalError(Fmt(L"Internal Error: Unexpected %s: %s", typeInfo->Name, typeInfo->ValueName(value)));
}

void CheckTrue(bool condition, const std::wstring& msg) {
  if (!condition) throw Exception(msg);
}

void CheckTrueFmt(bool condition, std::wstring_view fmt, std::initializer_list<FormatArg> args) {
  if (!condition) throw Exception(Format(fmt, args));
}

void RaiseNotAssigned(std::wstring_view name) {
  throw EHvInternalError(Fmt(L"Internal Error: %s not assigned.", name));
}

}  // namespace hv
