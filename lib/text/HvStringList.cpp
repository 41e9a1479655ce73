#include "HvStringList.h"

#include "HvStringListOps.h"

namespace hv {

int THvStringList::IndexOfName(const std::wstring& name) const {
  if (!Sorted()) return TStringList::IndexOfName(name);
  // "name=" sorts right before the items that start with it.
  std::wstring key = name + NameValueSeparator();
  int index;
  Find(key, index);
  if (index < GetCount() && CompareStrings(std::wstring_view(Strings(index)).substr(0, key.size()), key) == 0)
    return index;
  return -1;
}

void THvStringList::LoadFromStream(TStream& stream, const TEncoding* encoding) {
  LoadFromStream_Safe(*this, stream, encoding);
}

void THvStringList::SaveToFile(const std::wstring& fileName) {
  TStrings::SaveToFile(fileName, Encoding() ? Encoding() : TEncoding::Unicode());
}

void THvStringList::SaveToStream(TStream& stream, const TEncoding* encoding) {
  SaveToStream_Safe(*this, stream, encoding);
}

}  // namespace hv
