#include "HvRegistryListing.h"

#include "HvLXRegistry.h"
#include "HvLXStrings.h"

namespace hv {

TRegistryListing::TRegistryListing(HKEY root, std::wstring key, std::wstring valueName)
    : FRoot(root), FKey(std::move(key)), FValueName(std::move(valueName)) {
  for (const auto& name : RegGetKeyNamesLX(FRoot, FKey)) FNames.Add(name);
  FEntries.resize(static_cast<size_t>(FNames.Count()));
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

bool TRegistryListing::ContainsName(const std::wstring& name) const { return FNames.IndexOf(name) >= 0; }

bool EndsWithTextLocale(const std::wstring& text, const std::wstring& tail) {
  if (text.size() < tail.size()) return false;
  return SameTextLocale(std::wstring_view(text).substr(text.size() - tail.size()), tail);
}

}  // namespace hv
