// The operations on any list, run on THvStringList and on a list that keeps its strings
// elsewhere and searches in its own way.
#include <gtest/gtest.h>

#include "HvStringList.h"
#include "HvStringListOps.h"

using namespace hv;

namespace {

// A list with nothing but the abstract interface, whose search is exact and case-sensitive:
// the operations must follow its rule, not one of their own.
class ExactStrings : public TStrings {
 public:
  std::wstring Get(int index) const override { return FItems.at(index).first; }
  void* GetObject(int index) const override { return FItems.at(index).second; }
  void PutObject(int index, void* object) override { FItems.at(index).second = object; }
  int GetCount() const override { return static_cast<int>(FItems.size()); }
  void Insert(int index, const std::wstring& s) override { FItems.insert(FItems.begin() + index, {s, nullptr}); }
  void Delete(int index) override { FItems.erase(FItems.begin() + index); }
  int CompareStrings(std::wstring_view a, std::wstring_view b) const override { return a.compare(b); }

 private:
  std::vector<std::pair<std::wstring, void*>> FItems;
};

using Strings = std::vector<std::wstring>;

int objA, objB, objC;

}  // namespace

TEST(StringListOps, ContainsAndRemoveFollowTheListsOwnSearch) {
  THvStringList ignoring{L"Alpha", L"beta", L"alpha"};
  ExactStrings exact;
  exact.AddStrings({L"Alpha", L"beta", L"alpha"});

  EXPECT_TRUE(Contains(ignoring, L"ALPHA"));
  EXPECT_FALSE(Contains(exact, L"ALPHA"));

  EXPECT_TRUE(Remove(ignoring, L"alpha"));  // one item only: the first match
  EXPECT_EQ(ToArray(ignoring), (Strings{L"beta", L"alpha"}));
  EXPECT_TRUE(Remove(exact, L"alpha"));
  EXPECT_EQ(ToArray(exact), (Strings{L"Alpha", L"beta"}));
  EXPECT_FALSE(Remove(exact, L"gamma"));

  exact.PutObject(1, &objB);
  EXPECT_TRUE(RemoveObject(exact, &objB));
  EXPECT_FALSE(RemoveObject(exact, &objB));
  EXPECT_EQ(ToArray(exact), (Strings{L"Alpha"}));
}

TEST(StringListOps, AddStringsIfNew) {
  THvStringList list;
  AddStringsIfNew(list, {L"x", L"y", L"x"});
  EXPECT_EQ(ToArray(list), (Strings{L"x", L"y"}));

  THvStringList upper{L"ABC"};
  AddStringsIfNew(upper, {L"abc", L"abc"});
  EXPECT_EQ(ToArray(upper), (Strings{L"ABC"}));

  // From another list: objects come along with the strings that are added.
  THvStringList source;
  source.AddObject(L"abc", &objA);
  source.AddObject(L"new", &objB);
  source.AddObject(L"NEW", &objC);
  AddStringsIfNew(upper, source);
  EXPECT_EQ(ToArray(upper), (Strings{L"ABC", L"new"}));
  EXPECT_EQ(upper.GetObject(1), &objB);

  ExactStrings exact;
  exact.Add(L"ABC");
  AddStringsIfNew(exact, {L"abc", L"ABC"});
  EXPECT_EQ(ToArray(exact), (Strings{L"ABC", L"abc"}));
}

TEST(StringListOps, AddIfNotBlankKeepsSpaces) {
  ExactStrings list;
  Add_IfNotBlank(list, L"");
  Add_IfNotBlank(list, L"  ");
  EXPECT_EQ(ToArray(list), (Strings{L"  "}));
}

