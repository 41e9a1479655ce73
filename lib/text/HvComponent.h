// TComponent: the owner/owned tree of long-lived objects (forms own their controls) and the
// free notifications that let one object forget another when that one is destroyed.
#pragma once

#include <string>
#include <vector>

namespace hv {

enum class TOperation { opInsert, opRemove };

class TComponent {
 public:
  explicit TComponent(TComponent* owner = nullptr);
  virtual ~TComponent();
  TComponent(const TComponent&) = delete;
  TComponent& operator=(const TComponent&) = delete;

  TComponent* Owner() const { return FOwner; }
  const std::wstring& Name() const { return FName; }
  void SetName(std::wstring name) { FName = std::move(name); }
  int ComponentCount() const { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int index) const { return FComponents.at(index); }

  // Asks to be told (Notification with opRemove) when `component` is destroyed.
  void FreeNotification(TComponent* component);
  void RemoveFreeNotification(TComponent* component);

 protected:
  virtual void Notification(TComponent* component, TOperation operation);

 private:
  void InsertComponent(TComponent* component);
  void RemoveComponent(TComponent* component);

  TComponent* FOwner = nullptr;
  std::wstring FName;
  std::vector<TComponent*> FComponents;       // owned: destroyed with this one
  std::vector<TComponent*> FFreeNotifies;     // told when this one goes, and vice versa
};

}  // namespace hv
