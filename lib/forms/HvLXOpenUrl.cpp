#include "HvLXOpenUrl.h"

#include "HvWindows.h"

#include "HvApplication.h"
#include "HvExceptions.h"
#include "HvLXInternetSettings.h"
#include "HvLXShellOpen.h"

namespace hv {
namespace {
const wchar_t kConnectWarning[] =
    L"This action will cause your Web browser to connect to the Internet.\r\nDo you want to proceed?";
const wchar_t kOpenQuestion[] = L"Do you want to open this link?";
}

bool LinkOpensNow(const std::wstring& url) { return IsUrlAllowed(url); }

void OpenUrlConfirmed(const std::wstring& url, TUrlOpener opener, void* param, const std::wstring& caution) {
  // A link that needs no network opens without asking, unless it comes with a caution (a link
  // that starts a program, say): then the user sees it and agrees first.
  const bool online = UrlUsesNetwork(url);
  if (online || !caution.empty()) {
    TForm* main = Application().MainForm();
    HWND owner = main && main->HandleAllocated() ? main->Handle() : nullptr;
    std::wstring question = caution.empty() ? std::wstring() : caution + L"\r\n\r\n";
    question += online ? std::wstring(kConnectWarning) : std::wstring(kOpenQuestion);
    question += L"\r\n\r\n" + url;
    const UINT icon = caution.empty() ? MB_ICONQUESTION : MB_ICONWARNING | MB_DEFBUTTON2;
    int answer =
        MessageBoxW(owner, question.c_str(), Application().Title().c_str(), MB_YESNOCANCEL | icon | MB_TASKMODAL);
    if (answer != IDYES) throw EAbort(L"Operation aborted");
  }
  if (opener) {
    opener(url, param);
    return;
  }
  ShellOpenLX(url, L"", L"", SW_SHOW);
}

}  // namespace hv
