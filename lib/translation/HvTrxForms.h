// THvTrxForm: the base of windows whose texts are translated. Its resource carries the
// property paths of its translatable texts ("Component.Property", "Property" for the window
// itself) and the classes of inline frames on those paths; the window keeps them current
// when components are renamed.
#pragma once

#include <string>

#include "HvLXForms.h"
#include "HvTrxStringList.h"

namespace hv {

// {4333CDA8-D21F-4701-99DC-CD8447E53BF2}
constexpr GUID IID_IHvTrxModule = {0x4333CDA8, 0xD21F, 0x4701, {0x99, 0xDC, 0xCD, 0x84, 0x47, 0xE5, 0x3B, 0xF2}};

// What a translation tool asks of a translatable module. The window owns both lists; the
// interface does not keep it alive.
class IHvTrxModule {
 public:
  virtual THvTrxTranslatableProps& GetHvTranslatableProps() = 0;
  virtual THvTrxInlineClasses& GetHvInlineClasses() = 0;

 protected:
  ~IHvTrxModule() = default;
};

HV_DECLARE_EXCEPTION(EComponentError, Exception);

class THvTrxForm : public THvFormLX, public IHvTrxModule {
  HV_FORM_CLASS(THvTrxForm, THvFormLX)

 public:
  using THvFormLX::THvFormLX;

  THvTrxTranslatableProps& HvTranslatableProps() { return FHvTranslatableProps; }
  THvTrxInlineClasses& HvInlineClasses() { return FHvInlineClasses; }
  // Assignment copies into the window's own lists.
  void SetHvTranslatableProps(const TStrings& value) { FHvTranslatableProps.ReplaceContent(value); }
  void SetHvInlineClasses(const TStrings& value) { FHvInlineClasses.ReplaceContent(value); }

  THvTrxTranslatableProps& GetHvTranslatableProps() override { return FHvTranslatableProps; }
  THvTrxInlineClasses& GetHvInlineClasses() override { return FHvInlineClasses; }

  // Called before `component` is renamed from CurName to NewName: refused when another
  // component already has the new name; entries whose path is exactly CurName follow it.
  void ValidateRename(TComponent* component, const std::wstring& CurName, const std::wstring& NewName);

 protected:
  const TFormClassInfo& ResourceStopClass() const override { return THvTrxForm::StaticClassInfo(); }
  void ReadResourceStrings(const std::wstring& property, const std::vector<std::wstring>& values) override;

 private:
  // Declared in this order so the inline classes go first.
  THvTrxTranslatableProps FHvTranslatableProps;
  THvTrxInlineClasses FHvInlineClasses;
};

}  // namespace hv
