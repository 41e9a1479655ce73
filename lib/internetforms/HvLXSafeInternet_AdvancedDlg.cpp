#include "HvLXSafeInternet_AdvancedDlg.h"

#include <algorithm>
#include <memory>

#include "HvApplication.h"
#include "HvFormat.h"
#include "HvLXHost.h"
#include "HvLXInternetDialogTexts.h"
#include "HvLXInternetSettings.h"
#include "HvScopeExit.h"

namespace hv {
namespace {

constexpr COLORREF kHintGreen = RGB(0, 128, 0);
constexpr wchar_t kAutoPrimeUrlDesignText[] = L"https://www.example.com/";

TBrowserCacheQueryHook gCanClearBrowserCache = nullptr;
TBrowserCacheClearHook gClearBrowserCache = nullptr;

bool BrowserHooksInstalled() { return gCanClearBrowserCache && gClearBrowserCache; }

// Adds the controls in tab order; the tab order is also the order from the top in which
// they lie over each other, so the page control, which the pages' controls cover, comes last.
class TAdvancedFormBuilder {
 public:
  explicit TAdvancedFormBuilder(THvLXSafeWinInetAdvancedForm& form) : F(form) {}

  template <class C>
  C* Add(const wchar_t* name, TBounds bounds, int page = -1) {
    C* control = F.Add<C>(name, bounds);
    control->SetTabOrder(FNextTabOrder++);
    control->SetText(name);
    if (page >= 0) F.Sheets->Add(page, control);
    return control;
  }
  TStyledLabel* Label(const wchar_t* name, int left, int top, int page, bool bold = false) {
    auto* label = Add<TStyledLabel>(name, {left, top, 0, 13}, page);
    label->SetBold(bold);
    return label;
  }

  THvLXSafeWinInetAdvancedForm& F;