TEST(StringListOps, AddObjectIfUniqueSeparatesRepeatedStrings) {
  THvStringList unique, tracker;
  AddObject_IfUnique(unique, L"p", &objA, tracker);
  AddObject_IfUnique(unique, L"q", &objB, tracker);
  AddObject_IfUnique(unique, L"P", &objC, tracker);
  AddObject_IfUnique(unique, L"p", &objB, tracker);
  EXPECT_EQ(ToArray(unique), (Strings{L"q"}));
  EXPECT_EQ(ToArray(tracker), (Strings{L"p", L"P", L"p"}));
  EXPECT_EQ(tracker.GetObject(0), &objA);
  EXPECT_EQ(tracker.GetObject(1), &objC);
}

TEST(StringListOps, EqualsStringsAndObjectsIsExact) {
  THvStringList a{L"x", L"y"}, b{L"x", L"y"};
  EXPECT_TRUE(EqualsStringsAndObjects(a, b));
  b.PutObject(1, &objA);
  EXPECT_FALSE(EqualsStringsAndObjects(a, b));
  THvStringList upper{L"x", L"Y"};
  EXPECT_FALSE(EqualsStringsAndObjects(a, upper));  // the lists' case rule does not apply
  THvStringList shorter{L"x"};
  EXPECT_FALSE(EqualsStringsAndObjects(a, shorter));
}

TEST(StringListOps, SortByValuesKeepsEveryItemAndItsObject) {
  THvStringList list;
  list.AddObject(L"k1=b", &objA);
  list.AddObject(L"k2=a", &objB);
  list.AddObject(L"k3=b", &objC);  // same value as k1
  list.Add(L"=c");                 // empty name
  list.Add(L"bare");               // no separator: empty value
  SortByValues(list);
  EXPECT_EQ(ToArray(list), (Strings{L"bare", L"k2=a", L"k1=b", L"k3=b", L"=c"}));
  EXPECT_EQ(list.GetObject(1), &objB);
  EXPECT_EQ(list.GetObject(2), &objA);
  EXPECT_EQ(list.GetObject(3), &objC);
}

TEST(StringListOps, SortByValuesRejectsAValueWithTheSeparatorAndLeavesTheList) {
  THvStringList list{L"k2=a", L"k1=x=y"};
  try {
    SortByValues(list);
    FAIL() << "no assertion";
  } catch (const EAssertionFailed& e) {
    EXPECT_EQ(e.Message().rfind(L"The item contained an equals sign \"x=y\" (", 0), 0u) << e.Message();
  }
  EXPECT_EQ(ToArray(list), (Strings{L"k2=a", L"k1=x=y"}));
}

TEST(StringListOps, TrimAndRemoveEmpty) {
  ExactStrings list;
  list.AddStrings({L" a ", L"b", L"\t\r\n", L"", L"c\x01", L"d e"});
  TrimEachString(list);
  EXPECT_EQ(ToArray(list), (Strings{L"a", L"b", L"", L"", L"c", L"d e"}));
  RemoveEmptyStrings(list);
  EXPECT_EQ(ToArray(list), (Strings{L"a", L"b", L"c", L"d e"}));
}

TEST(StringListOps, ReorderBasedOnMovesPatternItemsFirst) {
  struct Case {
    Strings list, pattern, expected;
  } cases[] = {
      {{L"b", L"a", L"c"}, {L"c", L"a"}, {L"c", L"a", L"b"}},
      {{L"b", L"a", L"c"}, {L"z", L"A"}, {L"a", L"b", L"c"}},
      {{L"b", L"a", L"c"}, {}, {L"b", L"a", L"c"}},
      {{L"d", L"c", L"b", L"a"}, {L"a", L"b"}, {L"a", L"b", L"d", L"c"}},
  };
  for (size_t k = 0; k < std::size(cases); ++k) {
    THvStringList list;
    list.AddStrings(cases[k].list);
    ReorderBasedOn(list, cases[k].pattern);
    EXPECT_EQ(ToArray(list), cases[k].expected) << "case " << k;
  }
  THvStringList withObjects;
  withObjects.AddObject(L"b", &objB);
  withObjects.AddObject(L"a", &objA);
  THvStringList pattern{L"a"};
  ReorderBasedOn(withObjects, pattern);
  EXPECT_EQ(withObjects.GetObject(0), &objA);
}
