#include "HvRegistryListing.h"

#include "HvLXRegistry.h"

namespace hv {

TRegistryListing::TRegistryListing(HKEY root, std::wstring key, std::wstring valueName)
    : FRoot(root), FKey(std::move(key)), FValueName(std::move(valueName)) {
  for (auto& name : RegGetKeyNamesLX(FRoot, FKey)) FEntries.push_back(Entry{std::move(name)});
}

const std::wstring& TRegistryListing::Value(size_t i) const {
  const Entry& e = FEntries[i];
  if (!e.Read) {
    e.Read = true;
    try {
      e.Value = RegReadStringDefLX(FRoot, KeyPath(i), FValueName, L"");
    } catch (const Exception& error) {
      e.Error.reset(error.Clone());
    }
  }
  if (e.Error) e.Error->Rethrow();
  return e.Value;
}

bool TRegistryListing::ContainsName(const std::wstring& name) const {
  for (const Entry& e : FEntries)
    if (SameTextLocale(e.Name, name)) return true;
  return false;
}

bool SameTextLocale(const std::wstring& a, const std::wstring& b) {
  return CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()), b.data(),
                        static_cast<int>(b.size())) == CSTR_EQUAL;
}

bool EndsWithTextLocale(const std::wstring& text, const std::wstring& tail) {
  if (text.size() < tail.size()) return false;
  return SameTextLocale(text.substr(text.size() - tail.size()), tail);
}

}  // namespace hv
