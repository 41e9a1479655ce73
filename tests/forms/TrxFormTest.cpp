// THvTrxForm: the translatable-property lists travel with the window's resource, stay
// sorted and unique, and follow renamed components.
#include <gtest/gtest.h>

#include <memory>

#include "HvTrxForms.h"

using namespace hv;

namespace {

class TTrxTestForm : public THvTrxForm {
  HV_FORM_CLASS(TTrxTestForm, THvTrxForm)
 public:
  using THvTrxForm::THvTrxForm;
  TLabel* Label1 = nullptr;
};

class TTrxWithoutResource : public THvTrxForm {
  HV_FORM_CLASS(TTrxWithoutResource, THvTrxForm)
 public:
  using THvTrxForm::THvTrxForm;
};

const bool kResources = [] {
  RegisterFormResourceFor<TTrxTestForm>(
      [](TTrxTestForm& f) {
        f.SetCaption(L"Translatable");
        f.Label1 = f.Add<TLabel>(L"Label1", {8, 8, 100, 13});
        f.Label1->SetText(L"Detected Products:");
      },
      false,
      {{L"HvTranslatableProps.Strings",
        {L"Label1.Caption", L"Caption", L"Label10.Caption", L"label1.caption", L"Label1.Font.Name", L"Label1.Hint"}},
       {L"HvInlineClasses.Strings", {L"TFrameB", L"TFrameA", L"TFrameB"}}});
  return true;
}();

std::unique_ptr<TTrxTestForm> Make() { return std::unique_ptr<TTrxTestForm>(TForm::Create<TTrxTestForm>(nullptr)); }

}  // namespace

TEST(TrxForm, ResourceListsLoadSortedWithoutRepeats) {
  auto form = Make();
  EXPECT_EQ(ToArray(form->HvTranslatableProps()),
            (std::vector<std::wstring>{L"Caption", L"Label1.Caption", L"Label1.Font.Name", L"Label1.Hint",
                                       L"Label10.Caption"}));
  EXPECT_EQ(ToArray(form->HvInlineClasses()), (std::vector<std::wstring>{L"TFrameA", L"TFrameB"}));
  IHvTrxModule& module = *form;
  EXPECT_EQ(&module.GetHvTranslatableProps(), &form->HvTranslatableProps());
  EXPECT_EQ(&module.GetHvInlineClasses(), &form->HvInlineClasses());
  EXPECT_EQ(form->Label1->Text(), L"Detected Products:");
}

TEST(TrxForm, RenamingAComponentRenamesExactlyItsOwnEntries) {
  auto form = Make();
  form->ValidateRename(form->Label1, L"label1", L"TitleLbl");
  // Only entries whose whole path is the old name follow; the list is sorted again.
  EXPECT_EQ(ToArray(form->HvTranslatableProps()),
            (std::vector<std::wstring>{L"Caption", L"Label1.Font.Name", L"Label10.Caption", L"TitleLbl.Caption",
                                       L"TitleLbl.Hint"}));

  auto before = ToArray(form->HvTranslatableProps());
  form->ValidateRename(form->Label1, L"", L"Other");  // a component that had no name yet
  form->ValidateRename(form->Label1, L"TitleLbl", L"");
  EXPECT_EQ(ToArray(form->HvTranslatableProps()), before);

  TLabel* second = form->Add<TLabel>(L"Second", {8, 30, 100, 13});
  try {
    form->ValidateRename(second, L"Second", L"LABEL1");
    FAIL() << "two components with one name";
  } catch (const EComponentError& e) {
    EXPECT_EQ(e.Message(), L"A component named LABEL1 already exists");
  }
  EXPECT_EQ(ToArray(form->HvTranslatableProps()), before);
}

TEST(TrxForm, AssigningCopiesIntoTheWindowsOwnList) {
  auto form = Make();
  THvTrxTranslatableProps* own = &form->HvTranslatableProps();
  THvTrxStringList other;
  other.Add(L"Zeta.Caption");
  other.Add(L"Alpha.Caption");
  form->SetHvTranslatableProps(other);
  EXPECT_EQ(&form->HvTranslatableProps(), own);
  EXPECT_EQ(ToArray(*own), (std::vector<std::wstring>{L"Alpha.Caption", L"Zeta.Caption"}));
  other.Clear();
  EXPECT_EQ(own->Count(), 2);
}

TEST(TrxForm, ListsAreStoredOnlyWhenTheyHoldSomethingOrDifferFromTheAncestor) {
  THvTrxStringList empty, ancestor, list;
  EXPECT_FALSE(empty.WriteStrings().has_value());
  ancestor.Add(L"Label1.Caption");
  EXPECT_EQ(empty.WriteStrings(&ancestor), std::vector<std::wstring>{});  // cleared against the ancestor
  list.Add(L"LABEL1.caption");
  EXPECT_FALSE(empty.WriteStrings(&empty).has_value());
  EXPECT_EQ(list.WriteStrings(), (std::vector<std::wstring>{L"LABEL1.caption"}));

  THvTrxStringList roundTrip;
  roundTrip.Add(L"stale");
  roundTrip.ReadStrings(*list.WriteStrings());
  EXPECT_EQ(ToArray(roundTrip), ToArray(list));
}

TEST(TrxForm, AClassWithoutAnyResourceIsRefused) {
  try {
    TForm::Create<TTrxWithoutResource>(nullptr);
    FAIL();
  } catch (const EResNotFound& e) {
    EXPECT_EQ(e.Message(), L"Resource TTrxWithoutResource not found");
  }
}
