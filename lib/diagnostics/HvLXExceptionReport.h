// Every exception the program raises gets a stack trace at the moment of raising, and the
// first 1000 of a process (silent aborts excepted) are written as full reports to the event
// log (HvLXEventLog.h): class and message, extra information, the stack without the frames of
// the raising machinery, and the reports of the exceptions that were being handled. The hooks
// are installed when the program starts. A system exception in the program's code (a fault) is
// reported too: the faulting thread only takes its stack, and the report is written by a thread
// of its own, which the faulting thread waits for up to 10 seconds.
#pragma once

#include <memory>
#include <string>

#include "HvExceptions.h"
#include "HvLXStackWalk.h"
#include "HvWindows.h"

namespace hv {

class TStrings;

inline constexpr DWORD kRuntimeExceptionCode = 0x0EEDFADE;  // an exception object of the program
inline constexpr DWORD kThreadNameExceptionCode = 0x406D1388;
inline constexpr int kExceptionReportsPerProcess = 1000;

// The stack information of one exception (its StackInfo).
class TStackInfoList {
 public:
  std::unique_ptr<TStackTrace> stackTrace;
  EXCEPTION_RECORD ExceptRec{};  // only the code and the exception address are read
  std::wstring InnerExceptStackTrace;  // reports of earlier exceptions, empty when none

  // Appends the report of `innerE` (nothing for null), after a rule when there is one already.
  void AddToInnerExceptStackTrace(const Exception* innerE);
};

// "Class: message", then the extra-information block or a rule.
std::wstring ExceptionHeaderText(const Exception& e);
// "Stack list, generated <date time>" and a line per frame, without the frames of the raising
// machinery; a ">> " line for the raising address when the walk did not see it.
void AddStackListLines(const TStackTrace* stack, TStrings& lines, const EXCEPTION_RECORD& rec);
std::wstring StackInfoToString(const TStackInfoList* info);
// The raise-time hook: captures the stack for the exception `e` (null for a system exception)
// raised as `rec`, and writes its report while reports are left. Answers null for no record
// or a thread-naming record. Raises only what writing the report to the event log raises.
std::unique_ptr<TStackInfoList> CaptureStackInfo(const EXCEPTION_RECORD* rec, const Exception* e);
// Header and, while the stack text hook is installed, the stack text of `info` (or of e's own
// stack information), each as one entry, with rules of 100 - indent hyphens where asked.
void AddExceptionReport(const Exception& e, TStrings& lines, bool addTopRule, bool addBottomRule, int indent,
                        const TStackInfoList* info);
// A text with NUL characters as a quoted literal: 'a' + #0 + 'b'; other texts unchanged.
std::wstring QuoteNulChars(const std::wstring& text);

void InstallExceptionReportHooks();
void RemoveExceptionReportHooks();

// Reports still to be written in this process.
int ExceptionReportsLeft();
// Test seam: sets the reports left until the scope ends.
class ScopedExceptionReportsLeft {
 public:
  explicit ScopedExceptionReportsLeft(int left);
  ~ScopedExceptionReportsLeft();
  ScopedExceptionReportsLeft(const ScopedExceptionReportsLeft&) = delete;
  ScopedExceptionReportsLeft& operator=(const ScopedExceptionReportsLeft&) = delete;

 private:
  int FSaved;
};

}  // namespace hv
