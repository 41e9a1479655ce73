// The log of an unattended removal, for the administrator who reads it afterwards: UTF-8 with a
// byte order mark (on a new file only), CR LF, one line per call with every control character
// shown escaped. The file stays open without delete sharing for the whole run, so the cleaning
// of the temporary folder cannot take it when it lies there.
#pragma once

#include <memory>
#include <string>

#include "HvExceptions.h"
#include "HvHandles.h"
#include "HvTraceObserver.h"

namespace hv {

// Append: the file the administrator named, created when missing, else appended to. New: a file
// created new, `path` itself or "name (2).ext" and so on when taken.
enum class TLogOpening { Append, New };

class TRemovalLog : public ITraceObserver {
 public:
  // Never truncates, never writes through a link or a second name of another file. Raises
  // EOSError when it cannot open the file, EHvGeneralError when it is such a link.
  explicit TRemovalLog(std::wstring path, TLogOpening opening = TLogOpening::Append);

  const std::wstring& Path() const { return FPath; }
  void Line(const std::wstring& text);
  // Time, program version, user, elevation and command line.
  void Header(const std::wstring& commandLine);
  // The text the error box would show, then the exception's extra information.
  void Error(const Exception& e);

  void TraceFound(const TTrace& trace) override;
  void TraceRemoved(const TTrace& trace) override;
  void TraceSkipped(const TTrace& trace, const std::wstring& reason) override;
  void EntryScheduledForRestart(const std::wstring& path) override;

 private:
  std::wstring FPath;
  UniqueFileHandle FFile;
  bool FNewFile = false;
};

// ProgramData's HalvernUninstaller\Logs\, made for administrators alone (see
// AdminOnlyDataFolder); raises when it is there but not theirs alone.
std::wstring RemovalLogFolder();
// A dated file name in that folder, to be opened with TLogOpening::New.
std::wstring DefaultRemovalLogPath();
// The log of a command: the file named with /log (appended to) or else a new dated one; its path
// printed and its header written. Null, with the reason printed, when it cannot be opened.
std::unique_ptr<TRemovalLog> OpenCommandLog(const std::wstring& logPath, const std::wstring& commandLine);

}  // namespace hv
