#include "HvTraceObserver.h"

#include "HvLogText.h"

namespace hv {

std::wstring TraceKindText(TTraceKind kind) {
  switch (kind) {
    case TTraceKind::InstallationFolder: return L"Installation folder";
    case TTraceKind::UninstallEntry: return L"Add/Remove Programs entry";
    case TTraceKind::NamedUninstallEntry: return L"Add/Remove Programs entry";
    case TTraceKind::UninstallLink: return L"UninstallLink value";
    case TTraceKind::InstallerRegistration: return L"Windows Installer registration";
    case TTraceKind::IdentCacheEntry: return L"Identification cache entry";
    case TTraceKind::IdentCacheFolder: return L"Identification cache folder";
  }
  return L"Trace";
}

std::wstring DescribeTrace(const TTrace& trace) {
  // Locations and details come from registry values: a line break in one must not start a
  // line of its own wherever the description is shown.
  std::wstring text = TraceKindText(trace.Kind) + L": " + EscapeControlCharacters(trace.Location);
  if (!trace.Detail.empty()) text += L" (" + EscapeControlCharacters(trace.Detail) + L")";
  return text;
}

}  // namespace hv
