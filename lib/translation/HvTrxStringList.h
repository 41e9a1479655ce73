// The sorted, duplicate-free string list that translatable forms keep their lists in.
// Entries compare case-insensitively in the user's locale.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace hv {

class THvTrxStringList {
 public:
  THvTrxStringList() = default;
  virtual ~THvTrxStringList() = default;
  THvTrxStringList(const THvTrxStringList&) = delete;
  THvTrxStringList& operator=(const THvTrxStringList&) = delete;

  int Count() const { return static_cast<int>(FItems.size()); }
  const std::wstring& Get(int index) const { return FItems.at(index); }
  const std::vector<std::wstring>& Strings() const { return FItems; }
  // Answers the index of the entry; an equal entry already there is kept instead.
  int Add(const std::wstring& s);
  int IndexOf(const std::wstring& s) const;
  void Delete(int index);
  void Clear() { FItems.clear(); }
  void BeginUpdate() { ++FUpdateCount; }
  void EndUpdate() {
    if (FUpdateCount > 0) --FUpdateCount;
  }
  // Replaces the content by the strings of `source` (this object stays the same).
  void Assign(const std::vector<std::wstring>& source);
  void Assign(const THvTrxStringList& source) { Assign(source.FItems); }

  // The resource value "Strings": every entry in list order; nothing is stored for an empty
  // list unless it differs from the ancestor's value.
  std::optional<std::vector<std::wstring>> WriteStrings(const THvTrxStringList* ancestor = nullptr) const;
  // Reads the value back; order and duplicates of the stored value do not matter.
  void ReadStrings(const std::vector<std::wstring>& values);

 private:
  // Binary search by the list's comparison; `found` tells whether the entry is there.
  int Find(const std::wstring& s, bool& found) const;
  std::vector<std::wstring> FItems;
  int FUpdateCount = 0;
};

class THvTrxTranslatableProps : public THvTrxStringList {};
class THvTrxInlineClasses : public THvTrxStringList {};

}  // namespace hv
