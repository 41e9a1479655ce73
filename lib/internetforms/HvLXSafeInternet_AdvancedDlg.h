// The network settings dialog: the proxy (the system's, detected on the host, or a manual one
// with credentials), the engine used for TLS, connection detection and the embedded browser's
// cache, on the pages of one page control.
#pragma once

#include <cstdint>
#include <memory>

#include "HvColoredEdit.h"
#include "HvLXComCtrls.h"
#include "HvLXKeyboardDialog.h"
#include "HvLXPasswordEdit.h"
#include "HvLXStdCtrls.h"
#include "HvPageSheets.h"
#include "HvStdCtrls.h"
#include "HvStyledLabel.h"

namespace hv {

class THvLXSafeWinInetAdvancedForm : public THvLXKeyboardDialog {
  HV_FORM_CLASS(THvLXSafeWinInetAdvancedForm, THvLXKeyboardDialog)

 public:
  using THvLXKeyboardDialog::THvLXKeyboardDialog;

  // Page indexes of HvPageControl1.
  enum : int { kProxyPage, kTlsSslPage, kConnectionDetectionPage, kBrowserPage };

  THvPageControl* HvPageControl1 = nullptr;
  std::unique_ptr<TPageSheets> Sheets;
  // Proxy
  THvCheckBox* UseIEProxyBox = nullptr;
  THvCheckBox* UseMacAdvancedProxyBox = nullptr;
  TStyledLabel* ProxyServerLbl = nullptr;
  TColoredEdit* ManualProxyServerEdit = nullptr;
  TColoredEdit* AutoProxyHintBox = nullptr;
  TStyledLabel* ProxyUsernameLbl = nullptr;
  TEdit* ProxyUsernameEdit = nullptr;
  TStyledLabel* ProxyPasswordLbl = nullptr;
  THvPasswordEdit* ProxyPasswordEdit = nullptr;
  // TLS/SSL
  TStyledLabel* OpenSSLLbl = nullptr;
  THvComboBox* OpenSSLBox = nullptr;
  // Connection Detection
  TStyledLabel* InternetConnectionLbl = nullptr;
  THvCheckBox* AutoPrimeEnableBox = nullptr;
  THvSpinEdit* AutoPrimeMaxAttemptsEdit = nullptr;
  TStyledLabel* MaxAttemptsLbl = nullptr;
  TEdit* AutoPrimeUrlEdit = nullptr;
  TStyledLabel* UrlToUseLbl = nullptr;
  THvSpinEdit* AutoPrimeDelayEdit = nullptr;
  TStyledLabel* DelayLbl = nullptr;
  THvCheckBox* AlwaysReportConnectionBox = nullptr;
  // Web Browser
  TStyledLabel* Label1 = nullptr;
  THvButton* ClearChromiumCacheBtn = nullptr;
  // Below the pages
  THvButton* RunNetDiagBtn = nullptr;
  THvButton* OKBtn = nullptr;
  THvButton* CancelBtn = nullptr;

  void HvFormLXCreate(TForm& sender);
  void UseIEProxyBoxClick(TComponent* sender);
  void AutoPrimeEnableBoxClick(TComponent* sender);
  void ClearChromiumCacheBtnClick(TComponent* sender);
  void RunNetDiagBtnClick(TComponent* sender);

  // Ctrl+Tab and Ctrl+Shift+Tab page through the shown tabs.
  bool IsShortCut(const MSG& msg) override;

 protected:
  void RevealControl(TWinControl* control) override;
};

// The most characters the connection-detection address takes.
inline constexpr int kAutoPrimeUrlMaxLength = 240;

// Shows the network settings dialog; true when the user confirmed (the settings are then taken
// over with SetAdvancedInternetSettings). Flags as for the settings dialog hook of the
// internet layer: the proxy page, and the connection-detection page while Shift is held.
bool ShowAdvancedSettingsDialog(std::uint8_t flags);

// What an embedded browser component installs so that the dialog offers to clear its cache:
// whether it can be cleared now, and the clearing. The page shows only with both installed.
using TBrowserCacheQueryHook = bool (*)();
using TBrowserCacheClearHook = void (*)();
void SetBrowserCacheHooks(TBrowserCacheQueryHook canClear, TBrowserCacheClearHook clear);

}  // namespace hv
