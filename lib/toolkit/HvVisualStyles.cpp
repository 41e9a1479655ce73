#include "HvVisualStyles.h"

#include <mutex>
#include <string>

#include "HvWindows.h"

#include <commctrl.h>

namespace hv {
namespace {

// The activation context wants a manifest file; it is read at creation, so the file only
// has to live for the call.
bool ActivateFromTemporaryManifest() {
  std::wstring temp(MAX_PATH + 1, L'\0');
  DWORD n = GetTempPathW(static_cast<DWORD>(temp.size()), temp.data());
  if (n == 0 || n > temp.size()) return false;
  temp.resize(n);
  std::wstring file(MAX_PATH + 1, L'\0');
  if (!GetTempFileNameW(temp.c_str(), L"hvm", 0, file.data())) return false;
  file.resize(wcslen(file.c_str()));

  bool ok = false;
  HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_TEMPORARY, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    const std::wstring& xml = CommonControlsV6ManifestXml();
    int bytes = WideCharToMultiByte(CP_UTF8, 0, xml.data(), static_cast<int>(xml.size()), nullptr, 0, nullptr, nullptr);
    std::string utf8(bytes, '\0');
    WideCharToMultiByte(CP_UTF8, 0, xml.data(), static_cast<int>(xml.size()), utf8.data(), bytes, nullptr, nullptr);
    DWORD written = 0;
    bool wrote = WriteFile(h, utf8.data(), static_cast<DWORD>(utf8.size()), &written, nullptr) && written == utf8.size();
    CloseHandle(h);
    if (wrote) {
      ACTCTXW ctx{};
      ctx.cbSize = sizeof(ctx);
      ctx.lpSource = file.c_str();
      HANDLE act = CreateActCtxW(&ctx);
      if (act != INVALID_HANDLE_VALUE) {
        ULONG_PTR cookie = 0;
        // Kept active for the life of the process: every window class registered from now
        // on must come from version 6.
        ok = ActivateActCtx(act, &cookie) != FALSE;
        if (!ok) ReleaseActCtx(act);
      }
    }
  }
  DeleteFileW(file.c_str());
  return ok;
}

}  // namespace

bool CommonControlsRedirected() {
  ACTCTX_SECTION_KEYED_DATA data{};
  data.cbSize = sizeof(data);
  return FindActCtxSectionStringW(0, nullptr, ACTIVATION_CONTEXT_SECTION_DLL_REDIRECTION,
                                  L"comctl32.dll", &data) != FALSE;
}

const std::wstring& CommonControlsV6ManifestXml() {
  static const std::wstring xml =
      L"<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n"
      L"<assembly xmlns=\"urn:schemas-microsoft-com:asm.v1\" manifestVersion=\"1.0\">\r\n"
      L"  <dependency>\r\n"
      L"    <dependentAssembly>\r\n"
      L"      <assemblyIdentity type=\"win32\" name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""
      L" processorArchitecture=\"*\" publicKeyToken=\"6595b64144ccf1df\" language=\"*\"/>\r\n"
      L"    </dependentAssembly>\r\n"
      L"  </dependency>\r\n"
      L"</assembly>\r\n";
  return xml;
}

bool EnsureCommonControlsV6() {
  static std::once_flag once;
  static bool active = false;
  std::call_once(once, [] {
    active = CommonControlsRedirected() || (ActivateFromTemporaryManifest() && CommonControlsRedirected());
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES | ICC_BAR_CLASSES};
    InitCommonControlsEx(&icc);
  });
  return active;
}

}  // namespace hv
