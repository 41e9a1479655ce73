// What the removal engine tells an optional listener about each trace it meets. Listening
// changes no answer and no deletion; it lets a report or a log say what was found.
#pragma once

#include <string>

namespace hv {

enum class TTraceKind {
  InstallationFolder,     // a folder under Program Files
  UninstallEntry,         // an Add/Remove Programs entry matched by its uninstall command
  NamedUninstallEntry,    // an Add/Remove Programs entry matched by its name
  UninstallLink,          // an "UninstallLink" value under the maker's or the SOFTWARE key
  InstallerRegistration,  // a Windows Installer registration matched by its product name
  IdentCacheEntry,        // the setup tool's identification-cache key
  IdentCacheFolder,       // the folder that key names
};

struct TTrace {
  TTraceKind Kind;
  std::wstring Location;  // folder path, or full registry key path
  std::wstring Detail;    // the value that matched, where there is one
};

std::wstring TraceKindText(TTraceKind kind);
// "Installation folder: C:\...", "Add/Remove Programs entry: HKEY_...\{..} (UninstallString = ...)",
// one line: control characters of the location and detail shown escaped.
std::wstring DescribeTrace(const TTrace& trace);

class ITraceObserver {
 public:
  virtual ~ITraceObserver() = default;
  virtual void TraceFound(const TTrace& trace) = 0;
  // A trace found in removal mode that is now gone.
  virtual void TraceRemoved(const TTrace&) {}
  // A trace that was found but deliberately left in place (a protected or linked folder).
  virtual void TraceSkipped(const TTrace& trace, const std::wstring& reason) = 0;
  // A file or folder of a trace that was in use and will be deleted when the computer restarts.
  virtual void EntryScheduledForRestart(const std::wstring&) {}
};

}  // namespace hv
