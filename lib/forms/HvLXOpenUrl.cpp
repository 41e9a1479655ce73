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
}

void OpenUrlConfirmed(const std::wstring& url, TUrlOpener opener, void* param) {
  if (UrlUsesNetwork(url)) {
    TForm* main = Application().MainForm();
    HWND owner = main && main->HandleAllocated() ? main->Handle() : nullptr;
    int answer = MessageBoxW(owner, kConnectWarning, Application().Title().c_str(),
                             MB_YESNOCANCEL | MB_ICONQUESTION | MB_TASKMODAL);
    if (answer != IDYES) throw EAbort(L"Operation aborted");
  }
  if (opener) {
    opener(url, param);
    return;
  }
  ShellOpenLX(url, L"", L"", SW_SHOW);
}

}  // namespace hv
