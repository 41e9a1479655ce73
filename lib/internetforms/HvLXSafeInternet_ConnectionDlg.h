// The dialog that tells the user no internet connection is available and offers to try
// again, the network settings and the system's network diagnostics.
#pragma once

#include "HvLXExtCtrls.h"
#include "HvLXKeyboardDialog.h"
#include "HvLXStdCtrls.h"
#include "HvStyledLabel.h"

namespace hv {

class THvLXSafeWinInetConnectionForm : public THvLXKeyboardDialog {
  HV_FORM_CLASS(THvLXSafeWinInetConnectionForm, THvLXKeyboardDialog)

 public:
  using THvLXKeyboardDialog::THvLXKeyboardDialog;

  THvImage* HvImage1 = nullptr;
  TStyledLabel* ConnectionNotAvailLbl = nullptr;
  THvButton* NetworkDiagnosticsBtn = nullptr;
  TBevel* Bevel1 = nullptr;
  THvImage* NetworkSettingsIcon = nullptr;
  TStyledLabel* CheckYourNetworkSettingsLbl = nullptr;
  TStyledLabel* NetworkSettingsDescLbl = nullptr;
  THvButton* NetworkSettingsBtn = nullptr;
  TStyledLabel* CustomProxyLbl = nullptr;
  TBevel* Bevel2 = nullptr;
  TStyledLabel* FirewallLbl = nullptr;
  THvImage* HvImage3 = nullptr;
  TStyledLabel* FirewallDescLbl = nullptr;
  TBevel* HvBevel1 = nullptr;
  THvButton* TryAgainBtn = nullptr;
  THvButton* CancelBtn = nullptr;

  void HvFormLXCreate(TForm& sender);
  void NetworkSettingsBtnClick(TComponent* sender);
  void NetworkDiagnosticsBtnClick(TComponent* sender);

 private:
  void UpdateCustomProxyNote();
};

// "Try Again" as the modal result of the connection dialog.
constexpr int mrRetry = IDRETRY;

// Asks the user what to do about a missing connection, on the main thread whatever thread
// calls; one dialog at a time. True for "Try Again", false for any other way out but Cancel,
// which raises EAbort (so does a second report while the dialog is open).
bool ReportInternetConnectionIssue();

}  // namespace hv