 private:
  int FNextTabOrder = 0;
};

const bool kAdvancedFormResource = [] {
  RegisterFormResourceFor<THvLXSafeWinInetAdvancedForm>([](THvLXSafeWinInetAdvancedForm& f) {
    f.SetBorderStyle(TFormBorderStyle::bsDialog);
    f.SetBorderIcons(biSystemMenu);
    f.SetClientSize96(403, 291);
    f.SetFont({L"MS Shell Dlg 2", -11});
    f.SetPosition(TPosition::poScreenCenter);
    f.OnCreate = [&f](TForm& sender) { f.HvFormLXCreate(sender); };
    f.HvPageControl1 = f.Add<THvPageControl>(L"HvPageControl1", {8, 8, 385, 239});
    f.HvPageControl1->SetTabOrder(1000);
    // ProxyConfigTab, TLS_SSL_Tab, ConnectionDetectionTab and BrowserTab, in that order.
    f.HvPageControl1->AddPage(SProxyPage);
    f.HvPageControl1->AddPage(STlsSslPage);
    f.HvPageControl1->AddPage(SConnectionDetectionPage);
    f.HvPageControl1->AddPage(SWebBrowserPage);
    f.Sheets = std::make_unique<TPageSheets>(*f.HvPageControl1);
    TAdvancedFormBuilder b(f);
    using Form = THvLXSafeWinInetAdvancedForm;

    f.UseIEProxyBox = b.Add<THvCheckBox>(L"UseIEProxyBox", {40, 15, 337, 17}, Form::kProxyPage);
    f.UseIEProxyBox->SetChecked(true);
    f.UseMacAdvancedProxyBox = b.Add<THvCheckBox>(L"UseMacAdvancedProxyBox", {58, 34, 314, 27}, Form::kProxyPage);
    f.UseMacAdvancedProxyBox->SetChecked(true);
    f.UseMacAdvancedProxyBox->SetWordWrap(true);
    f.ProxyServerLbl = b.Label(L"ProxyServerLbl", 40, 62, Form::kProxyPage);
    // Over the manual proxy's box while the proxy is found automatically.
    f.AutoProxyHintBox = b.Add<TColoredEdit>(L"AutoProxyHintBox", {168, 81, 177, 21}, Form::kProxyPage);
    f.AutoProxyHintBox->SetReadOnly(true);
    f.AutoProxyHintBox->SetFontColor(kHintGreen);
    f.AutoProxyHintBox->SetParentColor(true);
    f.ManualProxyServerEdit = b.Add<TColoredEdit>(L"ManualProxyServerEdit", {40, 81, 305, 21}, Form::kProxyPage);
    f.ProxyUsernameLbl = b.Label(L"ProxyUsernameLbl", 40, 112, Form::kProxyPage);
    f.ProxyUsernameEdit = b.Add<TEdit>(L"ProxyUsernameEdit", {40, 128, 305, 21}, Form::kProxyPage);
    f.ProxyPasswordLbl = b.Label(L"ProxyPasswordLbl", 40, 159, Form::kProxyPage);
    f.ProxyPasswordEdit = b.Add<THvPasswordEdit>(L"ProxyPasswordEdit", {40, 175, 305, 21}, Form::kProxyPage);
    f.ProxyPasswordEdit->SetAllowPasswordToBeRevealed(false);
    f.ProxyPasswordEdit->SetText(L"");

    f.OpenSSLLbl = b.Label(L"OpenSSLLbl", 40, 27, Form::kTlsSslPage);
    f.OpenSSLBox = b.Add<THvComboBox>(L"OpenSSLBox", {40, 43, 305, 21}, Form::kTlsSslPage);
    f.OpenSSLBox->SetStyle(TComboBoxStyle::csDropDownList);

    f.InternetConnectionLbl = b.Label(L"InternetConnectionLbl", 8, 5, Form::kConnectionDetectionPage, true);
    f.AutoPrimeEnableBox = b.Add<THvCheckBox>(L"AutoPrimeEnableBox", {8, 24, 361, 17}, Form::kConnectionDetectionPage);
    f.AutoPrimeMaxAttemptsEdit =
        b.Add<THvSpinEdit>(L"AutoPrimeMaxAttemptsEdit", {32, 47, 153, 22}, Form::kConnectionDetectionPage);
    f.AutoPrimeMaxAttemptsEdit->SetRange(1, 12);
    f.MaxAttemptsLbl = b.Label(L"MaxAttemptsLbl", 191, 50, Form::kConnectionDetectionPage);
    f.AutoPrimeUrlEdit = b.Add<TEdit>(L"AutoPrimeUrlEdit", {32, 75, 153, 21}, Form::kConnectionDetectionPage);
    f.AutoPrimeUrlEdit->SetText(kAutoPrimeUrlDesignText);
    f.AutoPrimeUrlEdit->SetMaxLength(kAutoPrimeUrlMaxLength);
    f.UrlToUseLbl = b.Label(L"UrlToUseLbl", 191, 78, Form::kConnectionDetectionPage);
    f.AutoPrimeDelayEdit = b.Add<THvSpinEdit>(L"AutoPrimeDelayEdit", {32, 102, 153, 22}, Form::kConnectionDetectionPage);
    f.AutoPrimeDelayEdit->SetRange(100, 2000);
    f.DelayLbl = b.Label(L"DelayLbl", 191, 105, Form::kConnectionDetectionPage);
    f.AlwaysReportConnectionBox =
        b.Add<THvCheckBox>(L"AlwaysReportConnectionBox", {8, 140, 361, 17}, Form::kConnectionDetectionPage);

    f.Label1 = b.Label(L"Label1", 16, 16, Form::kBrowserPage, true);
    f.ClearChromiumCacheBtn = b.Add<THvButton>(L"ClearChromiumCacheBtn", {16, 40, 177, 25}, Form::kBrowserPage);

    f.RunNetDiagBtn = b.Add<THvButton>(L"RunNetDiagBtn", {8, 257, 161, 25});
    f.OKBtn = b.Add<THvButton>(L"OKBtn", {230, 257, 75, 25});
    f.OKBtn->SetModalResult(mrOk);
    f.CancelBtn = b.Add<THvButton>(L"CancelBtn", {318, 257, 75, 25});
    f.CancelBtn->SetModalResult(mrCancel);
    f.SetDefaultButton(f.OKBtn);
    f.SetCancelButton(f.CancelBtn);

    f.UseIEProxyBox->OnClick = [&f](TComponent* sender) { f.UseIEProxyBoxClick(sender); };
    f.UseMacAdvancedProxyBox->OnClick = [&f](TComponent* sender) { f.UseIEProxyBoxClick(sender); };
    f.AutoPrimeEnableBox->OnClick = [&f](TComponent* sender) { f.AutoPrimeEnableBoxClick(sender); };
    f.ClearChromiumCacheBtn->OnClick = [&f](TComponent* sender) { f.ClearChromiumCacheBtnClick(sender); };
    f.RunNetDiagBtn->OnClick = [&f](TComponent* sender) { f.RunNetDiagBtnClick(sender); };

    f.SetAccelerator(L'U', f.UseIEProxyBox);
    f.SetAccelerator(L'M', f.UseMacAdvancedProxyBox);
    f.SetAccelerator(L'S', f.ManualProxyServerEdit);
    f.SetAccelerator(L'N', f.ProxyUsernameEdit);
    f.SetAccelerator(L'W', f.ProxyPasswordEdit);
    f.SetAccelerator(L'O', f.OpenSSLBox);
    f.SetAccelerator(L'F', f.AutoPrimeEnableBox);
    f.SetAccelerator(L'X', f.AutoPrimeMaxAttemptsEdit);
    f.SetAccelerator(L'L', f.AutoPrimeUrlEdit);
    f.SetAccelerator(L'D', f.AutoPrimeDelayEdit);
    f.SetAccelerator(L'A', f.AlwaysReportConnectionBox);
    f.SetAccelerator(L'C', f.ClearChromiumCacheBtn);
    f.SetAccelerator(L'R', f.RunNetDiagBtn);
  });
  return true;
}();

bool ShiftHeld() { return GetKeyState(VK_SHIFT) < 0; }

// Items of the OpenSSL list: with Wine's workarounds the engine may also be used only when
// needed (the default there); otherwise WinInet is the default and the other engine forced.
enum TOpenSSLItem : int { osNever = 0, osWhenNeeded = 1, osAlways = 2 };

int OpenSSLItemOf(const TAdvancedInternetSettings& s, bool wineTricks) {
  if (wineTricks) return s.AllowIndy ? (s.ForceIndy ? osAlways : osWhenNeeded) : osNever;
  return s.ForceIndy ? 1 : 0;
}

void ReadOpenSSLItem(int item, bool wineTricks, TAdvancedInternetSettings& s) {
  if (wineTricks) {
    s.AllowIndy = item == osWhenNeeded || item == osAlways;
    s.ForceIndy = item == osAlways;
  } else {
    s.ForceIndy = item == 1;
  }
}

// A stored number outside the box's range shows clamped; unless the user changed what the box
// showed, the stored number stays as it was rather than becoming the clamp.
int ReadSpinEdit(const TSpinEdit& edit, int stored) {
  int value = edit.Value();
  return value == std::clamp(stored, edit.MinValue(), edit.MaxValue()) ? stored : value;
}

}  // namespace

void SetBrowserCacheHooks(TBrowserCacheQueryHook canClear, TBrowserCacheClearHook clear) {
  gCanClearBrowserCache = canClear;
  gClearBrowserCache = clear;
}

void THvLXSafeWinInetAdvancedForm::HvFormLXCreate(TForm&) {
  SetCaption(SNetworkSettingsCaption);
  UseIEProxyBox->SetText(SUseIEProxy);
  UseMacAdvancedProxyBox->SetText(SUseMacAdvancedProxy);
  ProxyServerLbl->SetText(SProxyServer);
  ProxyUsernameLbl->SetText(SProxyUsername);
  ProxyPasswordLbl->SetText(SProxyPassword);
  OpenSSLLbl->SetText(SOpenSSL);
  InternetConnectionLbl->SetText(SDetectingConnection);
  AutoPrimeEnableBox->SetText(SForcePreliminaryAttempts);
  MaxAttemptsLbl->SetText(SMaximumAttempts);
  UrlToUseLbl->SetText(SUrlToUse);
  DelayLbl->SetText(SDelayAfterAttempt);
  AlwaysReportConnectionBox->SetText(SAlwaysReportConnection);
  Label1->SetText(SEmbeddedBrowser);
  ClearChromiumCacheBtn->SetText(SClearCache);
  RunNetDiagBtn->SetText(SRunNetworkDiagnostics);
  OKBtn->SetText(SOK);
  CancelBtn->SetText(SCancel);

  const bool browser = BrowserHooksInstalled();
  Sheets->SetTabVisible(kBrowserPage, browser);
  ClearChromiumCacheBtn->SetEnabled(browser && gCanClearBrowserCache());
  HvPageControl1->SetActivePageIndex(kProxyPage);

  auto& items = OpenSSLBox->Items();
  items.Clear();
  if (UseWineTricks(L"unknown")) {
    items.Add(SOpenSSLNever);
    items.Add(Format(SDefaultChoice, {SOpenSSLWhenNeeded}));
    items.Add(SOpenSSLAlways);
  } else {
    items.Add(Format(SDefaultChoice, {SOpenSSLNever}));
    items.Add(SOpenSSLAlways);
  }
}

void THvLXSafeWinInetAdvancedForm::UseIEProxyBoxClick(TComponent*) {
  const bool useSystem = UseIEProxyBox->Checked();
  ProxyServerLbl->SetEnabled(!useSystem);
  ManualProxyServerEdit->SetEnabled(!useSystem);
  ManualProxyServerEdit->SetFontColor(GetSysColor(useSystem ? COLOR_GRAYTEXT : COLOR_WINDOWTEXT));
  AutoProxyHintBox->SetDesignBounds(ManualProxyServerEdit->DesignBounds());
  Sheets->SetControlVisible(AutoProxyHintBox, useSystem);
  Sheets->SetControlVisible(UseMacAdvancedProxyBox, useSystem && IsMac());
  if (IsWine() && useSystem) {
    std::wstring proxy = RedetectHostProxy(UseMacAdvancedProxyBox->Checked());
    AutoProxyHintBox->SetText(Format(SDetectedProxy, {proxy.empty() ? std::wstring(SNoProxy) : proxy}));
  }
}

void THvLXSafeWinInetAdvancedForm::AutoPrimeEnableBoxClick(TComponent*) {
  const bool enabled = AutoPrimeEnableBox->Checked();
  for (TWinControl* c : std::initializer_list<TWinControl*>{AutoPrimeMaxAttemptsEdit, MaxAttemptsLbl, AutoPrimeUrlEdit,
                                                            UrlToUseLbl, AutoPrimeDelayEdit, DelayLbl})
    c->SetEnabled(enabled);
}

void THvLXSafeWinInetAdvancedForm::ClearChromiumCacheBtnClick(TComponent*) {
  if (!gClearBrowserCache) throw EHvInternalError(std::wstring(L"Internal Error: ") + SClearChromiumCacheMissing);
  gClearBrowserCache();
}

void THvLXSafeWinInetAdvancedForm::RunNetDiagBtnClick(TComponent*) { RunNetworkDiagnostics(); }

bool THvLXSafeWinInetAdvancedForm::IsShortCut(const MSG& msg) {
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && GetKeyState(VK_CONTROL) < 0) {
    HvPageControl1->SelectNextPage(GetKeyState(VK_SHIFT) >= 0);
    HvPageControl1->SetFocus();  // the focused control may have gone with its page
    return true;
  }
  return THvLXKeyboardDialog::IsShortCut(msg);
}

