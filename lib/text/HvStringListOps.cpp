#include "HvStringListOps.h"

#include <algorithm>
#include <memory>

#include "HvLXStrings.h"
#include "HvStreamReader.h"

namespace hv {
namespace {

// The code pages whose lines the buffered reader finds block by block with the same result
// as decoding the whole text.
bool ReadsLineByLine(unsigned codePage) {
  switch (codePage) {
    case 437: case 1200: case 1201: case 1252: case 20127: case 65000: case 65001: return true;
    default: return false;
  }
}

}  // namespace

void LoadFromStream_Safe(TStrings& list, TStream& stream, const TEncoding* encoding) {
  const TEncoding* effective = encoding ? encoding : TEncoding::ANSI();
  if (list.LineBreak() != L"\r\n" || !ReadsLineByLine(effective->CodePage())) {
    list.LoadWholeStream(stream, encoding);
    return;
  }
  std::int64_t start = stream.Position();
  try {
    THvStreamReader reader(&stream, encoding, true, 4096);
    {
      TUpdateScope update(list);
      list.Clear();
      while (!reader.EndOfStream()) list.AddMoved(reader.ReadLine());
    }
    list.SetEncoding(reader.CurrentEncoding());
  } catch (const EOSError& e) {
    if (e.ErrorCode() != ERROR_INSUFFICIENT_BUFFER) throw;
    stream.SetPosition(start);
    list.LoadWholeStream(stream, encoding);
  }
}

void LoadFromFile_Safe(TStrings& list, const std::wstring& fileName, const TEncoding* encoding) {
  THvFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream_Safe(list, stream, encoding);
}

void LoadFromFile(TStrings& list, const std::wstring& fileName, unsigned codePage) {
  std::unique_ptr<TEncoding> encoding = TEncoding::GetEncoding(codePage);
  LoadFromFile_Safe(list, fileName, encoding.get());
}

void SaveToStream_Safe(const TStrings& list, TStream& stream, const TEncoding* encoding) {
  if (!encoding) encoding = list.Encoding() ? list.Encoding() : TEncoding::Unicode();
  constexpr size_t kFlushAt = 64 * 1024;  // written line by line, but not one call per line
  const std::string lineBreak = encoding->GetBytes(list.LineBreak());
  std::string bytes;
  if (list.WriteBOM()) bytes = encoding->Preamble();
  for (int i = 0, n = list.GetCount(); i < n; ++i) {
    encoding->Encode(list.Get(i), bytes);
    bytes += lineBreak;
    if (bytes.size() >= kFlushAt) {
      stream.WriteBuffer(bytes);
      bytes.clear();
    }
  }
  stream.WriteBuffer(bytes);
}

void SaveToFile_Safe(const TStrings& list, const std::wstring& fileName, const TEncoding* encoding) {
  THvFileStream stream(fileName, fmCreate);
  SaveToStream_Safe(list, stream, encoding);
}

void SaveToFile(TStrings& list, const std::wstring& fileName, unsigned codePage) {
  std::unique_ptr<TEncoding> encoding = TEncoding::GetEncoding(codePage);
  list.SaveToFile(fileName, encoding.get());
}

std::vector<std::wstring> ToArray(const TStrings& list) {
  std::vector<std::wstring> strings;
  strings.reserve(list.GetCount());
  for (int i = 0, n = list.GetCount(); i < n; ++i) strings.push_back(list.Get(i));
  return strings;
}

bool Contains(const TStrings& list, const std::wstring& value) { return list.IndexOf(value) != -1; }

bool Remove(TStrings& list, const std::wstring& value) {
  int i = list.IndexOf(value);
  if (i < 0) return false;
  list.Delete(i);
  return true;
}

bool RemoveObject(TStrings& list, void* object) {
  int i = list.IndexOfObject(object);
  if (i < 0) return false;
  list.Delete(i);
  return true;
}

bool EqualsStringsAndObjects(const TStrings& list, const TStrings& other) {
  if (list.GetCount() != other.GetCount()) return false;
  for (int i = 0, n = list.GetCount(); i < n; ++i)
    if (list.Get(i) != other.Get(i) || list.GetObject(i) != other.GetObject(i)) return false;
  return true;
}

void AddStringsIfNew(TStrings& list, std::span<const std::wstring> strings) {
  TUpdateScope update(list);
  for (const std::wstring& s : strings)
    if (!Contains(list, s)) list.Add(s);
}

void AddStringsIfNew(TStrings& list, const TStrings& strings) {
  TUpdateScope update(list);
  for (int i = 0, n = strings.GetCount(); i < n; ++i) {
    std::wstring s = strings.Get(i);
    if (!Contains(list, s)) list.AddObject(s, strings.GetObject(i));
  }
}

void Add_IfNotBlank(TStrings& list, const std::wstring& s) {
  if (!s.empty()) list.Add(s);
}

void AddObject_IfUnique(TStrings& list, const std::wstring& s, void* object, TStrings& duplicateTracker) {
  int i = list.IndexOf(s);
  if (i >= 0) {
    duplicateTracker.AddObject(list.Get(i), list.GetObject(i));
    list.Delete(i);
  }
  if (Contains(duplicateTracker, s))
    duplicateTracker.AddObject(s, object);
  else
    list.AddObject(s, object);
}

void SortByValues(TStrings& list) {
  struct Entry {
    std::wstring key;  // value, separator, name: the order of the values, ties by name
    std::wstring text;
    void* object;
  };
  const wchar_t separator = list.NameValueSeparator();
  std::vector<Entry> entries;
  entries.reserve(list.GetCount());
  for (int i = 0, n = list.GetCount(); i < n; ++i) {
    std::wstring value = list.ValueFromIndex(i);
    // A value with a separator would make the order ambiguous: the caller's data is wrong.
    if (value.find(separator) != std::wstring::npos)
      throw EAssertionFailed(Fmt(L"%s (%s, line %d)", Fmt(L"The item contained an equals sign \"%s\"", value),
                                 std::wstring_view(L"" __FILE__), __LINE__));
    entries.push_back({value + separator + list.Names(i), list.Get(i), list.GetObject(i)});
  }
  std::stable_sort(entries.begin(), entries.end(),
                   [](const Entry& a, const Entry& b) { return AnsiCompareText(a.key, b.key) < 0; });
  TUpdateScope update(list);
  list.Clear();
  for (Entry& e : entries) list.AddObject(e.text, e.object);
}

void TrimEachString(TStrings& list) {
  for (int i = 0, n = list.GetCount(); i < n; ++i) {
    std::wstring s = list.Get(i);
    std::wstring trimmed = TrimLX(s);
    if (trimmed.size() != s.size()) list.Put(i, trimmed);  // untouched items stay untouched
  }
}

void RemoveEmptyStrings(TStrings& list) {
  for (int i = list.GetCount() - 1; i >= 0; --i)
    if (list.Get(i).empty()) list.Delete(i);
}

void ReorderBasedOn(TStrings& list, std::span<const std::wstring> pattern) {
  TUpdateScope update(list);
  for (auto it = pattern.rbegin(); it != pattern.rend(); ++it) {
    int i = list.IndexOf(*it);
    if (i < 0) continue;
    std::wstring s = list.Get(i);
    void* object = list.GetObject(i);
    list.Delete(i);
    list.InsertObject(0, s, object);
  }
}

void ReorderBasedOn(TStrings& list, const TStrings& pattern) {
  std::vector<std::wstring> strings = ToArray(pattern);
  ReorderBasedOn(list, strings);
}

}  // namespace hv
