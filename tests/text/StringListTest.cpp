// The in-memory lists: order, sorted mode, duplicates, case rule, name/value items, text.
#include <gtest/gtest.h>

#include "HvStringList.h"
#include "HvStringListOps.h"

using namespace hv;

namespace {

std::vector<std::wstring> Items(const TStrings& list) { return ToArray(list); }

}  // namespace

TEST(StringList, SortedListKeepsOrderAndFindsWithTheLocaleCaseRule) {
  THvStringList list;
  list.SetSorted(true);
  for (const wchar_t* s : {L"pear", L"Apple", L"banana", L"apple", L"Cherry"}) list.Add(s);
  // dupIgnore: "apple" matched "Apple" (case-insensitive) and was not added.
  EXPECT_EQ(Items(list), (std::vector<std::wstring>{L"Apple", L"banana", L"Cherry", L"pear"}));
  EXPECT_EQ(list.IndexOf(L"CHERRY"), 2);
  EXPECT_EQ(list.IndexOf(L"cherries"), -1);
  int index = -1;
  EXPECT_FALSE(list.Find(L"blueberry", index));
  EXPECT_EQ(index, 2);  // where it would go

  list.SetCaseSensitive(true);
  list.Add(L"apple");
  EXPECT_EQ(list.Count(), 5);
  EXPECT_EQ(list.IndexOf(L"APPLE"), -1);
}

TEST(StringList, DuplicatesPolicyOnSortedList) {
  THvStringList accept;
  accept.SetSorted(true);
  accept.SetDuplicates(TDuplicates::dupAccept);
  void* first = &accept;
  accept.AddObject(L"x", first);
  accept.Add(L"X");
  EXPECT_EQ(accept.Count(), 2);
  EXPECT_EQ(accept.IndexOf(L"x"), 0);

  THvStringList error;
  error.SetSorted(true);
  error.SetDuplicates(TDuplicates::dupError);
  error.Add(L"x");
  EXPECT_THROW(error.Add(L"x"), EStringListError);
  EXPECT_EQ(error.Count(), 1);
}

TEST(StringList, SortedListRefusesPositionalChangesAndBadIndexes) {
  THvStringList list{L"b", L"a"};
  list.SetSorted(true);
  EXPECT_EQ(Items(list), (std::vector<std::wstring>{L"a", L"b"}));
  try {
    list.Insert(0, L"z");
    FAIL() << "insert into a sorted list";
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), L"Operation not allowed on sorted list");
  }
  try {
    list.Delete(2);
    FAIL() << "index past the end";
  } catch (const EStringListError& e) {
    EXPECT_EQ(e.Message(), L"List index out of bounds (2)");
  }
}

// Objects are kept apart from the strings and only once one is set, so every change of
// order must carry them along, whether the first object arrived before or after the change.
TEST(StringList, ObjectsStayWithTheirStrings) {
  int a = 0, b = 0, c = 0, d = 0;
  // Each item's object is tagged by its string, so any mismatch after a change shows.
  auto tagged = [&](const TStringList& list) {
    std::vector<std::wstring> pairs;
    for (int i = 0; i < list.Count(); ++i) {
      void* o = list.GetObject(i);
      const wchar_t* tag = o == &a ? L"a" : o == &b ? L"b" : o == &c ? L"c" : o == &d ? L"d" : o ? L"?" : L"-";
      pairs.push_back(list.Strings(i) + L":" + tag);
    }
    return pairs;
  };
  using Pairs = std::vector<std::wstring>;

  THvStringList plain{L"x", L"y"};
  EXPECT_EQ(tagged(plain), (Pairs{L"x:-", L"y:-"}));
  plain.PutObject(1, nullptr);  // clearing an object that was never set
  EXPECT_EQ(tagged(plain), (Pairs{L"x:-", L"y:-"}));

  THvStringList list{L"d", L"b"};
  list.PutObject(0, &d);  // the first object, on a list that already has items
  list.InsertObject(1, L"c", &c);
  list.Insert(0, L"n");
  list.AddObject(L"a", &a);
  EXPECT_EQ(tagged(list), (Pairs{L"n:-", L"d:d", L"c:c", L"b:-", L"a:a"}));
  list.PutObject(3, &b);
  list.Exchange(0, 4);
  EXPECT_EQ(tagged(list), (Pairs{L"a:a", L"d:d", L"c:c", L"b:b", L"n:-"}));
  list.Delete(2);
  list.Put(0, L"A");  // a new string keeps its object
  EXPECT_EQ(tagged(list), (Pairs{L"A:a", L"d:d", L"b:b", L"n:-"}));
  list.Sort();
  EXPECT_EQ(tagged(list), (Pairs{L"A:a", L"b:b", L"d:d", L"n:-"}));
  list.CustomSort([](const TStringList& l, int i, int j) { return -l.CompareStrings(l.Strings(i), l.Strings(j)); });
  EXPECT_EQ(tagged(list), (Pairs{L"n:-", L"d:d", L"b:b", L"A:a"}));

  // A sorted list places an added item, object and all, by its string.
  THvStringList sorted;
  sorted.SetSorted(true);
  sorted.Add(L"m");
  sorted.AddObject(L"z", &d);
  sorted.AddObject(L"a", &a);
  sorted.AddObject(L"A", &b);  // a duplicate: ignored, the first keeps its object
  EXPECT_EQ(tagged(sorted), (Pairs{L"a:a", L"m:-", L"z:d"}));

  list.Clear();
  list.Add(L"fresh");
  EXPECT_EQ(tagged(list), (Pairs{L"fresh:-"}));
}

