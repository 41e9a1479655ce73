// THvList<T>: the library's generic list. Besides a plain growable list it has a sorted mode
// (binary search, inserts that keep the order) and guards that keep a sorted list from being
// reordered by hand. The list is its own comparer: a descendant changes the order of sorting
// and searching by overriding Compare alone.
#pragma once

#include <algorithm>
#include <compare>
#include <cstdint>
#include <functional>
#include <iterator>
#include <utility>
#include <vector>

#include "HvExceptions.h"

namespace hv {

template <class T>
class IComparer {
 public:
  virtual ~IComparer() = default;
  // Negative, zero or positive as left sorts before, with or after right.
  virtual int Compare(const T& left, const T& right) const = 0;
};

// A comparer made from a function, for one-off orders (CustomSort).
template <class T>
class TDelegatedComparer : public IComparer<T> {
 public:
  explicit TDelegatedComparer(std::function<int(const T&, const T&)> compare) : FCompare(std::move(compare)) {}
  int Compare(const T& left, const T& right) const override { return FCompare(left, right); }

 private:
  std::function<int(const T&, const T&)> FCompare;
};

// The natural order of a type: numeric for numbers, address order for pointers, ordinal for
// strings.
template <class T>
int DefaultCompare(const T& left, const T& right) {
  auto order = std::compare_three_way{}(left, right);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

[[noreturn]] inline void RaiseListArgumentOutOfRange() {
  throw EArgumentOutOfRangeException(L"Argument out of range");
}

template <class T>
class THvList : public IComparer<T> {
 public:
  using const_iterator = typename std::vector<T>::const_iterator;

  THvList() = default;
  explicit THvList(int capacity) {
    if (capacity != 0) SetCapacity(capacity);
  }
  explicit THvList(const std::vector<T>& items) : THvList(static_cast<int>(items.size())) {
    AddArray(items, true);
  }
  THvList(const THvList&) = delete;
  THvList& operator=(const THvList&) = delete;
  THvList(THvList&&) noexcept = default;
  THvList& operator=(THvList&&) noexcept = default;
  ~THvList() override = default;

  int Compare(const T& left, const T& right) const override { return DefaultCompare(left, right); }

  int Count() const { return static_cast<int>(FItemList.size()); }
  bool Sorted() const { return FSortedMode; }
  // Turning sorted mode on sorts once; turning it off keeps the present order.
  void SetSorted(bool value) {
    if (value == FSortedMode) return;
    FSortedMode = value;
    if (value) SortBy(*this);
  }
  int Capacity() const { return static_cast<int>(FItemList.capacity()); }
  // Below Count the request is refused rather than dropping items.
  void SetCapacity(int value) {
    if (value < Count()) RaiseListArgumentOutOfRange();
    if (static_cast<std::size_t>(value) > FItemList.capacity()) {
      FItemList.reserve(static_cast<std::size_t>(value));
    } else if (static_cast<std::size_t>(value) < FItemList.capacity()) {
      std::vector<T> smaller;
      smaller.reserve(static_cast<std::size_t>(value));
      std::move(FItemList.begin(), FItemList.end(), std::back_inserter(smaller));
      FItemList.swap(smaller);
    }
  }

  const T& Items(int index) const { return FItemList[CheckedIndex(index)]; }
  const T& operator[](int index) const { return Items(index); }
  // Replaces in place, also in a sorted list: the caller answers for the order.
  void SetItems(int index, T value) { FItemList[CheckedIndex(index)] = std::move(value); }

  const_iterator begin() const { return FItemList.begin(); }
  const_iterator end() const { return FItemList.end(); }

  // Sorted: inserted before any equal items. Answers the index of the new item.
  int Add(const T& item) {
    if (FSortedMode) {
      int index = 0;
      Find(item, index);
      FItemList.insert(FItemList.begin() + index, item);
      return index;
    }
    FItemList.push_back(item);
    return Count() - 1;
  }
  void AddIfNotExists(const T& item) {
    if (!Contains(item)) Add(item);
  }
  void AddList(const THvList& list) {
    // A copy first, so that adding a list to itself ends.
    for (const T& item : list.ToArray()) Add(item);
  }
  template <class Range>
  void AddRange(const Range& values) {
    for (const auto& value : values) Add(value);
  }
  void AddArray(const std::vector<T>& values, bool allowDuplicates) {
    for (const T& value : values) {
      if (allowDuplicates || IndexOf(value) == -1) Add(value);
    }
  }

  void Insert(int index, const T& item) {
    if (FSortedMode) throw EHvGeneralError(L"Cannot insert into sorted list.");
    if (index < 0 || index > Count()) RaiseListArgumentOutOfRange();
    FItemList.insert(FItemList.begin() + index, item);
  }
  void Delete(int index) { FItemList.erase(FItemList.begin() + CheckedIndex(index)); }
  void Clear() { FItemList.clear(); }

  // Replaces the first equal item in place; a sorted list may be left out of order.
  void ChangeValue(const T& value, const T& newValue) {
    int index = IndexOf(value);
    if (index != -1) FItemList[index] = newValue;
  }
  // Removes the first equal item only.
  void Remove(const T& value) {
    int index = IndexOf(value);
    if (index != -1) Delete(index);
  }
  // One removal per element, so a value given twice removes two occurrences.
  void Remove(const std::vector<T>& values) {
    for (const T& value : values) Remove(value);
  }
  void DeleteValue(const T& value) { Remove(value); }

  void Exchange(int index1, int index2) {
    if (FSortedMode) throw EHvInternalError(L"Internal Error: Cannot exhange items in a sorted list.");
    std::swap(FItemList[CheckedIndex(index1)], FItemList[CheckedIndex(index2)]);
  }
  void Move(int curIndex, int newIndex) {
    if (FSortedMode) throw EHvInternalError(L"Internal Error: Cannot move items in a sorted list.");
    CheckedIndex(curIndex);
    CheckedIndex(newIndex);
    if (curIndex == newIndex) return;
    T item = std::move(FItemList[curIndex]);
    FItemList.erase(FItemList.begin() + curIndex);
    FItemList.insert(FItemList.begin() + newIndex, std::move(item));
  }

  // Sorts by another order without touching Sorted.
  void CustomSort(const IComparer<T>& comparer) { SortBy(comparer); }

  const T& Last() const { return Items(Count() - 1); }

  // Same count and Compare answers 0 at every index.
  bool Equals(const THvList& other) const {
    if (Count() != other.Count()) return false;
    for (int i = 0; i < Count(); ++i) {
      if (Compare(FItemList[i], other.FItemList[i]) != 0) return false;
    }
    return true;
  }

  // Binary search by Compare. `index` receives the leftmost equal item, or where `item` would
  // be inserted. Meaningful only while the list is sorted.
  bool Find(const T& item, int& index) const {
    int low = 0;
    int high = Count();
    while (low < high) {
      int middle = low + (high - low) / 2;
      if (Compare(FItemList[middle], item) < 0)
        low = middle + 1;
      else
        high = middle;
    }
    index = low;
    return low < Count() && Compare(FItemList[low], item) == 0;
  }
  // Sorted: by Find; unsorted: the first item equal in the type's natural order.
  int IndexOf(const T& item) const {
    if (FSortedMode) {
      int index = 0;
      return Find(item, index) ? index : -1;
    }
    for (int i = 0; i < Count(); ++i) {
      if (DefaultCompare(FItemList[i], item) == 0) return i;
    }
    return -1;
  }
  bool Contains(const T& item) const { return IndexOf(item) != -1; }

  void Assign(const std::vector<T>& values) {
    FItemList = values;
    if (FSortedMode) SortBy(*this);
  }
  void Assign(const THvList& list) { Assign(list.ToArray()); }
  std::vector<T> ToArray() const { return FItemList; }

  // The items from `index` on, at most `count` of them. An index equal to Count gives an empty
  // answer; one beyond it is out of range.
  std::vector<T> GetRange(int index, int count) const {
    if (index < 0) throw EHvInternalError(L"Internal Error: Index was negative.");
    if (count < 0) throw EHvInternalError(L"Internal Error: Count was negative.");
    if (index > Count()) RaiseListArgumentOutOfRange();
    std::int64_t last = std::min<std::int64_t>(std::int64_t{index} + count - 1, Count() - 1);
    if (last < index) return {};
    return std::vector<T>(FItemList.begin() + index, FItemList.begin() + static_cast<int>(last) + 1);
  }

  // Keeps only the items that occur in `values`.
  void FilterBy(const std::vector<T>& values) {
    THvList keep;
    keep.SetSorted(true);
    keep.AddArray(values, true);
    for (int i = Count() - 1; i >= 0; --i) {
      if (!keep.Contains(FItemList[i])) Delete(i);
    }
  }

  // Whether the two arrays hold the same values, ignoring order and repetitions.
  static bool SameArraysWhenSorted(const std::vector<T>& a, const std::vector<T>& b) {
    THvList left, right;
    left.SetSorted(true);
    right.SetSorted(true);
    left.AddArray(a, false);
    right.AddArray(b, false);
    return left.Equals(right);
  }

 private:
  int CheckedIndex(int index) const {
    if (index < 0 || index >= Count()) RaiseListArgumentOutOfRange();
    return index;
  }
  void SortBy(const IComparer<T>& comparer) {
    std::stable_sort(FItemList.begin(), FItemList.end(),
                     [&comparer](const T& a, const T& b) { return comparer.Compare(a, b) < 0; });
  }

  std::vector<T> FItemList;
  bool FSortedMode = false;
};

}  // namespace hv
