#include "HvFormResources.h"

#include <map>
#include <mutex>

namespace hv {
namespace {

struct Registry {
  std::mutex lock;
  std::map<std::wstring, TFormResource> resources;
};

Registry& Resources() {
  static Registry registry;
  return registry;
}

}  // namespace

void RegisterFormResource(TFormResource resource) {
  Registry& r = Resources();
  std::lock_guard guard(r.lock);
  std::wstring name = resource.ClassName;
  r.resources.insert_or_assign(std::move(name), std::move(resource));
}

const TFormResource* FindFormResource(const std::wstring& className) {
  Registry& r = Resources();
  std::lock_guard guard(r.lock);
  auto it = r.resources.find(className);
  // Entries are never removed, so the pointer stays valid.
  return it == r.resources.end() ? nullptr : &it->second;
}

}  // namespace hv
