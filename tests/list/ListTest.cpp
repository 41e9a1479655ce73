#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "HvLXList.h"

namespace {

using hv::THvList;
using Int64List = THvList<std::int64_t>;
using Values = std::vector<std::int64_t>;

Int64List SortedList(const Values& values = {}) {
  Int64List list;
  list.SetSorted(true);
  for (auto v : values) list.Add(v);
  return list;
}

// Orders by the last digit only, so equal items can be told apart by their full value.
class LastDigitList : public THvList<std::int64_t> {
 public:
  int Compare(const std::int64_t& left, const std::int64_t& right) const override {
    return hv::DefaultCompare(left % 10, right % 10);
  }
};

TEST(HvList, SortedAddAnswersInsertPositionsAndKeepsOrder) {
  Int64List list;
  list.SetSorted(true);
  EXPECT_EQ(list.Add(5), 0);
  EXPECT_EQ(list.Add(1), 0);
  EXPECT_EQ(list.Add(3), 1);
  EXPECT_EQ(list.ToArray(), (Values{1, 3, 5}));
  EXPECT_EQ(list.Add(9), 3);
}

TEST(HvList, EqualItemGoesBeforeExistingOnesAndFindAnswersTheLeftmost) {
  LastDigitList list;
  list.SetSorted(true);
  for (std::int64_t v : {12, 22, 5, 32}) list.Add(v);
  // 32 was added last among the items ending in 2, so it stands first of them.
  EXPECT_EQ(list.ToArray(), (Values{32, 22, 12, 5}));
  int index = -1;
  EXPECT_TRUE(list.Find(2, index));
  EXPECT_EQ(index, 0);
  EXPECT_EQ(list.IndexOf(42), 0);  // found through the overridden Compare
  EXPECT_FALSE(list.Find(7, index));
  EXPECT_EQ(index, 4);
  EXPECT_EQ(list.IndexOf(7), -1);
}

TEST(HvList, SortedGuardsRaiseTheirClassesAndLeaveTheListAlone) {
  Int64List list = SortedList({1, 2, 3});
  try {
    list.Insert(0, 9);
    FAIL() << "Insert into a sorted list was accepted";
  } catch (const hv::EHvGeneralError& e) {
    EXPECT_EQ(e.Message(), L"Cannot insert into sorted list.");
  }
  try {
    list.Exchange(0, 2);
    FAIL() << "Exchange in a sorted list was accepted";
  } catch (const hv::EHvInternalError& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: Cannot exhange items in a sorted list.");
  }
  try {
    list.Move(0, 2);
    FAIL() << "Move in a sorted list was accepted";
  } catch (const hv::EHvInternalError& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: Cannot move items in a sorted list.");
  }
  EXPECT_EQ(list.ToArray(), (Values{1, 2, 3}));
}

TEST(HvList, UnsortedReorderingOperations) {
  Int64List list(Values{1, 2, 3, 4});
  list.Insert(4, 5);
  list.Insert(0, 0);
  list.Exchange(0, 5);
  EXPECT_EQ(list.ToArray(), (Values{5, 1, 2, 3, 4, 0}));
  list.Move(0, 4);
  EXPECT_EQ(list.ToArray(), (Values{1, 2, 3, 4, 5, 0}));
  list.Move(5, 0);
  EXPECT_EQ(list.ToArray(), (Values{0, 1, 2, 3, 4, 5}));
}

TEST(HvList, IndexErrorsAreArgumentOutOfRange) {
  Int64List empty;
  Int64List three(Values{1, 2, 3});
  const std::vector<std::pair<const char*, std::function<void()>>> cases = {
      {"Last on empty", [&] { empty.Last(); }},
      {"Items(-1)", [&] { three.Items(-1); }},
      {"Items(Count)", [&] { three.Items(3); }},
      {"SetItems(Count)", [&] { three.SetItems(3, 0); }},
      {"Delete(Count)", [&] { three.Delete(3); }},
      {"Insert(Count + 1)", [&] { three.Insert(4, 0); }},
      {"Exchange(0, Count)", [&] { three.Exchange(0, 3); }},
      {"Move(-1, 0)", [&] { three.Move(-1, 0); }},
      {"GetRange(Count + 1, 0)", [&] { three.GetRange(4, 0); }},
      {"Capacity below Count", [&] { three.SetCapacity(2); }},
  };
  for (const auto& [name, call] : cases) {
    try {
      call();
      ADD_FAILURE() << name << " raised nothing";
    } catch (const hv::EArgumentOutOfRangeException& e) {
      EXPECT_EQ(e.Message(), L"Argument out of range") << name;
    }
  }
  EXPECT_EQ(three.ToArray(), (Values{1, 2, 3}));
}

TEST(HvList, ChangeValueDoesNotResortSoFindMayMiss) {
  Int64List list = SortedList({1, 3, 5, 7});
  list.ChangeValue(3, 9);
  EXPECT_EQ(list.ToArray(), (Values{1, 9, 5, 7}));
  EXPECT_EQ(list.IndexOf(9), -1);
  list.ChangeValue(4, 100);  // absent: nothing changes
  EXPECT_EQ(list.ToArray(), (Values{1, 9, 5, 7}));
}

TEST(HvList, RemoveTakesOneOccurrencePerValue) {
  Int64List list(Values{4, 1, 4, 2, 4});
  list.Remove(4);
  EXPECT_EQ(list.ToArray(), (Values{1, 4, 2, 4}));
  list.Remove(Values{4, 4, 7});
  EXPECT_EQ(list.ToArray(), (Values{1, 2}));
  list.DeleteValue(1);
  EXPECT_EQ(list.ToArray(), (Values{2}));
}

TEST(HvList, AddArrayWithAndWithoutDuplicates) {
  struct Case {
    bool sorted;
    Values start, added;
    bool allowDuplicates;
    Values expected;
  };
  const Case cases[] = {
      {false, {}, {2, 2, 3}, false, {2, 3}},
      {false, {}, {2, 2, 3}, true, {2, 2, 3}},
      {false, {3}, {2, 3, 1}, false, {3, 2, 1}},
      {true, {5}, {9, 1, 5, 1}, false, {1, 5, 9}},
      {true, {5}, {9, 1, 5}, true, {1, 5, 5, 9}},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    Int64List list;
    list.Assign(c.start);
    list.SetSorted(c.sorted);
    list.AddArray(c.added, c.allowDuplicates);
    EXPECT_EQ(list.ToArray(), c.expected) << "case " << i;
  }
}

TEST(HvList, AddIfNotExistsAndAddListKeepTheMode) {
  Int64List list = SortedList({4});
  list.AddIfNotExists(4);
  list.AddIfNotExists(2);
  Int64List other(Values{8, 0});
  list.AddList(other);
  EXPECT_EQ(list.ToArray(), (Values{0, 2, 4, 8}));
  list.AddList(list);  // adding itself doubles it once, it does not run away
  EXPECT_EQ(list.ToArray(), (Values{0, 0, 2, 2, 4, 4, 8, 8}));
  list.AddRange(std::vector<std::int64_t>{3});
  EXPECT_EQ(list.IndexOf(3), 4);
}

TEST(HvList, AssignReplacesAndSortsOnlyInSortedMode) {
  Int64List list(Values{7});
  list.Assign(Values{3, 1, 2});
  EXPECT_EQ(list.ToArray(), (Values{3, 1, 2}));
  Int64List sorted = SortedList({7});
  sorted.Assign(list);
  EXPECT_EQ(sorted.ToArray(), (Values{1, 2, 3}));
  EXPECT_EQ(list.ToArray(), (Values{3, 1, 2}));
}

TEST(HvList, GetRange) {
  Int64List list(Values{10, 20, 30});
  struct Case {
    int index, count;
    Values expected;
  };
  const Case cases[] = {
      {1, 10, {20, 30}}, {3, 1, {}}, {0, 0, {}}, {0, 3, {10, 20, 30}}, {2, 1, {30}}, {1, 2147483647, {20, 30}},
  };
  for (const Case& c : cases)
    EXPECT_EQ(list.GetRange(c.index, c.count), c.expected) << c.index << ", " << c.count;

  try {
    list.GetRange(-1, 1);
    FAIL();
  } catch (const hv::EHvInternalError& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: Index was negative.");
  }
  try {
    list.GetRange(0, -1);
    FAIL();
  } catch (const hv::EHvInternalError& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: Count was negative.");
  }
}

TEST(HvList, FilterByKeepsOnlyListedValuesInPlace) {
  Int64List list(Values{5, 1, 5, 3, 9});
  list.FilterBy(Values{9, 5, 5, 42});
  EXPECT_EQ(list.ToArray(), (Values{5, 5, 9}));
  list.FilterBy({});
  EXPECT_EQ(list.Count(), 0);
}

TEST(HvList, SameArraysWhenSortedComparesAsSets) {
  struct Case {
    Values a, b;
    bool same;
  };
  const Case cases[] = {
      {{1, 1, 2}, {2, 1}, true}, {{1, 2}, {1, 3}, false}, {{}, {}, true}, {{1}, {}, false}, {{3, 2, 1}, {1, 2, 3, 3}, true},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(Int64List::SameArraysWhenSorted(cases[i].a, cases[i].b), cases[i].same) << "case " << i;
}

TEST(HvList, SetSortedSortsOnceAndOffKeepsOrder) {
  LastDigitList list;
  list.Assign(Values{21, 13, 11, 2});
  list.SetSorted(true);
  EXPECT_EQ(list.ToArray(), (Values{21, 11, 2, 13}));  // equal keys keep their order
  list.SetItems(0, 99);                                 // out of order on purpose
  list.SetSorted(true);                                 // unchanged: no second sort
  EXPECT_EQ(list.ToArray(), (Values{99, 11, 2, 13}));
  list.SetSorted(false);
  EXPECT_EQ(list.ToArray(), (Values{99, 11, 2, 13}));
  EXPECT_FALSE(list.Sorted());
}

TEST(HvList, CustomSortLeavesSortedModeAndEqualsUsesCompare) {
  Int64List list = SortedList({1, 2, 3});
  list.CustomSort(hv::TDelegatedComparer<std::int64_t>([](auto a, auto b) { return hv::DefaultCompare(b, a); }));
  EXPECT_EQ(list.ToArray(), (Values{3, 2, 1}));
  EXPECT_TRUE(list.Sorted());

  LastDigitList a, b;
  a.Assign(Values{11, 22});
  b.Assign(Values{1, 2});
  EXPECT_TRUE(a.Equals(b));
  b.Add(3);
  EXPECT_FALSE(a.Equals(b));
}

TEST(HvList, UnsortedIndexOfUsesNaturalOrderForPointersAndStrings) {
  int x = 0, y = 0;
  THvList<int*> pointers(std::vector<int*>{&y, &x, &y});
  EXPECT_EQ(pointers.IndexOf(&y), 0);
  EXPECT_EQ(pointers.IndexOf(nullptr), -1);
  pointers.SetSorted(true);
  EXPECT_TRUE(pointers.Contains(&x));

  THvList<std::wstring> words;
  words.SetSorted(true);
  for (const wchar_t* w : {L"pear", L"Apple", L"apple"}) words.Add(w);
  EXPECT_EQ(words.ToArray(), (std::vector<std::wstring>{L"Apple", L"apple", L"pear"}));
  EXPECT_EQ(words.IndexOf(L"APPLE"), -1);  // ordinal, not case-blind
}

TEST(HvList, CapacityConstructorAndEnumeration) {
  Int64List list(16);
  EXPECT_GE(list.Capacity(), 16);
  EXPECT_EQ(list.Count(), 0);
  list.Assign(Values{4, 5});
  list.SetCapacity(2);
  std::int64_t sum = 0;
  for (auto v : list) sum += v;
  EXPECT_EQ(sum, 9);
}

}  // namespace
