// The sub-keys of one registry key, each with one string value that is read when first asked
// for and then remembered (with the error, if the read failed, so it is raised again at the
// same point of a later walk).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "HvExceptions.h"
#include "HvWindows.h"

namespace hv {

class TRegistryListing {
 public:
  TRegistryListing(HKEY root, std::wstring key, std::wstring valueName);

  size_t Count() const { return FEntries.size(); }
  const std::wstring& Name(size_t i) const { return FEntries[i].Name; }
  std::wstring KeyPath(size_t i) const { return FKey + L"\\" + FEntries[i].Name; }
  // The entry's value (empty when absent); raises what reading it raised.
  const std::wstring& Value(size_t i) const;
  // Whether a sub-key of that name was listed, ignoring case as the registry does.
  bool ContainsName(const std::wstring& name) const;

 private:
  struct Entry {
    std::wstring Name;
    mutable bool Read = false;
    mutable std::wstring Value;
    mutable std::shared_ptr<const Exception> Error;
  };
  HKEY FRoot;
  std::wstring FKey, FValueName;
  std::vector<Entry> FEntries;
};

// Locale-aware comparison ignoring case, as the registry and the product lists compare names.
bool SameTextLocale(const std::wstring& a, const std::wstring& b);
// Whether `text` ends with `tail`, ignoring case; a shorter text never does.
bool EndsWithTextLocale(const std::wstring& text, const std::wstring& tail);

}  // namespace hv
