// The sub-keys of one registry key, each with one string value that is read when first asked
// for and then remembered (with the error, if the read failed, so it is raised again at the
// same point of a later walk). The listed key stays open while the listing lives, and each
// sub-key is opened below it: under Wine a path from the root in the 32-bit view is opened one
// name at a time, which made a read from the root several times the cost of the read itself.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "HvExceptions.h"
#include "HvLXRegistry.h"
#include "HvStringList.h"
#include "HvWindows.h"

namespace hv {

class TRegistryListing {
 public:
  TRegistryListing(HKEY root, std::wstring key, std::wstring valueName);
  ~TRegistryListing();
  TRegistryListing(const TRegistryListing&) = delete;
  TRegistryListing& operator=(const TRegistryListing&) = delete;

  HKEY Root() const { return FRoot; }
  size_t Count() const { return FEntries.size(); }
  std::wstring Name(size_t i) const { return FNames.Get(static_cast<int>(i)); }
  std::wstring KeyPath(size_t i) const { return FKey + L"\\" + Name(i); }
  // The entry's value (empty when absent); raises what reading it raised.
  const std::wstring& Value(size_t i) const;
  // Whether a sub-key of that name was listed, ignoring case as the registry does.
  bool ContainsName(const std::wstring& name) const;

 private:
  std::wstring ReadValue(size_t i) const;

  struct Entry {
    mutable bool Read = false;
    mutable std::wstring Value;
    mutable std::shared_ptr<const Exception> Error;
  };
  HKEY FRoot;
  std::wstring FKey, FValueName;
  REGSAM FView;                         // the listed key's view, which its sub-keys share
  std::unique_ptr<THvRegistryLX> FKeyOpen;  // the listed key, or none when it did not open
  THvStringList FNames;  // as enumerated; looked up ignoring case in the user's locale
  std::vector<Entry> FEntries;
};

// Whether `text` ends with `tail`, ignoring case in the user's locale; a shorter text never does.
bool EndsWithTextLocale(const std::wstring& text, const std::wstring& tail);

}  // namespace hv
