#include "HvLXHostPathStub.h"

#include "HvLXHost.h"
#include "HvLXSystemText.h"

namespace hv::hoststub {
namespace {

// Wine hands the host environment to its programs, so HOME is the host home folder; the host
// unit will ask the host shell instead.
std::wstring HostHomeFolder() {
  std::wstring home = GetEnvironmentValue(L"HOME");
  if (!home.empty() && home.back() == L'/') home.pop_back();
  return home;
}

}  // namespace

std::wstring NativeHomeDir() { return L"~"; }

std::wstring NativeTmpDir() {
  std::wstring tmp = GetEnvironmentValue(L"TMPDIR");
  return tmp.empty() ? L"/tmp/" : tmp;
}

std::wstring ConvertNativePathToDos(const std::wstring& hostPath) {
  if (IsChromeOS()) return hostPath;
  std::wstring path = hostPath;
  if (path.starts_with(L"~")) path = HostHomeFolder() + path.substr(1);
  if (path.find(L'/') == std::wstring::npos) return path;
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  if (path.starts_with(L"\\")) path = L"Z:" + path;
  return path;
}

}  // namespace hv::hoststub
