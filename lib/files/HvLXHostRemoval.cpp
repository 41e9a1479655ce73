#include "HvLXHostRemoval.h"

#include "HvExceptions.h"
#include "HvFormat.h"

#include "HvLXHostPaths.h"
#include "HvLXHostScript.h"
#include "HvLXPaths.h"

namespace hv {

std::wstring HostPathOfEntry(const std::wstring& path) {
  // A control character would change the script line, or the name, on its way to the host.
  for (wchar_t c : path)
    if (c < L' ' || c == 0x7F)
      throw EHvGeneralError(Fmt(L"The path \"%s\" holds a control character; it is not handed to the host shell.", path));
  // The host gets exactly the path that was checked: "link\..\x" is "x" here, but the host
  // would go through the link first.
  std::wstring entry = ExcludeTrailingBackslashLX(ExpandFileNameLX(path));
  if (entry.starts_with(L"\\\\?\\") && !entry.starts_with(L"\\\\?\\UNC\\")) entry.erase(0, 4);
  const std::size_t sep = entry.find_last_of(L'\\');
  std::wstring folder = Wine_ConvertDosPathToNative(entry.substr(0, sep + 1));
  if (!folder.ends_with(L"/")) folder += L"/";
  return folder + entry.substr(sep + 1);
}

void RemoveHostLinksInTree(const std::wstring& root) {
  // find does not follow links (-P), also not the starting point; rm -f on a link removes it.
  Wine_RunScript(L"RemoveLinks", L"find -P " + HostShellWord(HostPathOfEntry(root)) + L" -type l -exec rm -f -- {} +");
}

void RemoveTreeThroughHost(const std::wstring& path) {
  // No trailing "/": with one, rm would follow a link at the path and empty its target.
  Wine_RunScript(L"RemoveNonEmptyDir", L"rm -rf -- " + HostShellWord(HostPathOfEntry(path)));
}

}  // namespace hv
