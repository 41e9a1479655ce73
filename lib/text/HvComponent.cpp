#include "HvComponent.h"

#include <algorithm>

namespace hv {
namespace {
void Erase(std::vector<TComponent*>& list, TComponent* item) {
  list.erase(std::remove(list.begin(), list.end(), item), list.end());
}
}  // namespace

TComponent::TComponent(TComponent* owner) {
  if (owner) owner->InsertComponent(this);
}

TComponent::~TComponent() {
  // Everyone who asked hears of the destruction first, while this object is still whole.
  while (!FFreeNotifies.empty()) {
    TComponent* other = FFreeNotifies.back();
    FFreeNotifies.pop_back();
    Erase(other->FFreeNotifies, this);
    other->Notification(this, TOperation::opRemove);
  }
  while (!FComponents.empty()) delete FComponents.back();  // each removes itself from the list
  if (FOwner) FOwner->RemoveComponent(this);
}

void TComponent::FreeNotification(TComponent* component) {
  if (!component || component == this) return;
  if (std::find(FFreeNotifies.begin(), FFreeNotifies.end(), component) == FFreeNotifies.end()) {
    FFreeNotifies.push_back(component);
    component->FFreeNotifies.push_back(this);
  }
}

void TComponent::RemoveFreeNotification(TComponent* component) {
  if (!component) return;
  Erase(FFreeNotifies, component);
  Erase(component->FFreeNotifies, this);
}

void TComponent::Notification(TComponent* component, TOperation operation) {
  if (operation == TOperation::opRemove) Erase(FComponents, component);
}

void TComponent::InsertComponent(TComponent* component) {
  component->FOwner = this;
  FComponents.push_back(component);
  Notification(component, TOperation::opInsert);
}

void TComponent::RemoveComponent(TComponent* component) {
  Notification(component, TOperation::opRemove);
  Erase(FComponents, component);
  component->FOwner = nullptr;
}

}  // namespace hv
