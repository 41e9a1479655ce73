// Checks for what only a programming error can break. Their texts start with
// "Internal Error: " when the caller's mistake is meant; they raise and never show or log.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvTypeInfo.h"

namespace hv {

// Whether a missing file or folder is a programming error (internal-error text) or something
// the user must be told in a plain sentence.
enum TForceMessageType : int { fmInternal, fmUser };
HV_DESCRIBE_ENUM(TForceMessageType, L"fmInternal", L"fmUser")

// For the default branch of a switch over an enumeration: raises EHvInternalError naming the
// type and the value. `typeInfo` may be null.
[[noreturn]] void ReportUnexpectedEnum(const TTypeInfo* typeInfo, int value);

template <class E>
  requires std::is_enum_v<E>
[[noreturn]] void ReportUnexpectedEnum(E value) {
  ReportUnexpectedEnum(TypeInfoOf<E>(), static_cast<int>(value));
}

// Raises a plain Exception with `msg` when `condition` is false.
void CheckTrue(bool condition, const std::wstring& msg);

// Raises a plain Exception with `fmt` formatted with `args` when `condition` is false. The
// arguments are formatted only then, so a list that does not fit costs nothing on success.
void CheckTrueFmt(bool condition, std::wstring_view fmt, std::initializer_list<FormatArg> args);

template <class... A>
void CheckTrueFmt(bool condition, std::wstring_view fmt, const A&... args) {
  if (!condition) CheckTrueFmt(false, fmt, {FormatArg(args)...});
}

// Raises EHvInternalError "Internal Error: <name> not assigned." when `object` is null
// (a raw or smart pointer, a std::function, ...).
[[noreturn]] void RaiseNotAssigned(std::wstring_view name);

template <class P>
void CheckAssigned(const P& object, std::wstring_view name) {
  if (object == nullptr) RaiseNotAssigned(name);
}

}  // namespace hv
