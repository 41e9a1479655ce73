#include "HvRegistryListing.h"

#include "HvLXRegistry.h"
#include "HvLXStrings.h"

namespace hv {

TRegistryListing::TRegistryListing(HKEY root, std::wstring key, std::wstring valueName)
    : FRoot(root),
      FKey(std::move(key)),
      FValueName(std::move(valueName)),
      FView(ProgramRegistryViewFor(FRoot, FKey)),
      FKeyOpen(std::make_unique<THvRegistryLX>(FRoot, KEY_READ | FView)) {
  std::vector<std::wstring> names;
  if (FKeyOpen->OpenKey(FKey, false))
    FKeyOpen->GetKeyNames(names);
  else
    FKeyOpen.reset();
  for (const auto& name : names) FNames.Add(name);
  FEntries.resize(static_cast<size_t>(FNames.Count()));
}

TRegistryListing::~TRegistryListing() = default;

std::wstring TRegistryListing::ReadValue(size_t i) const {
  const std::wstring name = Name(i);
  // A listed name never holds a separator and is never empty; one that did would open some
  // other key than the listed sub-key (the listed key itself for an empty one).
  if (!FKeyOpen || name.empty() || name.find(L'\\') != std::wstring::npos) return {};
  // The sub-key from the listed key's handle, in the listed key's view named outright (a
  // handle is no predefined root, from which the view could be told by the path).
  THvRegistryLX entry(FKeyOpen->CurrentKey(), KEY_READ | FView);
  return entry.OpenKey(name, false) ? entry.ReadStringDef(FValueName, L"") : std::wstring();
}

const std::wstring& TRegistryListing::Value(size_t i) const {
  const Entry& e = FEntries[i];
  if (!e.Read) {
    e.Read = true;
    try {
      e.Value = ReadValue(i);
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
