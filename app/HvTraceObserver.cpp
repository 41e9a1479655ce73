#include "HvTraceObserver.h"

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
  std::wstring text = TraceKindText(trace.Kind) + L": " + trace.Location;
  if (!trace.Detail.empty()) text += L" (" + trace.Detail + L")";
  return text;
}

}  // namespace hv
