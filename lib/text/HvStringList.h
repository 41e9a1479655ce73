// THvStringList: the library's string list. It saves text as UTF-16 unless it knows another
// encoding, reads text line by line through a buffered reader instead of in one block,
// writes it line by line, and finds names in a sorted list by binary search.
#pragma once

#include <initializer_list>
#include <string>

#include "HvStrings.h"

namespace hv {

class THvStringList : public TStringList {
 public:
  THvStringList() = default;
  THvStringList(std::initializer_list<std::wstring> strings) { AddStrings(strings); }

  int IndexOfName(const std::wstring& name) const override;

  using TStrings::LoadFromStream;
  void LoadFromStream(TStream& stream, const TEncoding* encoding) override;
  using TStrings::SaveToFile;
  // With the list's encoding, or UTF-16 little-endian (mark FF FE) when it has none.
  void SaveToFile(const std::wstring& fileName) override;
  using TStrings::SaveToStream;
  void SaveToStream(TStream& stream, const TEncoding* encoding) override;
};

}  // namespace hv
