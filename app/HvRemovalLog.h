// The log of an unattended removal, for the administrator who reads it afterwards: UTF-8 with a
// byte order mark (on a new file only), CR LF, always appended to. The file stays open without
// delete sharing for the whole run, so the cleaning of the temporary folder cannot take it
// when it lies there.
#pragma once

#include <string>

#include "HvExceptions.h"
#include "HvHandles.h"
#include "HvTraceObserver.h"

namespace hv {

class TRemovalLog : public ITraceObserver {
 public:
  // Opens `path` (created when missing, never truncated). Raises EOSError when it cannot.
  explicit TRemovalLog(std::wstring path);

  const std::wstring& Path() const { return FPath; }
  void Line(const std::wstring& text);
  // Time, program version, user, elevation and command line.
  void Header(const std::wstring& commandLine);
  // The text the error box would show, then the exception's extra information.
  void Error(const Exception& e);

  void TraceFound(const TTrace& trace) override;
  void TraceRemoved(const TTrace& trace) override;
  void TraceSkipped(const TTrace& trace, const std::wstring& reason) override;

 private:
  std::wstring FPath;
  UniqueFileHandle FFile;
  bool FNewFile = false;
};

// A dated file name in the library's temporary folder.
std::wstring DefaultRemovalLogPath();

}  // namespace hv
