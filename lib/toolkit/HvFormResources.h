// Form resources: each form class may register a description in code of what it holds
// (its controls and their properties), plus the lists of translatable properties that
// travel with the window. Forms look them up by class name, ancestors first.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace hv {

class TForm;

// The name of a form class and of its base, so a form can walk its resource chain.
struct TFormClassInfo {
  const wchar_t* Name;
  const TFormClassInfo* Parent;
};

struct TFormResource {
  std::wstring ClassName;
  std::function<void(TForm&)> Build;
  // Fires the create event while loading instead of after construction.
  bool OldCreateOrder = false;
  // Property values of string-list type, by property name ("HvTranslatableProps" ...).
  std::vector<std::pair<std::wstring, std::vector<std::wstring>>> StringLists;
};

void RegisterFormResource(TFormResource resource);
// Nullptr when the class has no resource.
const TFormResource* FindFormResource(const std::wstring& className);

// Registers a resource whose builder sees the form's own type.
template <class T>
void RegisterFormResourceFor(std::function<void(T&)> build, bool oldCreateOrder = false,
                             std::vector<std::pair<std::wstring, std::vector<std::wstring>>> lists = {}) {
  TFormResource r;
  r.ClassName = T::StaticClassInfo().Name;
  r.Build = [build = std::move(build)](TForm& form) { build(dynamic_cast<T&>(form)); };
  r.OldCreateOrder = oldCreateOrder;
  r.StringLists = std::move(lists);
  RegisterFormResource(std::move(r));
}

}  // namespace hv

// Gives a form class its name and base for the resource chain.
#define HV_FORM_CLASS(Name, Base)                                                     \
 public:                                                                              \
  static const ::hv::TFormClassInfo& StaticClassInfo() {                              \
    static const ::hv::TFormClassInfo info{L## #Name, &Base::StaticClassInfo()};      \
    return info;                                                                      \
  }                                                                                   \
  const ::hv::TFormClassInfo& ClassInfo() const override { return StaticClassInfo(); }
