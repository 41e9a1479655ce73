#include "HvLXComponentList.h"

#include <algorithm>

#include "HvLXList.h"

namespace hv {

// The list's own component, through which it hears of the destruction of its items.
class TComponentList::TNexus : public TComponent {
 public:
  explicit TNexus(TComponentList& list) : FList(list) {}

 protected:
  void Notification(TComponent* component, TOperation operation) override {
    TComponent::Notification(component, operation);
    if (operation == TOperation::opRemove) FList.ComponentDestroyed(component);
  }

 private:
  TComponentList& FList;
};

TComponentList::TComponentList(bool ownsObjects)
    : FOwnsObjects(ownsObjects), FNexus(std::make_unique<TNexus>(*this)) {}

TComponentList::~TComponentList() { Clear(); }

TComponent* TComponentList::Items(int index) const {
  if (index < 0 || index >= Count()) RaiseListArgumentOutOfRange();
  return FItems[index];
}

int TComponentList::IndexOf(const TComponent* component) const {
  auto it = std::find(FItems.begin(), FItems.end(), component);
  return it == FItems.end() ? -1 : static_cast<int>(it - FItems.begin());
}

int TComponentList::Add(TComponent* component) {
  Insert(Count(), component);
  return Count() - 1;
}

void TComponentList::Insert(int index, TComponent* component) {
  if (index < 0 || index > Count()) RaiseListArgumentOutOfRange();
  FItems.insert(FItems.begin() + index, component);
  if (component) component->FreeNotification(FNexus.get());
  Notify(component, TListNotification::lnAdded);
}

void TComponentList::Delete(int index) {
  TComponent* component = Items(index);
  FItems.erase(FItems.begin() + index);
  // The same component may sit in the list twice: keep listening while any copy remains, so
  // its destruction still clears the others.
  bool stillHeld = IndexOf(component) != -1;
  if (component && !stillHeld) component->RemoveFreeNotification(FNexus.get());
  if (FOwnsObjects) delete component;
  Notify(component, TListNotification::lnDeleted);
}

int TComponentList::Remove(TComponent* component) {
  int index = IndexOf(component);
  if (index != -1) Delete(index);
  return index;
}

TComponent* TComponentList::Extract(TComponent* component) {
  int index = IndexOf(component);
  if (index == -1) return nullptr;
  FItems.erase(FItems.begin() + index);
  if (component && IndexOf(component) == -1) component->RemoveFreeNotification(FNexus.get());
  Notify(component, TListNotification::lnExtracted);
  return component;
}

void TComponentList::Clear() {
  while (!FItems.empty()) Delete(Count() - 1);
}

void TComponentList::Notify(void*, TListNotification) {}

void TComponentList::ComponentDestroyed(TComponent* component) {
  // Every occurrence goes: one left behind would dangle.
  while (Extract(component)) {
  }
}

THvComponentList::~THvComponentList() { Clear(); }

void THvComponentList::Notify(void* ptr, TListNotification action) {
  TComponentList::Notify(ptr, action);
  if (FOnNotify) FOnNotify(ptr, action);
}

}  // namespace hv
