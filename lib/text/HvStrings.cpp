#include "HvStrings.h"

#include <algorithm>
#include <climits>

#include "HvWindows.h"

namespace hv {
namespace {

int CompareInLocale(DWORD flags, std::wstring_view s1, std::wstring_view s2) {
  int r = CompareStringW(LOCALE_USER_DEFAULT, flags, s1.data(), static_cast<int>(std::min<size_t>(s1.size(), INT_MAX)),
                         s2.data(), static_cast<int>(std::min<size_t>(s2.size(), INT_MAX)));
  return r - CSTR_EQUAL;
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
  return FItems[index].text;
}

std::wstring TStringList::Get(int index) const { return Strings(index); }

void TStringList::Put(int index, const std::wstring& s) {
  if (FSorted) SortedListError();
  CheckIndex(index);
  Changing();
  FItems[index].text = s;
  Changed();
}

void* TStringList::GetObject(int index) const {
  CheckIndex(index);
  return FItems[index].object;
}

void TStringList::PutObject(int index, void* object) {
  CheckIndex(index);
  Changing();
  FItems[index].object = object;
  Changed();
}

void TStringList::InsertObject(int index, const std::wstring& s, void* object) {
  if (FSorted) SortedListError();
  CheckIndex(index, true);
  InsertItem(index, s, object);
}

void TStringList::InsertItem(int index, std::wstring s, void* object) {
  Changing();
  FItems.insert(FItems.begin() + index, Item{std::move(s), object});
  Changed();
}

void TStringList::Delete(int index) {
  CheckIndex(index);
  Changing();
  FItems.erase(FItems.begin() + index);
  Changed();
}

void TStringList::Clear() {
  if (FItems.empty()) return;
  Changing();
  std::vector<Item>().swap(FItems);
  Changed();
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
  std::swap(FItems[index1], FItems[index2]);
  Changed();
}

int TStringList::CompareStrings(std::wstring_view s1, std::wstring_view s2) const {
  return FCaseSensitive ? AnsiCompareStr(s1, s2) : AnsiCompareText(s1, s2);
}

bool TStringList::Find(std::wstring_view s, int& index) const {
  auto it = std::lower_bound(FItems.begin(), FItems.end(), s,
                             [this](const Item& item, std::wstring_view key) { return CompareStrings(item.text, key) < 0; });
  index = static_cast<int>(it - FItems.begin());
  return it != FItems.end() && CompareStrings(it->text, s) == 0;
}

void TStringList::Sort() {
  auto less = [this](const Item& a, const Item& b) { return CompareStrings(a.text, b.text) < 0; };
  // Lists are often filled in order already: one pass instead of a full sort then.
  if (std::is_sorted(FItems.begin(), FItems.end(), less)) return;
  Changing();
  std::stable_sort(FItems.begin(), FItems.end(), less);
  Changed();
}

void TStringList::CustomSort(const std::function<int(const TStringList&, int, int)>& compare) {
  // Sorts positions first, since the callback names items by their index in this list.
  std::vector<int> order(FItems.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return compare(*this, a, b) < 0; });
  std::vector<Item> sorted;
  sorted.reserve(FItems.size());
  for (int i : order) sorted.push_back(std::move(FItems[i]));
  Changing();
  FItems.swap(sorted);
  Changed();
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
