#include "HvLXExceptionReport.h"

#include <algorithm>
#include <atomic>
#include <initializer_list>
#include <string_view>

#include "HvExceptionHooks.h"
#include "HvFormat.h"
#include "HvLXEventLog.h"
#include "HvLXStrings.h"
#include "HvStringList.h"

namespace hv {
namespace {

const std::wstring kShortRule(26, L'-');
const std::wstring kRule(32, L'-');
const std::wstring kIndentedRule = L"    " + std::wstring(32, L'-');
constexpr wchar_t kExtraInfoStart[] = L"---- Extra Info BEGIN ----";
constexpr wchar_t kExtraInfoEnd[] = L"----- Extra Info END -----";
constexpr wchar_t kCrLf[] = L"\r\n";

// The routines a raise passes before the hook: the throw wrapper and the runtime's throw.
constexpr std::wstring_view kRaiseRoutines[] = {L"__cxa_throw", L"__cxa_rethrow"};
// How many frame lines below the header may belong to the raising machinery.
constexpr int kRaiseScanLines = 10;

std::atomic<int> ReportsLeft{kExceptionReportsPerProcess};

// Takes one report from the budget; false once it is spent. Never goes below zero, so the
// limit holds exactly when threads raise at once.
bool TakeReport() {
  int left = ReportsLeft.load();
  while (left > 0 && !ReportsLeft.compare_exchange_weak(left, left - 1)) {
  }
  return left > 0;
}

bool Contains(const std::wstring& line, std::wstring_view part) { return line.find(part) != std::wstring::npos; }

bool IsRaiseLine(const std::wstring& line) {
  for (std::wstring_view routine : kRaiseRoutines)
    if (Contains(line, routine)) return true;
  return false;
}

std::wstring CaptureTimeText(const SYSTEMTIME& time) {
  wchar_t date[128] = {}, clock[128] = {};
  GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &time, nullptr, date, 128, nullptr);
  GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &time, nullptr, clock, 128);
  return std::wstring(date) + L" " + clock;
}

bool IsAbort(const Exception* e) { return dynamic_cast<const EAbort*>(e) != nullptr; }

// The report of a system exception, which has no exception object.
void AddExternalExceptionReport(const TStackInfoList& info, TStrings& lines) {
  lines.Add(Fmt(L"External Exception: %s", HexText(info.ExceptRec.ExceptionCode, 8)));
  lines.Add(Fmt(L"Exception Address: %s", CodeAddressText(info.ExceptRec.ExceptionAddress)));
  lines.Add(kRule);
  AddStackListLines(info.stackTrace.get(), lines, info.ExceptRec);
}

// The report text of a raise, each line ended by CR LF.
std::wstring ReportText(const Exception* e, const TStackInfoList& info) {
  THvStringList lines;
  if (e) AddExceptionReport(*e, lines, false, false, 0, &info);
  else AddExternalExceptionReport(info, lines);
  return lines.Text();
}

void* RaiseHook(const Exception& raised, void* raiseAddress) {
  EXCEPTION_RECORD rec{};
  rec.ExceptionCode = kRuntimeExceptionCode;
  rec.ExceptionFlags = EXCEPTION_NONCONTINUABLE;
  rec.ExceptionAddress = raiseAddress;
  return CaptureStackInfo(&rec, &raised).release();
}

void FreeStackInfo(void* info) { delete static_cast<TStackInfoList*>(info); }

std::wstring StackInfoText(void* info) { return StackInfoToString(static_cast<const TStackInfoList*>(info)); }

// The stack and the reports of what was being handled: what a report needs from the raising
// thread. A failing walk leaves fewer details, never an exception.
__attribute__((noinline)) std::unique_ptr<TStackInfoList> TakeStackInfo(const EXCEPTION_RECORD& rec,
                                                                      const Exception* e) {
  auto info = std::make_unique<TStackInfoList>();
  try {
    // A copy of an exception raised before carries its stack information: its first report
    // goes under the new one.
    if (e && e->StackInfo()) info->AddToInnerExceptStackTrace(e);
    info->stackTrace = std::make_unique<TStackTrace>();
    CaptureStack(*info->stackTrace, 2);  // this frame and its caller's
    // A fault is raised by the system's dispatcher, which called the vectored handler: its
    // frames end at the faulting instruction.
    auto& frames = info->stackTrace->frames;
    if (!e) {
      auto fault = std::find(frames.begin(), frames.end(), rec.ExceptionAddress);
      if (fault != frames.end()) frames.erase(frames.begin(), fault);
    }
    info->ExceptRec = rec;
    info->ExceptRec.ExceptionRecord = nullptr;  // the chain is not ours to keep

    // An exception raised while another is handled carries the handled one's report, unless
    // it names its inner exception itself, or it is that same exception raised again.
    const Exception* handled = ExceptObject();
    if (handled && (!e || (!e->InnerException() && !(e->StackInfo() && e->StackInfo() == handled->StackInfo()))))
      info->AddToInnerExceptStackTrace(handled);
  } catch (...) {
    // The report says what could be found.
  }
  return info;
}