TEST(StringList, NameValueItems) {
  THvStringList list{L"a=1", L"b=2=3", L"novalue", L"=x"};
  EXPECT_EQ(list.Names(1), L"b");
  EXPECT_EQ(list.ValueFromIndex(1), L"2=3");
  EXPECT_EQ(list.Names(2), L"");
  EXPECT_EQ(list.ValueFromIndex(2), L"");  // no separator: no value, not the text minus one letter
  EXPECT_EQ(list.Values(L"A"), L"1");
  EXPECT_EQ(list.IndexOfName(L"novalue"), -1);
  EXPECT_EQ(list.IndexOfName(L""), 3);

  list.SetValue(L"c", L"9");
  EXPECT_EQ(list.Get(list.Count() - 1), L"c=9");
  list.SetValue(L"a", L"7");
  EXPECT_EQ(list.Get(0), L"a=7");
  list.SetValue(L"a", L"");
  EXPECT_EQ(list.IndexOfName(L"a"), -1);
}

TEST(StringList, IndexOfNameOnSortedListUsesTheNamePrefix) {
  THvStringList list;
  list.SetSorted(true);
  list.AddStrings({L"ab=2", L"a=1", L"b"});
  struct Case {
    const wchar_t* name;
    int expected;
  } cases[] = {{L"a", 0}, {L"A", 0}, {L"ab", 1}, {L"b", -1}, {L"c", -1}, {L"", -1}};
  for (const Case& c : cases) EXPECT_EQ(list.IndexOfName(c.name), c.expected) << "name " << testing::PrintToString(std::wstring(c.name));
}

TEST(StringList, TextJoinsWithLineBreakAndSplitsAtEveryLineEnd) {
  THvStringList list;
  list.SetText(L"x\ry\nz\r\n\r\nlast");
  EXPECT_EQ(Items(list), (std::vector<std::wstring>{L"x", L"y", L"z", L"", L"last"}));
  EXPECT_EQ(list.Text(), L"x\r\ny\r\nz\r\n\r\nlast\r\n");

  list.SetText(std::wstring(L"one\r\ntwo\0three\r\n", 16));
  EXPECT_EQ(Items(list), (std::vector<std::wstring>{L"one", L"two"}));  // NUL ends assigned text

  list.SetLineBreak(L"|");
  list.SetText(L"a|b\r\nc");
  EXPECT_EQ(Items(list), (std::vector<std::wstring>{L"a", L"b\r\nc"}));
  EXPECT_EQ(list.Text(), L"a|b\r\nc|");
}

TEST(StringList, UpdatesReportOneChangeWhenTheOutermostPairEnds) {
  THvStringList list;
  int changes = 0;
  list.OnChange = [&] { ++changes; };
  list.Add(L"a");
  EXPECT_EQ(changes, 1);
  list.BeginUpdate();
  list.BeginUpdate();
  list.Add(L"b");
  list.Add(L"c");
  list.EndUpdate();
  EXPECT_EQ(changes, 1);
  list.EndUpdate();
  EXPECT_EQ(changes, 2);
}
