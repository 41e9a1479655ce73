#include "HvTrxForms.h"

#include "HvLXStrings.h"

namespace hv {

void THvTrxForm::ReadResourceStrings(const std::wstring& property, const std::vector<std::wstring>& values) {
  if (SameTextLocale(property, L"HvTranslatableProps.Strings"))
    FHvTranslatableProps.ReadStrings(values);
  else if (SameTextLocale(property, L"HvInlineClasses.Strings"))
    FHvInlineClasses.ReadStrings(values);
}

void THvTrxForm::ValidateRename(TComponent* component, const std::wstring& CurName, const std::wstring& NewName) {
  if (!NewName.empty()) {
    TComponent* existing = FindComponent(NewName);
    if (existing && existing != component)
      throw EComponentError(Fmt(L"A component named %s already exists", NewName));
  }
  if (CurName.empty() || NewName.empty()) return;
  std::vector<std::wstring> edited;
  for (const std::wstring& entry : ToArray(FHvTranslatableProps)) {
    size_t dot = entry.rfind(L'.');
    if (dot != std::wstring::npos && SameTextLocale(entry.substr(0, dot), CurName))
      edited.push_back(NewName + entry.substr(dot));
    else
      edited.push_back(entry);
  }
  FHvTranslatableProps.ReplaceContent(edited);
}

}  // namespace hv