void WriteReport(const std::wstring& report) {
  try {
    ReportErrorEventLX(report);
  } catch (...) {
    // An event log that cannot take the report (its folder cannot be made, say) must not
    // replace the exception being raised with its own.
  }
}

// A system exception (an access violation, say) in the program's own code. The vectored
// handler sees it before any handler of the program; it only reports and lets it go on.
thread_local bool InSystemExceptionHandler = false;

// How long the faulting thread waits for its report to be written.
constexpr DWORD kFaultReportWaitMs = 10000;

DWORD WINAPI WriteFaultReport(void* parameter) {
  const std::unique_ptr<TStackInfoList> info(static_cast<TStackInfoList*>(parameter));
  InSystemExceptionHandler = true;  // a fault of the report itself is not reported again
  std::wstring report;
  try {
    report = ReportText(nullptr, *info);
  } catch (...) {
    // The lookups failed: the report goes out as far as it got.
  }
  WriteReport(report);
  return 0;
}

// The faulting thread may hold what writing a report takes (a lock of the heap, the files, the
// line table being read, the loader's): it only takes its stack, and the report is made and
// written on a thread of its own, which it waits for a bounded time.
void ReportFault(const EXCEPTION_RECORD& rec) {
  std::unique_ptr<TStackInfoList> info = TakeStackInfo(rec, nullptr);
  const HANDLE writer = CreateThread(nullptr, 0, &WriteFaultReport, info.get(), 0, nullptr);
  if (!writer) return;
  info.release();  // the writer's from here on, also when this wait gives up
  WaitForSingleObject(writer, kFaultReportWaitMs);
  CloseHandle(writer);
}

LONG CALLBACK SystemExceptionHandler(EXCEPTION_POINTERS* pointers) {
  const EXCEPTION_RECORD* rec = pointers->ExceptionRecord;
  // Errors only (C++ throws, debugger notices and warnings are not), never on an exhausted
  // stack, and never for a fault of the report itself.
  if ((rec->ExceptionCode & 0xF0000000) != 0xC0000000 || rec->ExceptionCode == EXCEPTION_STACK_OVERFLOW ||
      !IsProgramCode(rec->ExceptionAddress) || InSystemExceptionHandler)
    return EXCEPTION_CONTINUE_SEARCH;
  InSystemExceptionHandler = true;
  try {
    if (TakeReport()) ReportFault(*rec);
  } catch (...) {
    // Nothing may leave a vectored handler.
  }
  InSystemExceptionHandler = false;
  return EXCEPTION_CONTINUE_SEARCH;
}

PVOID SystemExceptionHandlerHandle = nullptr;

// Installed as the program starts, before main; the link asks for this object up front
// (lib/CMakeLists.txt), so every program of the library has the hooks.
struct ReportHooksInstaller {
  ReportHooksInstaller() { InstallExceptionReportHooks(); }
  ~ReportHooksInstaller() { RemoveExceptionReportHooks(); }
} ReportHooksInstalled;

}  // namespace

extern "C" const void* const HvExceptionReportHooks = &ReportHooksInstalled;

void TStackInfoList::AddToInnerExceptStackTrace(const Exception* innerE) {
  if (!innerE) return;
  if (!InnerExceptStackTrace.empty()) InnerExceptStackTrace += kCrLf + kRule + kCrLf;
  InnerExceptStackTrace += ExceptionHeaderText(*innerE);
  InnerExceptStackTrace += kCrLf + innerE->StackTrace();
}

std::wstring ExceptionHeaderText(const Exception& e) {
  THvStringList lines;
  lines.Add(e.ClassName() + L": " + e.Message());
  IExtraErrorInfo* extra = nullptr;
  if (Supports(e, &extra)) {
    lines.AddStrings({kShortRule, kExtraInfoStart, kShortRule, QuoteNulChars(extra->GetExtraInfo()), kShortRule,
                      kExtraInfoEnd, kShortRule});
  } else {
    lines.Add(kRule);
  }
  return TrimLX(lines.Text());
}

