#include "HvTrxForms.h"

namespace hv {
namespace {
bool SameText(const std::wstring& a, const std::wstring& b) { return AnsiCompareText(a, b) == 0; }
}  // namespace

void THvTrxForm::ReadResourceStrings(const std::wstring& property, const std::vector<std::wstring>& values) {
  if (SameText(property, L"HvTranslatableProps.Strings"))
    FHvTranslatableProps.ReadStrings(values);
  else if (SameText(property, L"HvInlineClasses.Strings"))
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
    if (dot != std::wstring::npos && SameText(entry.substr(0, dot), CurName))
      edited.push_back(NewName + entry.substr(dot));
    else
      edited.push_back(entry);
  }
  FHvTranslatableProps.ReplaceContent(edited);
}

}  // namespace hv
