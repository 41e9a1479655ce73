// TStrings, the abstract ordered list of strings that every list of the library (memory,
// file-backed, a list box's items) implements, and TStringList, the list kept in memory
// with an optional sorted mode.
//
// Each item may carry an object: a plain `void*` that the list stores and hands back but
// never owns or frees; whoever put it there keeps it alive.
#pragma once

#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "HvEncoding.h"
#include "HvExceptions.h"
#include "HvStreams.h"

namespace hv {

HV_DECLARE_EXCEPTION(EStringListError, EListError);

class TStrings {
 public:
  TStrings() = default;
  virtual ~TStrings() = default;
  TStrings(const TStrings&) = delete;
  TStrings& operator=(const TStrings&) = delete;

  // --- What a concrete list provides ---
  virtual std::wstring Get(int index) const = 0;
  virtual void Put(int index, const std::wstring& s);  // default: delete and insert, keeping the object
  virtual void* GetObject(int index) const { return nullptr; }
  virtual void PutObject(int index, void* object) {}
  virtual int GetCount() const = 0;
  virtual void Insert(int index, const std::wstring& s) = 0;
  virtual void Delete(int index) = 0;
  virtual void Clear();

  // --- Searching and adding; a list may replace any of these with a faster form ---
  virtual int Add(const std::wstring& s);
  // Add for a string the caller is done with: a list that keeps its strings takes this one
  // over instead of copying it, which spares loading a large text one allocation per line.
  // A list that overrides Add must override this too, or it is bypassed here.
  virtual int AddMoved(std::wstring&& s) { return Add(s); }
  virtual int AddObject(const std::wstring& s, void* object);
  virtual void InsertObject(int index, const std::wstring& s, void* object);
  virtual int IndexOf(const std::wstring& s) const;
  virtual int IndexOfName(const std::wstring& name) const;
  virtual int IndexOfObject(void* object) const;
  virtual void Exchange(int index1, int index2);
  virtual void Move(int curIndex, int newIndex);
  // Negative, zero or positive; by default case-insensitive in the user's locale.
  virtual int CompareStrings(std::wstring_view s1, std::wstring_view s2) const;

  int Count() const { return GetCount(); }
  std::wstring operator[](int index) const { return Get(index); }
  void AddStrings(const TStrings& strings);  // strings and objects, in order
  void AddStrings(std::span<const std::wstring> strings);
  void AddStrings(std::initializer_list<std::wstring> strings) { AddStrings(std::span(strings.begin(), strings.size())); }
  void Assign(const TStrings& source);

  // Nested begin/end pairs; the list reports one change when the outermost pair ends.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const { return FUpdateCount; }

  // --- Name/value items: "name", separator, "value" ---
  wchar_t NameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(wchar_t c) { FNameValueSeparator = c; }
  // The text before the first separator; empty when the item has none.
  std::wstring Names(int index) const;
  // The text after the first separator; empty when the item has none.
  std::wstring ValueFromIndex(int index) const;
  std::wstring Values(const std::wstring& name) const;
  // An empty value deletes the item; a missing name is added at the end.
  void SetValue(const std::wstring& name, const std::wstring& value);

  // --- Text ---
  const std::wstring& LineBreak() const { return FLineBreak; }
  void SetLineBreak(std::wstring lineBreak) { FLineBreak = std::move(lineBreak); }
  // Every item followed by the line break.
  std::wstring Text() const;
  // Replaces the items by the lines of `text`: split at CR LF, CR or LF (at the line break
  // when it is not CR LF); a NUL character ends the text.
  void SetText(std::wstring_view text);

  // The encoding of the last load, or nullptr. A standard encoding is referenced, any
  // other is copied, so the caller may free its own.
  const TEncoding* Encoding() const { return FEncoding; }
  void SetEncoding(const TEncoding* encoding);
  bool WriteBOM() const { return FWriteBOM; }
  void SetWriteBOM(bool on) { FWriteBOM = on; }

  // --- Files and streams (nullptr encoding: detect a byte order mark, else ANSI) ---
  void LoadFromFile(const std::wstring& fileName) { LoadFromFile(fileName, nullptr); }
  virtual void LoadFromFile(const std::wstring& fileName, const TEncoding* encoding);
  void LoadFromStream(TStream& stream) { LoadFromStream(stream, nullptr); }
  virtual void LoadFromStream(TStream& stream, const TEncoding* encoding);
  virtual void SaveToFile(const std::wstring& fileName) { SaveToFile(fileName, FEncoding); }
  virtual void SaveToFile(const std::wstring& fileName, const TEncoding* encoding);
  void SaveToStream(TStream& stream) { SaveToStream(stream, FEncoding); }
  // With no encoding: the list's, else ANSI.
  virtual void SaveToStream(TStream& stream, const TEncoding* encoding);