void AddStackListLines(const TStackTrace* stack, TStrings& lines, const EXCEPTION_RECORD& rec) {
  TUpdateScope update(lines);
  const int start = lines.Count();
  SYSTEMTIME now{};
  if (!stack) GetLocalTime(&now);
  lines.Add(Fmt(L"Stack list, generated %s", CaptureTimeText(stack ? stack->capturedAt : now)));
  // A system exception's address is where the fault happened, not a return address.
  const bool fault = rec.ExceptionCode != kRuntimeExceptionCode;
  if (stack) AddStackLines(*stack, lines, fault ? rec.ExceptionAddress : nullptr);

  const std::wstring raisedAt = CodeAddressText(rec.ExceptionAddress);
  int raiseLine = -1;
  bool addressFound = false;
  for (int i = start + 1; i <= start + kRaiseScanLines && i < lines.Count() - 1; ++i) {
    const std::wstring line = lines[i];
    if (raiseLine < 0 && IsRaiseLine(line)) raiseLine = i;
    if (!addressFound && Contains(line, raisedAt)) addressFound = true;
  }
  for (int i = raiseLine; i > start; --i) lines.Delete(i);
  if (!addressFound) lines.Insert(start + 1, L">> " + LocationText(rec.ExceptionAddress, fault));
}

std::wstring StackInfoToString(const TStackInfoList* info) {
  if (!info) return {};
  THvStringList lines;
  AddStackListLines(info->stackTrace.get(), lines, info->ExceptRec);
  if (!info->InnerExceptStackTrace.empty()) {
    lines.Add(kIndentedRule);
    THvStringList inner;
    inner.SetText(info->InnerExceptStackTrace);
    for (int i = 0; i < inner.Count(); ++i) lines.Add(L"    " + inner[i]);
  }
  return TrimLX(lines.Text());
}

std::unique_ptr<TStackInfoList> CaptureStackInfo(const EXCEPTION_RECORD* rec, const Exception* e) {
  if (!rec || rec->ExceptionCode == kThreadNameExceptionCode) return nullptr;
  if (rec->ExceptionCode != kRuntimeExceptionCode) e = nullptr;

  std::unique_ptr<TStackInfoList> info = TakeStackInfo(*rec, e);
  std::wstring report;
  bool reporting = false;
  try {
    if (!IsAbort(e) && TakeReport()) {
      reporting = true;
      report = ReportText(e, *info);
    }
  } catch (...) {
    // A failing lookup leaves a report with fewer details, never a second exception.
  }
  if (reporting) WriteReport(report);
  return info;
}

void AddExceptionReport(const Exception& e, TStrings& lines, bool addTopRule, bool addBottomRule, int indent,
                        const TStackInfoList* info) {
  const std::wstring separator(static_cast<size_t>(std::max(100 - indent, 0)), L'-');
  if (addTopRule) lines.Add(separator);
  lines.Add(ExceptionHeaderText(e));
  if (GetExceptionHooks().toText) {
    lines.Add(separator);
    lines.Add(info ? StackInfoToString(info) : e.StackTrace());
  }
  if (addBottomRule) lines.Add(separator);
}

std::wstring QuoteNulChars(const std::wstring& text) {
  if (text.find(L'\0') == std::wstring::npos) return text;
  std::wstring quoted = L"'";
  for (wchar_t c : text) {
    if (c == L'\0') quoted += L"' + #0 + '";
    else if (c == L'\'') quoted += L"''";
    else quoted += c;
  }
  return quoted + L"'";
}

void InstallExceptionReportHooks() {
  SetExceptionHooks({&RaiseHook, &FreeStackInfo, &StackInfoText});
  if (!SystemExceptionHandlerHandle) SystemExceptionHandlerHandle = AddVectoredExceptionHandler(0, &SystemExceptionHandler);
}

void RemoveExceptionReportHooks() {
  SetExceptionHooks({});
  if (SystemExceptionHandlerHandle) RemoveVectoredExceptionHandler(SystemExceptionHandlerHandle);
  SystemExceptionHandlerHandle = nullptr;
}

int ExceptionReportsLeft() { return ReportsLeft.load(); }

ScopedExceptionReportsLeft::ScopedExceptionReportsLeft(int left) : FSaved(ReportsLeft.exchange(left)) {}
ScopedExceptionReportsLeft::~ScopedExceptionReportsLeft() { ReportsLeft = FSaved; }

}  // namespace hv