void THvLXSafeWinInetAdvancedForm::RevealControl(TWinControl* control) {
  int page = Sheets->PageOf(control);
  if (page >= 0 && HvPageControl1->TabVisible(page)) HvPageControl1->SetActivePageIndex(page);
}

bool ShowAdvancedSettingsDialog(std::uint8_t flags) {
  TAdvancedInternetSettings settings = GetAdvancedInternetSettings();
  std::unique_ptr<THvLXSafeWinInetAdvancedForm> form(TForm::Create<THvLXSafeWinInetAdvancedForm>(&Application()));
  THvLXSafeWinInetAdvancedForm& f = *form;
  const bool wineTricks = UseWineTricks(L"unknown");
  const bool shift = ShiftHeld();

  f.RunNetDiagBtn->SetText(SRunNetworkDiagnostics);
  f.RunNetDiagBtn->SetEnabled(NetworkDiagnosticsAvailable());

  f.Sheets->SetTabVisible(THvLXSafeWinInetAdvancedForm::kProxyPage, (flags & kSettingsDialogProxyPage) != 0);
  f.Sheets->SetTabVisible(THvLXSafeWinInetAdvancedForm::kTlsSslPage, wineTricks || shift);
  f.Sheets->SetTabVisible(THvLXSafeWinInetAdvancedForm::kConnectionDetectionPage,
                          (flags & kSettingsDialogConnectionDetectionPage) != 0 && shift);

  if (IsWine()) {
    f.UseIEProxyBox->SetText(SAutodetectProxy);
    f.UseMacAdvancedProxyBox->SetText(SUseMacAdvancedProxy);
  } else {
    f.AutoProxyHintBox->SetText(SUseIEProxy);
  }
  f.AutoProxyHintBox->SetText(L"(" + f.AutoProxyHintBox->Text() + L")");

  f.AutoPrimeEnableBox->SetChecked(settings.AutoPrime_Enable);
  f.AutoPrimeMaxAttemptsEdit->SetValue(settings.AutoPrime_MaxTrialCount);
  f.AutoPrimeUrlEdit->SetText(settings.AutoPrime_URL);
  f.AutoPrimeDelayEdit->SetValue(settings.AutoPrime_PostDelay);
  f.AlwaysReportConnectionBox->SetChecked(settings.AlwaysReport_InternetAsConnected);
  f.ManualProxyServerEdit->SetText(settings.Proxy_Server);
  f.ProxyUsernameEdit->SetText(settings.Proxy_Username);
  f.ProxyPasswordEdit->SetText(settings.Proxy_Password);
  {
    TNotifyEvent ieClick = std::move(f.UseIEProxyBox->OnClick);
    TNotifyEvent macClick = std::move(f.UseMacAdvancedProxyBox->OnClick);
    f.UseIEProxyBox->OnClick = nullptr;
    f.UseMacAdvancedProxyBox->OnClick = nullptr;
    ScopeExit reattach([&] {
      f.UseIEProxyBox->OnClick = std::move(ieClick);
      f.UseMacAdvancedProxyBox->OnClick = std::move(macClick);
    });
    f.UseIEProxyBox->SetChecked(settings.Proxy_UseIE_AutoDetect);
    f.UseMacAdvancedProxyBox->SetChecked(settings.Proxy_MacAdvanced_AutoDetect);
  }
  f.OpenSSLBox->SetItemIndex(OpenSSLItemOf(settings, wineTricks));

  f.AutoPrimeEnableBoxClick(f.AutoPrimeEnableBox);
  try {
    f.UseIEProxyBoxClick(f.UseIEProxyBox);
  } catch (...) {
    // A host proxy that cannot be detected is reported; the user may still choose another.
    Application().HandleException();
  }
  if (f.ShowModal() != mrOk) return false;

  settings.AutoPrime_Enable = f.AutoPrimeEnableBox->Checked();
  settings.AutoPrime_MaxTrialCount = ReadSpinEdit(*f.AutoPrimeMaxAttemptsEdit, settings.AutoPrime_MaxTrialCount);
  settings.AutoPrime_URL = f.AutoPrimeUrlEdit->Text();
  settings.AutoPrime_PostDelay = ReadSpinEdit(*f.AutoPrimeDelayEdit, settings.AutoPrime_PostDelay);
  settings.AlwaysReport_InternetAsConnected = f.AlwaysReportConnectionBox->Checked();
  settings.Proxy_Server = f.ManualProxyServerEdit->Text();
  settings.Proxy_Username = f.ProxyUsernameEdit->Text();
  settings.Proxy_Password = f.ProxyPasswordEdit->Text();
  settings.Proxy_UseIE_AutoDetect = f.UseIEProxyBox->Checked();
  settings.Proxy_MacAdvanced_AutoDetect = f.UseMacAdvancedProxyBox->Checked();
  ReadOpenSSLItem(f.OpenSSLBox->ItemIndex(), wineTricks, settings);
  SetAdvancedInternetSettings(settings);
  return true;
}

}  // namespace hv
