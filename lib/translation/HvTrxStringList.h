// The lists a translatable form keeps in its resource: string lists that are always sorted
// and never hold an entry twice (entries compare case-insensitively in the user's locale).
#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "HvStringList.h"
#include "HvStringListOps.h"

namespace hv {

class THvTrxStringList : public THvStringList {
 public:
  THvTrxStringList();

  // Replaces the content by `strings` inside one update bracket; the object stays the same.
  void ReplaceContent(const TStrings& strings);
  void ReplaceContent(std::span<const std::wstring> strings);

  // The resource value "Strings": every entry in list order; nothing is stored for an empty
  // list unless it differs from the ancestor's value.
  std::optional<std::vector<std::wstring>> WriteStrings(const THvTrxStringList* ancestor = nullptr) const;
  // Reads the value back; order and repeats of the stored value do not matter.
  void ReadStrings(const std::vector<std::wstring>& values) { ReplaceContent(values); }
};

class THvTrxTranslatableProps : public THvTrxStringList {};
class THvTrxInlineClasses : public THvTrxStringList {};

}  // namespace hv
