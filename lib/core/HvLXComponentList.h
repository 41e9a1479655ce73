// A list of components that forgets a component when that component is destroyed, so it never
// holds a dangling pointer; THvComponentList also reports every change through OnNotify.
#pragma once

#include <functional>
#include <memory>
#include <vector>

#include "HvComponent.h"

namespace hv {

enum class TListNotification { lnAdded, lnExtracted, lnDeleted };

// `obj` is the component concerned; on lnDeleted from an owning list it is already destroyed.
using TListNotifyEvent = std::function<void(void* obj, TListNotification action)>;

class TComponentList {
 public:
  explicit TComponentList(bool ownsObjects = true);
  virtual ~TComponentList();
  TComponentList(const TComponentList&) = delete;
  TComponentList& operator=(const TComponentList&) = delete;

  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool value) { FOwnsObjects = value; }

  int Count() const { return static_cast<int>(FItems.size()); }
  TComponent* Items(int index) const;
  int IndexOf(const TComponent* component) const;

  int Add(TComponent* component);
  void Insert(int index, TComponent* component);
  // Removes the item at `index` (and destroys it when the list owns its objects).
  void Delete(int index);
  // Deletes the first occurrence; answers its index or -1.
  int Remove(TComponent* component);
  // Takes the first occurrence out without destroying it; answers it, or nullptr.
  TComponent* Extract(TComponent* component);
  void Clear();

 protected:
  // Called after every change.
  virtual void Notify(void* ptr, TListNotification action);

 private:
  class TNexus;
  void ComponentDestroyed(TComponent* component);

  std::vector<TComponent*> FItems;
  bool FOwnsObjects;
  std::unique_ptr<TNexus> FNexus;
};

class THvComponentList : public TComponentList {
 public:
  using TComponentList::TComponentList;
  // Reports the items still held as deleted, like any other clearing.
  ~THvComponentList() override;

  const TListNotifyEvent& OnNotify() const { return FOnNotify; }
  void SetOnNotify(TListNotifyEvent handler) { FOnNotify = std::move(handler); }

 protected:
  void Notify(void* ptr, TListNotification action) override;

 private:
  TListNotifyEvent FOnNotify;
};

}  // namespace hv
