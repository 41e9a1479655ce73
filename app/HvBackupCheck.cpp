#include "HvBackupCheck.h"

#include <optional>

#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvLXStrings.h"
#include "HvProductCatalogue.h"
#include "HvRegistryBackup.h"
#include "HvRegistryKeyPath.h"
#include "HvRegistryListing.h"
#include "HvRunningProcesses.h"

namespace hv {
namespace {

enum class TPlaceKind { Uninstall, Installer, IdentCache, UninstallLink };

// Where a key lies: the place it belongs to, the trace's own key and whether it is that key.
struct TPlace {
  TPlaceKind Kind;
  std::wstring TracePath;
  std::wstring TraceName;
  bool IsTrace;
};

std::vector<std::wstring> Split(const std::wstring& path) {
  std::vector<std::wstring> parts;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = path.find(L'\\', start);
    parts.push_back(path.substr(start, end - start));
    if (end == std::wstring::npos) return parts;
    start = end + 1;
  }
}

bool Same(const std::wstring& a, const wchar_t* b) { return SameTextOrdinal(a, b); }

bool StartsWith(const std::vector<std::wstring>& parts, std::size_t at, std::initializer_list<const wchar_t*> names) {
  if (parts.size() < at + names.size()) return false;
  for (const wchar_t* name : names)
    if (!Same(parts[at++], name)) return false;
  return true;
}

bool AnyKeyName(const std::wstring& name) {
  for (const TProductDescription& product : ProductCatalogue())
    for (const std::wstring& keyName : product.KeyNames)
      if (SameTextLocale(name, keyName)) return true;
  return false;
}

bool AnyProductCode(const std::wstring& code) {
  for (const TProductDescription& product : ProductCatalogue())
    for (const std::wstring& known : product.ProductCodes)
      if (SameTextOrdinal(code, known)) return true;
  return false;
}

std::wstring Joined(const std::vector<std::wstring>& parts, std::size_t count) {
  std::wstring path;
  for (std::size_t i = 0; i < count; ++i) path += (i ? L"\\" : L"") + parts[i];
  return path;
}

// The place of `path` among those the removal deletes from, or nothing.
std::optional<TPlace> PlaceOf(const std::wstring& path, const std::wstring& sid) {
  const std::vector<std::wstring> parts = Split(path);
  for (const std::wstring& part : parts)
    if (part.empty()) return std::nullopt;
  // The trace's key is the one `depth` names deep.
  auto make = [&](TPlaceKind kind, std::size_t depth) -> std::optional<TPlace> {
    if (parts.size() < depth) return std::nullopt;
    return TPlace{kind, Joined(parts, depth), parts[depth - 1], parts.size() == depth};
  };
  if (Same(parts[0], L"HKEY_LOCAL_MACHINE") && StartsWith(parts, 1, {L"SOFTWARE"})) {
    std::size_t at = 2;
    if (parts.size() > at && Same(parts[at], L"WOW6432Node")) ++at;
    if (StartsWith(parts, at, {L"Microsoft", L"Windows", L"CurrentVersion", L"Uninstall"}))
      return make(TPlaceKind::Uninstall, at + 5);
    if (StartsWith(parts, at, {L"Classes", L"Installer", L"Products"})) return make(TPlaceKind::Installer, at + 4);
    if (StartsWith(parts, at, {L"MimarSinan", L"InstallAware", L"Ident.Cache"})) {
      if (parts.size() > at + 3 && !AnyProductCode(parts[at + 3])) return std::nullopt;
      return make(TPlaceKind::IdentCache, at + 4);
    }
    if (StartsWith(parts, at, {L"Halvern"}) && parts.size() == at + 2 && AnyKeyName(parts[at + 1]))
      return make(TPlaceKind::UninstallLink, at + 2);
    if (parts.size() == at + 1 && AnyKeyName(parts[at])) return make(TPlaceKind::UninstallLink, at + 1);
    return std::nullopt;
  }
  if (Same(parts[0], L"HKEY_CURRENT_USER") && StartsWith(parts, 1, {L"Software", L"Classes", L"Installer", L"Products"}))
    return make(TPlaceKind::Installer, 6);
  // The user's own classes live in a hive of their own, which the system names this way.
  if (Same(parts[0], L"HKEY_USERS") && !sid.empty() && parts.size() > 1 && SameTextOrdinal(parts[1], sid + L"_Classes") &&
      StartsWith(parts, 2, {L"Installer", L"Products"}))
    return make(TPlaceKind::Installer, 5);
  return std::nullopt;
}

const TRegFileValue* FindValue(const TRegFileKey& key, const wchar_t* name) {
  for (const TRegFileValue& value : key.Values)
    if (SameTextOrdinal(value.Name, name)) return &value;
  return nullptr;
}

// The text of a string value, up to its first NUL.
std::optional<std::wstring> StringOf(const TRegFileValue* value) {
  if (!value || (value->Type != REG_SZ && value->Type != REG_EXPAND_SZ)) return std::nullopt;
  std::wstring text(reinterpret_cast<const wchar_t*>(value->Data.data()), value->Data.size() / sizeof(wchar_t));
  return text.substr(0, text.find(L'\0'));
}

[[noreturn]] void Refuse(const std::wstring& why) { throw EHvGeneralError(why); }

// Why the trace's own key does not belong to a product of the catalogue; empty when it does.
std::wstring WhyNotProducts(const TPlace& place, const TRegFileKey& key) {
  switch (place.Kind) {
    case TPlaceKind::Uninstall: {
      if (AnyKeyName(place.TraceName)) return {};
      if (place.TraceName.starts_with(L"{")) {
        if (const std::optional<std::wstring> command = StringOf(FindValue(key, L"UninstallString")))
          for (const TProductDescription& product : ProductCatalogue())
            for (const std::wstring& exe : product.SetupExes)
              if (EndsWithTextLocale(*command, L"\\" + exe)) return {};
      }
      return L"it is no Add/Remove Programs entry of Corvista or Sendaro";
    }
    case TPlaceKind::Installer: {
      const std::optional<std::wstring> name = StringOf(FindValue(key, L"ProductName"));
      return name && AnyKeyName(*name) ? std::wstring() : L"it is no Installer registration of Corvista or Sendaro";
    }
    case TPlaceKind::IdentCache: return {};
    case TPlaceKind::UninstallLink:
      for (const TRegFileValue& value : key.Values)
        if (!SameTextOrdinal(value.Name, L"UninstallLink")) return L"the removal takes only its UninstallLink value";
      return key.Values.empty() ? L"it holds no UninstallLink value" : std::wstring();
  }
  return L"it is not understood";
}

bool ParseTime(const std::wstring& digits, std::uint64_t& time) {
  if (digits.empty() || digits.size() > 19) return false;
  time = 0;
  for (wchar_t c : digits) {
    if (c < L'0' || c > L'9') return false;
    time = time * 10 + static_cast<std::uint64_t>(c - L'0');
  }
  return true;
}

bool SamePath(const std::wstring& a, const std::wstring& b) { return SameTextOrdinal(a, b); }

}  // namespace

