// Run-time descriptions of types, as much as the library's messages need: a name, a kind and,
// for enumerations, the lowest and highest value and the value names.
#pragma once

#include <initializer_list>
#include <string>
#include <vector>

namespace hv {

// The numbering is part of message texts ("received %s (%s)" prints the ordinal).
enum class TTypeKind : int {
  tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass, tkMethod,
  tkWChar, tkLString, tkWString, tkVariant, tkArray, tkRecord, tkInterface, tkInt64,
  tkDynArray, tkUString, tkClassRef, tkPointer, tkProcedure
};

struct TTypeInfo {
  std::wstring Name;
  TTypeKind Kind = TTypeKind::tkUnknown;
  int MinValue = 0;
  int MaxValue = 0;
  std::vector<std::wstring> ValueNames;  // enumerations: ValueNames[i] names MinValue + i

  // Empty outside MinValue..MaxValue.
  std::wstring ValueName(int value) const;
};

// The description of an enumeration whose values run from 0 in the order of `valueNames`.
TTypeInfo DescribeEnumeration(std::wstring name, std::initializer_list<const wchar_t*> valueNames);

// Gives the enumeration `Type` its description; write it next to the enumeration, in the same
// namespace, so that TypeInfoOf<Type>() finds it.
#define HV_DESCRIBE_ENUM(Type, ...)                                                     \
  inline const ::hv::TTypeInfo& HvTypeInfoOf(const Type*) {                             \
    static const ::hv::TTypeInfo info = ::hv::DescribeEnumeration(L## #Type, {__VA_ARGS__}); \
    return info;                                                                        \
  }

template <class T>
const TTypeInfo* TypeInfoOf() {
  return &HvTypeInfoOf(static_cast<const T*>(nullptr));
}

}  // namespace hv
