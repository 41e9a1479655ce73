#include "HvStrings.h"

#include <algorithm>
#include <climits>
#include <numeric>

#include "HvWindows.h"

namespace hv {
namespace {

int CompareInLocale(DWORD flags, std::wstring_view s1, std::wstring_view s2) {
  int r = CompareStringW(LOCALE_USER_DEFAULT, flags, s1.data(), static_cast<int>(std::min<size_t>(s1.size(), INT_MAX)),
                         s2.data(), static_cast<int>(std::min<size_t>(s2.size(), INT_MAX)));
  return r - CSTR_EQUAL;
}

// The positions 0 .. count-1 in the order `less` (which compares positions) puts them, equal
// ones as they were.
template <class Less>
std::vector<int> SortedPositions(std::size_t count, Less less) {
  std::vector<int> order(count);
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), less);
  return order;
}

}  // namespace

int AnsiCompareText(std::wstring_view s1, std::wstring_view s2) { return CompareInLocale(NORM_IGNORECASE, s1, s2); }
int AnsiCompareStr(std::wstring_view s1, std::wstring_view s2) { return CompareInLocale(0, s1, s2); }

// ---------------------------------------------------------------- TStrings

void TStrings::Put(int index, const std::wstring& s) {
  void* object = GetObject(index);
  Delete(index);
  InsertObject(index, s, object);
}

void TStrings::Clear() {
  for (int i = GetCount() - 1; i >= 0; --i) Delete(i);
}

int TStrings::Add(const std::wstring& s) {
  int index = GetCount();
  Insert(index, s);
  return index;
}

int TStrings::AddObject(const std::wstring& s, void* object) {
  int index = Add(s);
  PutObject(index, object);
  return index;
}

void TStrings::InsertObject(int index, const std::wstring& s, void* object) {
  Insert(index, s);
  PutObject(index, object);
}

int TStrings::IndexOf(const std::wstring& s) const {
  for (int i = 0, n = GetCount(); i < n; ++i)
    if (CompareStrings(Get(i), s) == 0) return i;
  return -1;
}

int TStrings::IndexOfName(const std::wstring& name) const {
  for (int i = 0, n = GetCount(); i < n; ++i) {
    std::wstring s = Get(i);
    size_t p = s.find(FNameValueSeparator);
    if (p != std::wstring::npos && CompareStrings(std::wstring_view(s).substr(0, p), name) == 0) return i;
  }
  return -1;
}

int TStrings::IndexOfObject(void* object) const {
  for (int i = 0, n = GetCount(); i < n; ++i)
    if (GetObject(i) == object) return i;
  return -1;
}

void TStrings::Exchange(int index1, int index2) {
  std::wstring s1 = Get(index1);
  void* o1 = GetObject(index1);
  Put(index1, Get(index2));
  PutObject(index1, GetObject(index2));
  Put(index2, s1);
  PutObject(index2, o1);
}

void TStrings::Move(int curIndex, int newIndex) {
  if (curIndex == newIndex) return;
  TUpdateScope update(*this);
  std::wstring s = Get(curIndex);
  void* object = GetObject(curIndex);
  Delete(curIndex);
  InsertObject(newIndex, s, object);
}

int TStrings::CompareStrings(std::wstring_view s1, std::wstring_view s2) const { return AnsiCompareText(s1, s2); }

void TStrings::AddStrings(const TStrings& strings) {
  TUpdateScope update(*this);
  for (int i = 0, n = strings.GetCount(); i < n; ++i) AddObject(strings.Get(i), strings.GetObject(i));
}

void TStrings::AddStrings(std::span<const std::wstring> strings) {
  TUpdateScope update(*this);
  for (const std::wstring& s : strings) Add(s);
}

void TStrings::Assign(const TStrings& source) {
  if (&source == this) return;
  TUpdateScope update(*this);
  Clear();
  FNameValueSeparator = source.FNameValueSeparator;
  FLineBreak = source.FLineBreak;
  FWriteBOM = source.FWriteBOM;
  SetEncoding(source.FEncoding);
  AddStrings(source);
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount > 0 && --FUpdateCount == 0) SetUpdateState(false);
}

std::wstring TStrings::Names(int index) const {
  std::wstring s = Get(index);
  size_t p = s.find(FNameValueSeparator);
  return p == std::wstring::npos ? std::wstring() : s.substr(0, p);
}

std::wstring TStrings::ValueFromIndex(int index) const {
  std::wstring s = Get(index);
  size_t p = s.find(FNameValueSeparator);
  return p == std::wstring::npos ? std::wstring() : s.substr(p + 1);
}

std::wstring TStrings::Values(const std::wstring& name) const {
  int i = IndexOfName(name);
  return i < 0 ? std::wstring() : ValueFromIndex(i);
}

void TStrings::SetValue(const std::wstring& name, const std::wstring& value) {
  int i = IndexOfName(name);
  if (value.empty()) {
    if (i >= 0) Delete(i);
    return;
  }
  std::wstring item = name + FNameValueSeparator + value;
  if (i < 0)
    Add(item);
  else
    Put(i, item);
}