TBackupPlaces MachineBackupPlaces() {
  TBackupPlaces places;
  places.CurrentUserSid = CurrentUserSid();
  for (const TProductDescription& product : ProductCatalogue())
    for (const std::wstring& folder : InstallationFoldersInBothViews(product.FolderSuffixes)) places.Folders.push_back(folder);
  return places;
}

TCheckedBackup CheckBackupText(const std::wstring& text, const TBackupPlaces& places) {
  const TRegFileText file = ParseRegFileText(text);
  TCheckedBackup backup;
  if (file.Comments.empty() || !file.Comments[0].starts_with(kBackupMarker) ||
      file.Comments[0].size() == std::wstring(kBackupMarker).size())
    Refuse(L"it is not a backup of Halvern Uninstaller (its header line is missing)");
  backup.Removal = file.Comments[0].substr(std::wstring(kBackupMarker).size());
  for (std::size_t i = 1; i < file.Comments.size(); ++i) {
    const std::wstring& line = file.Comments[i];
    if (line.starts_with(kRestoredMarker)) {
      backup.Restored = true;
    } else if (line.starts_with(kRecycledMarker)) {
      const std::wstring rest = line.substr(std::wstring(kRecycledMarker).size());
      const std::size_t space = rest.find(L' ');
      TRecycledRecord record;
      if (space == std::wstring::npos || !ParseTime(rest.substr(0, space), record.Time))
        Refuse(Fmt(L"the line \"%s\" is not understood", line));
      record.Path = rest.substr(space + 1);
      backup.Recycled.push_back(record);
    } else {
      Refuse(Fmt(L"the line \"%s\" is not understood", line));
    }
  }

  std::vector<std::wstring> folders = places.Folders;
  for (const TRegFileKey& key : file.Keys) {
    const std::optional<TPlace> place = PlaceOf(key.Path, places.CurrentUserSid);
    if (!place) Refuse(Fmt(L"the key %s lies outside the places where Corvista and Sendaro keep their traces", key.Path));
    if (place->IsTrace) {
      const std::wstring why = WhyNotProducts(*place, key);
      if (!why.empty()) Refuse(Fmt(L"the key %s: %s", key.Path, why));
      for (const TRestoreEntry& entry : backup.Entries)
        if (SameTextOrdinal(entry.Path, key.Path)) Refuse(Fmt(L"the key %s comes twice", key.Path));
      backup.Entries.push_back({key.Path, place->Kind == TPlaceKind::UninstallLink, {key}});
      if (place->Kind == TPlaceKind::IdentCache)
        if (const std::optional<std::wstring> folder = StringOf(FindValue(key, L""))) folders.push_back(*folder);
      continue;
    }
    TRestoreEntry* owner = nullptr;
    for (TRestoreEntry& entry : backup.Entries)
      if (SameTextOrdinal(entry.Path, place->TracePath)) owner = &entry;
    if (!owner) Refuse(Fmt(L"the key %s comes without the key %s above it", key.Path, place->TracePath));
    owner->Keys.push_back(key);
  }
  for (const TRecycledRecord& record : backup.Recycled) {
    bool known = false;
    for (const std::wstring& folder : folders) known |= SamePath(folder, record.Path);
    if (!known) Refuse(Fmt(L"the folder %s is not one the removal sends to the Recycle Bin", record.Path));
  }
  return backup;
}

}  // namespace hv
