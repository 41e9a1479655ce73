#include "HvTypeInfo.h"

namespace hv {

std::wstring TTypeInfo::ValueName(int value) const {
  if (value < MinValue || value > MaxValue) return {};
  auto index = static_cast<size_t>(static_cast<long long>(value) - MinValue);
  return index < ValueNames.size() ? ValueNames[index] : std::wstring();
}

TTypeInfo DescribeEnumeration(std::wstring name, std::initializer_list<const wchar_t*> valueNames) {
  TTypeInfo info;
  info.Name = std::move(name);
  info.Kind = TTypeKind::tkEnumeration;
  info.MinValue = 0;
  info.MaxValue = static_cast<int>(valueNames.size()) - 1;
  info.ValueNames.assign(valueNames.begin(), valueNames.end());
  return info;
}

}  // namespace hv