std::wstring TStrings::Text() const {
  std::wstring text;
  for (int i = 0, n = GetCount(); i < n; ++i) {
    text += Get(i);
    text += FLineBreak;
  }
  return text;
}

void TStrings::SetText(std::wstring_view text) { SetLines(text.substr(0, text.find(L'\0'))); }

void TStrings::SetLines(std::wstring_view text) {
  TUpdateScope update(*this);
  Clear();
  size_t start = 0;
  if (FLineBreak == L"\r\n") {
    while (start < text.size()) {
      size_t end = text.find_first_of(L"\r\n", start);
      if (end == std::wstring_view::npos) end = text.size();
      AddMoved(std::wstring(text.substr(start, end - start)));
      if (end < text.size() && text[end] == L'\r' && end + 1 < text.size() && text[end + 1] == L'\n') ++end;
      start = end + 1;
    }
  } else if (!FLineBreak.empty()) {
    while (start < text.size()) {
      size_t end = text.find(FLineBreak, start);
      if (end == std::wstring_view::npos) end = text.size();
      AddMoved(std::wstring(text.substr(start, end - start)));
      start = end + FLineBreak.size();
    }
  } else if (!text.empty()) {
    AddMoved(std::wstring(text));
  }
}

void TStrings::SetEncoding(const TEncoding* encoding) {
  if (encoding == FEncoding) return;
  FOwnedEncoding.reset();
  if (encoding && !encoding->IsStandard()) {
    FOwnedEncoding = encoding->Clone();
    encoding = FOwnedEncoding.get();
  }
  FEncoding = encoding;
}

void TStrings::LoadFromFile(const std::wstring& fileName, const TEncoding* encoding) {
  TFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(stream, encoding);
}

void TStrings::LoadFromStream(TStream& stream, const TEncoding* encoding) { LoadWholeStream(stream, encoding); }

void TStrings::LoadWholeStream(TStream& stream, const TEncoding* encoding) {
  std::int64_t remaining = stream.Size() - stream.Position();
  std::string bytes;
  size_t got = 0;
  // A stream may hand out less than asked, or grow meanwhile: read until it has nothing more.
  bytes.resize(static_cast<size_t>(std::max<std::int64_t>(remaining, 0)) + 1);
  while (size_t n = stream.Read(bytes.data() + got, bytes.size() - got)) {
    got += n;
    if (got == bytes.size()) bytes.resize(bytes.size() * 2);
  }
  bytes.resize(got);
  std::string_view data = bytes;
  const TEncoding* used = TEncoding::DetectBOM(data);
  if (used)
    data.remove_prefix(used->Preamble().size());
  else
    used = encoding ? encoding : TEncoding::ANSI();
  std::wstring text = used->GetString(data);
  std::string().swap(bytes);
  SetLines(text);
  SetEncoding(used);
}

void TStrings::SaveToFile(const std::wstring& fileName, const TEncoding* encoding) {
  TFileStream stream(fileName, fmCreate);
  SaveToStream(stream, encoding);
}

void TStrings::SaveToStream(TStream& stream, const TEncoding* encoding) {
  if (!encoding) encoding = FEncoding ? FEncoding : TEncoding::ANSI();
  std::string bytes;
  if (FWriteBOM) bytes = encoding->Preamble();
  encoding->Encode(Text(), bytes);
  stream.WriteBuffer(bytes);
}

TUpdateScope::~TUpdateScope() noexcept(false) {
  if (std::uncaught_exceptions() > FExceptions) {
    try {
      FList.EndUpdate();
    } catch (...) {
    }
  } else {
    FList.EndUpdate();
  }
}

// ---------------------------------------------------------------- TStringList

void TStringList::CheckIndex(int index, bool allowEnd) const {
  if (index < 0 || index > GetCount() || (index == GetCount() && !allowEnd))
    throw EStringListError(Fmt(L"List index out of bounds (%d)", index));
}

void TStringList::SortedListError() const { throw EStringListError(L"Operation not allowed on sorted list"); }

const std::wstring& TStringList::Strings(int index) const {
  CheckIndex(index);
  return FStrings[index];
}

std::wstring TStringList::Get(int index) const { return Strings(index); }

void TStringList::Put(int index, const std::wstring& s) {
  if (FSorted) SortedListError();
  CheckIndex(index);
  Changing();
  FStrings[index] = s;
  Changed();
}

void* TStringList::GetObject(int index) const {
  CheckIndex(index);
  return FObjects.empty() ? nullptr : FObjects[index];
}

void TStringList::PutObject(int index, void* object) {
  CheckIndex(index);
  Changing();
  if (FObjects.empty() && object) FObjects.resize(FStrings.size(), nullptr);
  if (!FObjects.empty()) FObjects[index] = object;
  Changed();
}

