#include "HvLXSafeInternet_ConnectionDlg.h"

#include <memory>

#include "HvApplication.h"
#include "HvLXHost.h"
#include "HvLXInternetDialogTexts.h"
#include "HvLXInternetSettings.h"
#include "HvLXMainThreadCalls.h"
#include "HvLXSystemIconPicture.h"
#include "HvScopeExit.h"

namespace hv {
namespace {

constexpr COLORREF kNoteRed = RGB(255, 0, 0);

template <class C>
C* AddControl(THvLXSafeWinInetConnectionForm& f, const wchar_t* name, TBounds bounds, int tabOrder = -1) {
  C* control = f.Add<C>(name, bounds);
  control->SetTabOrder(tabOrder);
  return control;
}

TStyledLabel* AddLabel(THvLXSafeWinInetConnectionForm& f, const wchar_t* name, TBounds bounds, bool bold,
                       bool wrap) {
  auto* label = AddControl<TStyledLabel>(f, name, bounds);
  label->SetText(name);
  label->SetBold(bold);
  label->SetWordWrap(wrap);
  return label;
}

const bool kConnectionFormResource = [] {
  RegisterFormResourceFor<THvLXSafeWinInetConnectionForm>([](THvLXSafeWinInetConnectionForm& f) {
    f.SetBorderStyle(TFormBorderStyle::bsDialog);
    f.SetBorderIcons(biSystemMenu);
    f.SetClientSize96(457, 376);
    f.SetFont({L"MS Shell Dlg 2", -11});
    f.SetPosition(TPosition::poScreenCenter);
    f.OnCreate = [&f](TForm& sender) { f.HvFormLXCreate(sender); };
    // The buttons first: the tab order is also the order from the top in which the
    // controls lie over each other.
    f.TryAgainBtn = AddControl<THvButton>(f, L"TryAgainBtn", {188, 334, 160, 25}, 0);
    f.TryAgainBtn->SetModalResult(mrRetry);
    f.CancelBtn = AddControl<THvButton>(f, L"CancelBtn", {358, 334, 75, 25}, 1);
    f.CancelBtn->SetModalResult(mrCancel);
    f.SetDefaultButton(f.CancelBtn);
    f.SetCancelButton(f.CancelBtn);
    f.NetworkSettingsBtn = AddControl<THvButton>(f, L"NetworkSettingsBtn", {61, 176, 161, 25}, 2);
    f.NetworkSettingsBtn->OnClick = [&f](TComponent* sender) { f.NetworkSettingsBtnClick(sender); };
    f.NetworkDiagnosticsBtn = AddControl<THvButton>(f, L"NetworkDiagnosticsBtn", {61, 44, 161, 25}, 3);
    f.NetworkDiagnosticsBtn->OnClick = [&f](TComponent* sender) { f.NetworkDiagnosticsBtnClick(sender); };
    f.HvImage1 = AddControl<THvImage>(f, L"HvImage1", {18, 9, 32, 32});
    f.ConnectionNotAvailLbl = AddLabel(f, L"ConnectionNotAvailLbl", {61, 10, 369, 28}, true, true);
    f.ConnectionNotAvailLbl->SetPointSize(9);
    f.Bevel1 = AddControl<TBevel>(f, L"Bevel1", {8, 78, 432, 2});
    f.Bevel1->SetShape(TBevelShape::bsTopLine);
    f.NetworkSettingsIcon = AddControl<THvImage>(f, L"NetworkSettingsIcon", {18, 108, 32, 32});
    f.CheckYourNetworkSettingsLbl = AddLabel(f, L"CheckYourNetworkSettingsLbl", {61, 91, 163, 13}, true, false);
    f.NetworkSettingsDescLbl = AddLabel(f, L"NetworkSettingsDescLbl", {61, 108, 369, 66}, false, true);
    f.CustomProxyLbl = AddLabel(f, L"CustomProxyLbl", {61, 207, 304, 13}, false, false);
    f.CustomProxyLbl->SetFontColor(kNoteRed);
    f.Bevel2 = AddControl<TBevel>(f, L"Bevel2", {8, 233, 432, 2});
    f.Bevel2->SetShape(TBevelShape::bsTopLine);
    f.FirewallLbl = AddLabel(f, L"FirewallLbl", {61, 241, 178, 13}, true, false);
    f.HvImage3 = AddControl<THvImage>(f, L"HvImage3", {18, 258, 29, 26});
    f.HvImage3->SetTransparent(true);
    f.FirewallDescLbl = AddLabel(f, L"FirewallDescLbl", {61, 258, 369, 57}, false, true);
    f.HvBevel1 = AddControl<TBevel>(f, L"HvBevel1", {8, 318, 432, 2});
    f.HvBevel1->SetShape(TBevelShape::bsTopLine);
    f.SetAccelerator(L'T', f.TryAgainBtn);
    f.SetAccelerator(L'N', f.NetworkSettingsBtn);
    f.SetAccelerator(L'R', f.NetworkDiagnosticsBtn);
    f.SetAccelerator(L'C', f.CancelBtn);
  });
  return true;
}();

// Only one connection dialog at a time, on the main thread.
bool gConnectionDialogOpen = false;

}  // namespace

void THvLXSafeWinInetConnectionForm::HvFormLXCreate(TForm&) {
  const bool wine = IsWine();
  SetCaption(SConnectionNotAvailableCaption);
  ConnectionNotAvailLbl->SetText(SConnectionNotAvailable);
  CheckYourNetworkSettingsLbl->SetText(SCheckYourNetworkSettings);
  NetworkSettingsBtn->SetText(SNetworkSettingsButton);
  FirewallLbl->SetText(SPossibleFirewallIssue);
  TryAgainBtn->SetText(STryAgain);
  CancelBtn->SetText(SCancel);
  FirewallDescLbl->SetText(wine ? SFirewallDescWine : SFirewallDescWindows);
  NetworkSettingsDescLbl->SetText(wine ? SNetworkSettingsDescWine : SNetworkSettingsDescWindows);
  CustomProxyLbl->SetText(wine ? SCustomProxyWine : SCustomProxyWindows);
  UpdateCustomProxyNote();
  NetworkDiagnosticsBtn->SetText(SRunNetworkDiagnostics);
  NetworkDiagnosticsBtn->SetEnabled(NetworkDiagnosticsAvailable());
  LoadSystemIconPicture(HvImage1->Picture(), IDI_WARNING, 32, 32, Color());
  LoadSystemIconPicture(NetworkSettingsIcon->Picture(), IDI_INFORMATION, 32, 32, Color());
  LoadSystemIconPicture(HvImage3->Picture(), IDI_SHIELD, 26, 26, Color());
}

void THvLXSafeWinInetConnectionForm::UpdateCustomProxyNote() { CustomProxyLbl->SetVisible(!UseIEProxySettings()); }

void THvLXSafeWinInetConnectionForm::NetworkSettingsBtnClick(TComponent*) {
  ShowAdvancedInternetSettings();
  UpdateCustomProxyNote();
}

void THvLXSafeWinInetConnectionForm::NetworkDiagnosticsBtnClick(TComponent*) { RunNetworkDiagnostics(); }

bool ReportInternetConnectionIssue() {
  bool tryAgain = false;
  RunInMainThread([&tryAgain] {
    if (gConnectionDialogOpen) throw EAbort(L"Operation aborted");
    gConnectionDialogOpen = true;
    auto closeMark = ScopeExit([] { gConnectionDialogOpen = false; });
    std::unique_ptr<THvLXSafeWinInetConnectionForm> form(
        TForm::Create<THvLXSafeWinInetConnectionForm>(&Application()));
    int result = form->ShowModal();
    if (result == mrCancel) throw EAbort(L"Operation aborted");
    tryAgain = result == mrRetry;
  });
  return tryAgain;
}

}  // namespace hv
