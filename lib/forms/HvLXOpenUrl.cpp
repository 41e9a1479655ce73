#include "HvLXOpenUrl.h"

#include "HvWindows.h"

#include <shellapi.h>

#include "HvApplication.h"
#include "HvExceptions.h"

namespace hv {
namespace {
const wchar_t kConnectWarning[] =
    L"This action will cause your Web browser to connect to the Internet.\r\nDo you want to proceed?";
}

void OpenUrlConfirmed(const std::wstring& url, TUrlOpener opener, void* param) {
  TForm* main = Application().MainForm();
  HWND owner = main && main->HandleAllocated() ? main->Handle() : nullptr;
  int answer = MessageBoxW(owner, kConnectWarning, Application().Title().c_str(),
                           MB_YESNOCANCEL | MB_ICONQUESTION | MB_TASKMODAL);
  if (answer != IDYES) throw EAbort(L"Operation aborted");
  if (opener) {
    opener(url, param);
    return;
  }
  auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(owner, nullptr, url.c_str(), nullptr, nullptr, SW_SHOW));
  // Codes up to 32 are the shell's errors; the old ones match the system's error codes.
  if (result <= 32) throw MakeOSError(static_cast<DWORD>(result == 0 ? ERROR_OUTOFMEMORY : result));
}

}  // namespace hv