  // Loads everything from the stream's position in one block. Unlike SetText, a NUL
  // character is kept as part of its line: a file is never cut short at one.
  void LoadWholeStream(TStream& stream, const TEncoding* encoding);

 protected:
  // Called with true when the outermost BeginUpdate starts and false when it ends.
  virtual void SetUpdateState(bool updating) {}
  // Replaces the items by the lines of `text`, split by the line break rule of SetText.
  void SetLines(std::wstring_view text);

 private:
  int FUpdateCount = 0;
  wchar_t FNameValueSeparator = L'=';
  std::wstring FLineBreak = L"\r\n";
  const TEncoding* FEncoding = nullptr;
  std::unique_ptr<TEncoding> FOwnedEncoding;
  bool FWriteBOM = true;
};

// BeginUpdate now, EndUpdate when the scope ends on any path. A change handler that throws
// while another exception is already on its way out is ignored, so the first cause wins.
class TUpdateScope {
 public:
  explicit TUpdateScope(TStrings& list) : FList(list), FExceptions(std::uncaught_exceptions()) { list.BeginUpdate(); }
  ~TUpdateScope() noexcept(false);
  TUpdateScope(const TUpdateScope&) = delete;
  TUpdateScope& operator=(const TUpdateScope&) = delete;

 private:
  TStrings& FList;
  int FExceptions;
};

enum class TDuplicates { dupIgnore, dupAccept, dupError };

class TStringList : public TStrings {
 public:
  TStringList() = default;

  std::wstring Get(int index) const override;
  void Put(int index, const std::wstring& s) override;
  void* GetObject(int index) const override;
  void PutObject(int index, void* object) override;
  int GetCount() const override { return static_cast<int>(FStrings.size()); }
  void Insert(int index, const std::wstring& s) override { InsertObject(index, s, nullptr); }
  void InsertObject(int index, const std::wstring& s, void* object) override;
  void Delete(int index) override;
  void Clear() override;
  int Add(const std::wstring& s) override { return AddObject(s, nullptr); }
  int AddMoved(std::wstring&& s) override;
  int AddObject(const std::wstring& s, void* object) override;
  int IndexOf(const std::wstring& s) const override;
  void Exchange(int index1, int index2) override;
  int CompareStrings(std::wstring_view s1, std::wstring_view s2) const override;

  // Direct access without a copy.
  const std::wstring& Strings(int index) const;

  // On a sorted list: true when `s` is present; `index` is where it is (the first of equal
  // items) or where it would be inserted.
  bool Find(std::wstring_view s, int& index) const;
  virtual void Sort();
  // Stable, by `compare(list, index1, index2)`.
  void CustomSort(const std::function<int(const TStringList&, int, int)>& compare);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool sorted);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates d) { FDuplicates = d; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool on);
  void Reserve(int capacity);

  std::function<void()> OnChanging;
  std::function<void()> OnChange;

 protected:
  void SetUpdateState(bool updating) override;
  void Changing();
  void Changed();

 private:
  void CheckIndex(int index, bool allowEnd = false) const;
  void InsertItem(int index, std::wstring s, void* object);
  // Where an added `s` goes; false when a sorted list ignores it as a duplicate (`index`
  // then names the item already there).
  bool PlaceForAdd(const std::wstring& s, int& index) const;
  [[noreturn]] void SortedListError() const;
  // Puts the items in the order of `order` (old indexes), objects with their strings.
  void Reorder(const std::vector<int>& order);

  // Most lists never hold an object (a loaded text: millions of lines), so the objects live
  // apart and exist only once one is set: FObjects is empty or as long as FStrings.
  std::vector<std::wstring> FStrings;
  std::vector<void*> FObjects;
  bool FSorted = false;
  TDuplicates FDuplicates = TDuplicates::dupIgnore;
  bool FCaseSensitive = false;
};

// The locale's comparisons (CompareStringW in the user's locale).
int AnsiCompareText(std::wstring_view s1, std::wstring_view s2);
int AnsiCompareStr(std::wstring_view s1, std::wstring_view s2);

}  // namespace hv
