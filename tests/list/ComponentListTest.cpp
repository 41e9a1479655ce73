#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "HvLXComponentList.h"

namespace {

using hv::TComponent;
using hv::THvComponentList;
using hv::TListNotification;

struct Recorder {
  std::vector<std::pair<void*, TListNotification>> events;
  hv::TListNotifyEvent Handler() {
    return [this](void* obj, TListNotification action) { events.emplace_back(obj, action); };
  }
};

TEST(HvComponentList, ReportsEveryChangeInOrder) {
  Recorder rec;
  TComponent a, b, c;
  THvComponentList list(false);
  list.SetOnNotify(rec.Handler());
  list.Add(&a);
  list.Insert(0, &b);
  list.Add(&c);
  EXPECT_EQ(list.Extract(&a), &a);
  list.Remove(&b);
  list.Delete(0);
  using enum TListNotification;
  const std::vector<std::pair<void*, TListNotification>> expected = {
      {&a, lnAdded}, {&b, lnAdded}, {&c, lnAdded}, {&a, lnExtracted}, {&b, lnDeleted}, {&c, lnDeleted}};
  EXPECT_EQ(rec.events, expected);
  EXPECT_EQ(list.Count(), 0);
}

TEST(HvComponentList, ForgetsEveryCopyOfADestroyedComponent) {
  Recorder rec;
  TComponent keep;
  THvComponentList list(false);
  list.SetOnNotify(rec.Handler());
  auto* doomed = new TComponent;
  list.Add(doomed);
  list.Add(&keep);
  list.Add(doomed);
  list.Delete(2);  // one copy gone by hand: the list must still hear of the destruction
  rec.events.clear();
  delete doomed;
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Items(0), &keep);
  ASSERT_EQ(rec.events.size(), 1u);
  EXPECT_EQ(rec.events[0].second, TListNotification::lnExtracted);
}

TEST(HvComponentList, StopsListeningOnceAComponentLeaves) {
  Recorder rec;
  auto* c = new TComponent;
  {
    THvComponentList list(false);
    list.SetOnNotify(rec.Handler());
    list.Add(c);
    list.Extract(c);
    delete c;  // no longer listed: no event, no access to the gone list entry
    EXPECT_EQ(rec.events.size(), 2u);
    c = new TComponent;
    list.Add(c);
  }
  // The list is gone before the component: destroying it must not reach the dead list.
  EXPECT_EQ(rec.events.back().second, TListNotification::lnDeleted);
  delete c;
}

TEST(HvComponentList, OwningListDestroysItemsOnceEvenWhenListedTwice) {
  struct Counted : TComponent {
    explicit Counted(int& n) : count(n) {}
    ~Counted() override { ++count; }
    int& count;
  };
  int destroyed = 0;
  {
    THvComponentList list(true);
    auto* item = new Counted(destroyed);
    list.Add(item);
    list.Add(new Counted(destroyed));
    list.Add(item);
    list.Delete(0);  // destroys it; its other copy must leave with it
    EXPECT_EQ(destroyed, 1);
    EXPECT_EQ(list.Count(), 1);
  }
  EXPECT_EQ(destroyed, 2);
}

TEST(HvComponentList, ComponentOwnedElsewhereLeavesWithItsOwner) {
  THvComponentList list(false);
  auto* form = new TComponent;
  auto* button = new TComponent(form);
  list.Add(button);
  list.Add(form);
  delete form;
  EXPECT_EQ(list.Count(), 0);
}

}  // namespace