void TStringList::InsertObject(int index, const std::wstring& s, void* object) {
  if (FSorted) SortedListError();
  CheckIndex(index, true);
  InsertItem(index, s, object);
}

void TStringList::InsertItem(int index, std::wstring s, void* object) {
  Changing();
  // The objects grow first: when that fails, nothing has changed yet.
  const bool withObjects = object || !FObjects.empty();
  if (withObjects) {
    if (FObjects.empty()) {
      FObjects.reserve(FStrings.size() + 1);
      FObjects.resize(FStrings.size(), nullptr);
    }
    FObjects.insert(FObjects.begin() + index, object);
  }
  try {
    FStrings.insert(FStrings.begin() + index, std::move(s));
  } catch (...) {
    if (withObjects) FObjects.erase(FObjects.begin() + index);
    throw;
  }
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  FStrings.erase(FStrings.begin() + index);
  if (!FObjects.empty()) FObjects.erase(FObjects.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (FStrings.empty()) return;
  Changing();
  std::vector<std::wstring>().swap(FStrings);
  std::vector<void*>().swap(FObjects);
  Changed();
}

void TStringList::Reserve(int capacity) {
  FStrings.reserve(capacity);
  if (!FObjects.empty()) FObjects.reserve(capacity);
}

bool TStringList::PlaceForAdd(const std::wstring& s, int& index) const {
  index = GetCount();
  if (FSorted && Find(s, index)) {
    if (FDuplicates == TDuplicates::dupIgnore) return false;
    if (FDuplicates == TDuplicates::dupError) throw EStringListError(L"String list does not allow duplicates");
  }
  return true;
}

int TStringList::AddObject(const std::wstring& s, void* object) {
  int index;
  if (PlaceForAdd(s, index)) InsertItem(index, s, object);
  return index;
}

int TStringList::AddMoved(std::wstring&& s) {
  int index;
  if (PlaceForAdd(s, index)) InsertItem(index, std::move(s), nullptr);
  return index;
}

int TStringList::IndexOf(const std::wstring& s) const {
  if (!FSorted) return TStrings::IndexOf(s);
  int index;
  return Find(s, index) ? index : -1;
}

void TStringList::Exchange(int index1, int index2) {
  CheckIndex(index1);
  CheckIndex(index2);
  Changing();
  std::swap(FStrings[index1], FStrings[index2]);
  if (!FObjects.empty()) std::swap(FObjects[index1], FObjects[index2]);
  Changed();
}

int TStringList::CompareStrings(std::wstring_view s1, std::wstring_view s2) const {
  return FCaseSensitive ? AnsiCompareStr(s1, s2) : AnsiCompareText(s1, s2);
}

bool TStringList::Find(std::wstring_view s, int& index) const {
  auto it = std::lower_bound(FStrings.begin(), FStrings.end(), s,
                             [this](const std::wstring& item, std::wstring_view key) { return CompareStrings(item, key) < 0; });
  index = static_cast<int>(it - FStrings.begin());
  return it != FStrings.end() && CompareStrings(*it, s) == 0;
}

void TStringList::Sort() {
  auto less = [this](const std::wstring& a, const std::wstring& b) { return CompareStrings(a, b) < 0; };
  // Lists are often filled in order already: one pass instead of a full sort then.
  if (std::is_sorted(FStrings.begin(), FStrings.end(), less)) return;
  Changing();
  if (FObjects.empty()) {
    std::stable_sort(FStrings.begin(), FStrings.end(), less);
  } else {
    Reorder(SortedPositions(FStrings.size(), [&](int a, int b) { return less(FStrings[a], FStrings[b]); }));
  }
  Changed();
}

void TStringList::CustomSort(const std::function<int(const TStringList&, int, int)>& compare) {
  // Sorts positions first, since the callback names items by their index in this list.
  const std::vector<int> order =
      SortedPositions(FStrings.size(), [&](int a, int b) { return compare(*this, a, b) < 0; });
  Changing();
  Reorder(order);
  Changed();
}

void TStringList::Reorder(const std::vector<int>& order) {
  // Both new vectors are built before either replaces the old, so a failure changes nothing.
  std::vector<void*> objects;
  objects.reserve(FObjects.size());
  if (!FObjects.empty())
    for (int i : order) objects.push_back(FObjects[i]);
  std::vector<std::wstring> strings;
  strings.reserve(FStrings.size());
  for (int i : order) strings.push_back(std::move(FStrings[i]));
  FStrings.swap(strings);
  FObjects.swap(objects);
}

void TStringList::SetSorted(bool sorted) {
  if (sorted && !FSorted) Sort();
  FSorted = sorted;
}

void TStringList::SetCaseSensitive(bool on) {
  if (on == FCaseSensitive) return;
  FCaseSensitive = on;
  if (FSorted) Sort();
}

void TStringList::SetUpdateState(bool updating) {
  if (updating)
    Changing();
  else
    Changed();
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging();
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange();
}

}  // namespace hv
