#include <gtest/gtest.h>

#include <algorithm>
#include <regex>
#include <string>
#include <vector>

#include "EventLogFolder.h"
#include "HvExceptionHooks.h"
#include "HvExceptions.h"
#include "HvLXExceptionReport.h"
#include "HvLXHost.h"
#include "HvLXLineTable.h"
#include "HvLXSpecialFolders.h"
#include "HvLXStackWalk.h"
#include "HvStringList.h"
#include "HvTestSupport.h"
#include "HvWindows.h"

extern "C" [[noreturn]] void __wrap___cxa_throw(void*, std::type_info*, void (*)(void*));

using namespace hv;

namespace reporttest {

const std::wstring kRule(32, L'-');
const std::wstring kLongRule(100, L'-');
const std::wstring kIndentedRule = L"    " + kRule;

constexpr int kRaiseLine = __LINE__ + 2;
[[noreturn]] __attribute__((noinline)) void RaiseEngineFailure(const std::wstring& message) {
  throw EHvGeneralError(message);
}

__attribute__((noinline)) int FirstRoutine(int x) { return x * 3 + 1; }
__attribute__((noinline)) int SecondRoutine(int x) { return x * 5 + 2; }
__attribute__((noinline)) int ThirdRoutine(int x) { return x * 7 + 3; }

std::vector<std::wstring> Lines(const std::wstring& text) {
  THvStringList list;
  list.SetText(text);
  std::vector<std::wstring> lines;
  for (int i = 0; i < list.Count(); ++i) lines.push_back(list[i]);
  return lines;
}

class Reports : public EventLogFolderTest {
 protected:
  // Every report file, oldest first, as lines.
  std::vector<std::vector<std::wstring>> Written() const {
    std::vector<std::vector<std::wstring>> reports;
    for (const std::wstring& name : FileNames()) {
      THvStringList lines;
      lines.LoadFromFile(Folder() + name);
      reports.push_back(Lines(lines.Text()));
    }
    return reports;
  }
};

// "[address] unit.routine (Line n, "file")" for a routine of this file.
std::wregex FrameOf(const std::wstring& routine, int line = 0) {
  const std::wstring lineText = line ? std::to_wstring(line) : L"\\d+";
  return std::wregex(L"\\[[0-9A-F]{" + std::to_wstring(sizeof(void*) * 2) + L"}\\] ExceptionReportTest\\." + routine +
                     L" \\(Line " + lineText + L", \"ExceptionReportTest\\.cpp\"\\)");
}

bool AnyLineHas(const std::vector<std::wstring>& lines, const std::wstring& part) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::wstring& l) { return l.find(part) != std::wstring::npos; });
}

}  // namespace reporttest

using namespace reporttest;

TEST_F(Reports, ASilentlyCaughtRaiseWritesItsFullReportNamingTheRaisingLine) {
  std::wstring stackTrace;
  try {
    RaiseEngineFailure(L"engine failure");
  } catch (const Exception& e) {
    stackTrace = e.StackTrace();
  }
  const auto reports = Written();
  ASSERT_EQ(reports.size(), 1u);
  const auto& lines = reports[0];
  ASSERT_GE(lines.size(), 6u);
  EXPECT_EQ(lines[0], L"EHvGeneralError: engine failure");
  EXPECT_EQ(lines[1], kRule);
  EXPECT_EQ(lines[2], kLongRule);
  EXPECT_EQ(lines[3].rfind(L"Stack list, generated ", 0), 0u) << lines[3];
  // The raising machinery is gone: the first frame is the routine that raised, at its line.
  EXPECT_TRUE(std::regex_match(lines[4], FrameOf(L"reporttest::RaiseEngineFailure", kRaiseLine))) << lines[4];
#if defined(_WIN64)
  EXPECT_TRUE(std::regex_match(lines[5], FrameOf(L"Reports_ASilentlyCaughtRaise\\w+_Test::TestBody"))) << lines[5];
#else
  // The 32-bit walk reads return addresses off the raw stack: one left there by an earlier call
  // of the caller (seen: the string construction of its argument) may come before the caller.
  const std::wregex caller = FrameOf(L"Reports_ASilentlyCaughtRaise\\w+_Test::TestBody");
  EXPECT_TRUE(std::any_of(lines.begin() + 5, lines.end(),
                          [&](const std::wstring& line) { return std::regex_match(line, caller); }))
      << lines[5];
#endif
  EXPECT_FALSE(AnyLineHas(lines, L"__cxa_throw"));
  EXPECT_FALSE(AnyLineHas(lines, L">> "));
  // The exception's own stack trace is the report's stack part.
  EXPECT_EQ(Lines(stackTrace), std::vector<std::wstring>(lines.begin() + 3, lines.end()));
}

TEST_F(Reports, ExtraInformationIsPrintedBetweenMarkersWithNulCharactersSpelledOut) {
  struct Case {
    std::wstring extra, printed;
  } cases[] = {
      {L"Result = 5, it's 'quoted'", L"Result = 5, it's 'quoted'"},
      {std::wstring(L"a\0b", 3), L"'a' + #0 + 'b'"},
      {std::wstring(L"\0'", 2), L"'' + #0 + ''''"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    EXPECT_EQ(QuoteNulChars(c.extra), c.printed);
    const EExtraInfoException e(L"Could not delete.", c.extra);
    const std::vector<std::wstring> expected = {L"EExtraInfoException: Could not delete.",
                                                std::wstring(26, L'-'),
                                                L"---- Extra Info BEGIN ----",
                                                std::wstring(26, L'-'),
                                                c.printed,
                                                std::wstring(26, L'-'),
                                                L"----- Extra Info END -----",
                                                std::wstring(26, L'-')};
    EXPECT_EQ(Lines(ExceptionHeaderText(e)), expected);
  }
  // Only the ends are trimmed.
  EXPECT_EQ(ExceptionHeaderText(EOSError(L"  System Error.  \r\n")), L"EOSError:   System Error.  \r\n\r\n" + kRule);
}

TEST_F(Reports, ASilentAbortIsNeverReported) {
  const int left = ExceptionReportsLeft();
  EXPECT_THROW(throw EAbort(L"cancelled"), EAbort);
  EXPECT_TRUE(Written().empty());
  EXPECT_EQ(ExceptionReportsLeft(), left);
}

TEST_F(Reports, RaisingTheSameExceptionAgainKeepsItsFirstReportUnderTheIndentedRule) {
  std::wstring trace;
  try {
    try {
      RaiseEngineFailure(L"first");
    } catch (const Exception& e) {
      e.Rethrow();
    }
  } catch (const Exception& e) {
    trace = e.StackTrace();
  }
  const auto lines = Lines(trace);
  auto rule = std::find(lines.begin(), lines.end(), kIndentedRule);
  ASSERT_NE(rule, lines.end()) << testing::PrintToString(lines);
  ASSERT_GE(lines.end() - rule, 5);
  EXPECT_EQ(rule[1], L"    EHvGeneralError: first");
  EXPECT_EQ(rule[2], L"    " + kRule);
  EXPECT_EQ(rule[3].rfind(L"    Stack list, generated ", 0), 0u);
  EXPECT_TRUE(std::regex_match(rule[4].substr(4), FrameOf(L"reporttest::RaiseEngineFailure", kRaiseLine))) << rule[4];
  EXPECT_EQ(std::count(lines.begin(), lines.end(), L"    EHvGeneralError: first"), 1) << "the first report appears once";
  EXPECT_EQ(Written().size(), 2u);
}

TEST_F(Reports, ARaiseInsideAHandlerCarriesTheHandledReportUnlessItNamesItsInnerException) {
  std::wstring plain, outer;
  try {
    RaiseEngineFailure(L"handled");
  } catch (const Exception&) {
    try {
      throw EListError(L"raised in the handler");
    } catch (const Exception& e) {
      plain = e.StackTrace();
    }
    try {
      ThrowOuter(EListError(L"outer"));
    } catch (const Exception& e) {
      outer = e.StackTrace();
    }
  }
  const auto lines = Lines(plain);
  auto rule = std::find(lines.begin(), lines.end(), kIndentedRule);
  ASSERT_NE(rule, lines.end());
  EXPECT_EQ(rule[1], L"    EHvGeneralError: handled");
  EXPECT_FALSE(AnyLineHas(Lines(outer), kIndentedRule));
  // The written report of the raise in the handler ends with the handled one's report.
  const auto reports = Written();
  ASSERT_EQ(reports.size(), 3u);
  EXPECT_EQ(reports[1][0], L"EListError: raised in the handler");
  EXPECT_TRUE(AnyLineHas(reports[1], L"    EHvGeneralError: handled"));
}

TEST_F(Reports, ReportsStopWhenTheBudgetIsSpentWhileStacksAreStillCaptured) {
  ScopedExceptionReportsLeft budget(2);
  for (int i = 0; i < 3; ++i) {
    try {
      RaiseEngineFailure(L"raise " + std::to_wstring(i));
    } catch (const Exception& e) {
      EXPECT_TRUE(std::regex_search(e.StackTrace(), FrameOf(L"reporttest::RaiseEngineFailure", kRaiseLine)));
    }
  }
  const auto reports = Written();
  ASSERT_EQ(reports.size(), 2u);
  EXPECT_EQ(reports[1][0], L"EHvGeneralError: raise 1");
  EXPECT_EQ(ExceptionReportsLeft(), 0);
}

TEST_F(Reports, AReportThatCannotBeWrittenLeavesTheRaisedExceptionAsItWas) {
  // The folder cannot be made: a file stands where its first part should be.
  ASSERT_TRUE(hvtest::WriteTextFile(FData / L"Halvern", "x"));
  const int left = ExceptionReportsLeft();
  try {
    RaiseEngineFailure(L"the real failure");
    ADD_FAILURE() << "nothing was raised";
  } catch (const Exception& e) {
    // Not the event log's "Could not create ...": its handler would be told the wrong failure.
    EXPECT_EQ(e.Message(), L"the real failure");
    EXPECT_TRUE(std::regex_search(e.StackTrace(), FrameOf(L"reporttest::RaiseEngineFailure", kRaiseLine)));
  }
  // The raise and the two nested failures of the write each took a report; the third write did nothing.
  EXPECT_EQ(left - ExceptionReportsLeft(), 3);
}

TEST_F(Reports, AddExceptionReportPutsRulesOfAHundredLessTheIndentAroundTheHeaderAndTheStack) {
  EHvGeneralError caught(L"x");
  try {
    RaiseEngineFailure(L"broken");
  } catch (const EHvGeneralError& e) {
    caught = e;
  }
  const std::wstring header = L"EHvGeneralError: broken\r\n" + kRule;
  struct Case {
    bool top, bottom;
    int indent;
    size_t ruleLength;
  } cases[] = {{true, true, 8, 92}, {false, true, 0, 100}, {true, false, 4, 96}, {false, false, 0, 100}, {true, true, 130, 0}};
  for (const Case& c : cases) {
    THvStringList lines;
    lines.Add(L"before");
    AddExceptionReport(caught, lines, c.top, c.bottom, c.indent, nullptr);
    std::vector<std::wstring> expected{L"before"};
    const std::wstring rule(c.ruleLength, L'-');
    if (c.top) expected.push_back(rule);
    expected.push_back(header);
    expected.push_back(rule);
    expected.push_back(caught.StackTrace());
    if (c.bottom) expected.push_back(rule);
    std::vector<std::wstring> got;
    for (int i = 0; i < lines.Count(); ++i) got.push_back(lines[i]);
    EXPECT_EQ(got, expected) << "top " << c.top << " bottom " << c.bottom << " indent " << c.indent;
  }
  EXPECT_EQ(caught.StackTrace().rfind(L"Stack list, generated ", 0), 0u);
}

TEST(StackListLines, TheRaisingMachineryIsCutAndAnUnseenRaiseAddressIsMarked) {
  auto at = [](int (*routine)(int)) { return reinterpret_cast<void*>(reinterpret_cast<char*>(routine) + 1); };
  void* const a = at(&FirstRoutine);
  void* const b = at(&SecondRoutine);
  void* const c = at(&ThirdRoutine);
  void* const raise = reinterpret_cast<char*>(&__wrap___cxa_throw) + 1;
  struct Case {
    std::vector<void*> frames;
    void* raisedAt;
    std::vector<void*> kept;  // the frame lines left, in order
    bool marked;              // a ">> " line first
  } cases[] = {
      {{a, raise, b, c}, b, {b, c}, false},
      {{a, b, c}, raise, {a, b, c}, true},
      {{a, raise, b, c}, a, {b, c}, false},  // found in a line that was then cut
      {{a, b, raise}, c, {a, b, raise}, true},  // the last line is never scanned
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    TStackTrace stack;
    stack.frames = c.frames;
    GetLocalTime(&stack.capturedAt);
    EXCEPTION_RECORD rec{};
    rec.ExceptionAddress = c.raisedAt;
    THvStringList lines{L"above"};
    AddStackListLines(&stack, lines, rec);
    std::vector<std::wstring> expected = {L"above", lines[1]};
    // The record is no runtime raise, so its address is taken as the fault itself, not as a
    // return address (in the 32-bit program the byte before can lie on another line).
    if (c.marked) expected.push_back(L">> " + LocationText(c.raisedAt, true));
    for (void* frame : c.kept) expected.push_back(LocationText(frame));
    EXPECT_EQ(Lines(lines.Text()), expected);
  }
  EXPECT_TRUE(std::regex_match(LocationText(a), FrameOf(L"reporttest::FirstRoutine")));
  EXPECT_NE(LocationText(raise).find(L"__wrap___cxa_throw"), std::wstring::npos) << LocationText(raise);
  EXPECT_EQ(LocationText(reinterpret_cast<void*>(1)), L"[" + CodeAddressText(reinterpret_cast<void*>(1)) + L"]");
}

TEST(StackWalk, TheRawWalkFindsTheCallersToo) {
  TStackTrace trace;
  CaptureRawStack(trace, 0);
  std::vector<std::wstring> lines;
  for (void* frame : trace.frames) lines.push_back(LocationText(frame));
  EXPECT_TRUE(AnyLineHas(lines, L"StackWalk_TheRawWalkFindsTheCallersToo_Test::TestBody")) << testing::PrintToString(lines);
}

// Children of the tests below: each runs in a process of its own, with a fresh report budget.
namespace {
const wchar_t kChildFolderVariable[] = L"HV_REPORT_CHILD_DATA";

std::wstring ChildDataFolder() {
  wchar_t folder[MAX_PATH * 4] = {};
  return GetEnvironmentVariableW(kChildFolderVariable, folder, MAX_PATH * 4) ? folder : L"";
}

LONG CALLBACK EndChildOnAccessViolation(EXCEPTION_POINTERS* pointers) {
  if (pointers->ExceptionRecord->ExceptionCode == EXCEPTION_ACCESS_VIOLATION) ExitProcess(7);
  return EXCEPTION_CONTINUE_SEARCH;
}

constexpr int kFaultLine = __LINE__ + 3;
__attribute__((noinline)) void WriteThroughNull(volatile int* target) {
  // The fault happens here.
  *target = 1;
}
}  // namespace

TEST(ReportChild, DISABLED_Raises1001Times) {
  if (ChildDataFolder().empty()) GTEST_SKIP();
  // Kept to the end of the process, for the pruning as it ends.
  static ScopedHostPins wine({.wine = true});
  static ScopedUserDataFolder data(ChildDataFolder());
  for (int i = 1; i <= 1001; ++i) {
    try {
      RaiseEngineFailure(L"raise " + std::to_wstring(i));
    } catch (const Exception&) {
    }
  }
}

TEST(ReportChild, DISABLED_WritesThroughNull) {
  if (ChildDataFolder().empty()) GTEST_SKIP();
  static ScopedHostPins wine({.wine = true});
  static ScopedUserDataFolder data(ChildDataFolder());
  // Called after the program's own handler.
  AddVectoredExceptionHandler(0, &EndChildOnAccessViolation);
  WriteThroughNull(nullptr);
}

TEST(ReportChild, DISABLED_Raises250TimesAndIsKilled) {
  if (ChildDataFolder().empty()) GTEST_SKIP();
  static ScopedHostPins wine({.wine = true});
  static ScopedUserDataFolder data(ChildDataFolder());
  for (int i = 1; i <= 250; ++i) {
    try {
      RaiseEngineFailure(L"raise " + std::to_wstring(i));
    } catch (const Exception&) {
    }
  }
  TerminateProcess(GetCurrentProcess(), 0);  // no prune as it ends
}

TEST(ReportChild, DISABLED_FaultsWhileTheLineTableIsRead) {
  if (ChildDataFolder().empty()) GTEST_SKIP();
  static ScopedHostPins wine({.wine = true});
  static ScopedUserDataFolder data(ChildDataFolder());
  AddVectoredExceptionHandler(0, &EndChildOnAccessViolation);
  // The first lookup of a name reads the table; it faults half-way, holding the table.
  static ScopedFreshLineTable fresh([] { WriteThroughNull(nullptr); });
  TCodeLocation location;
  LookUpCodeLocation(reinterpret_cast<const void*>(&FirstRoutine), location);
}

class ReportsOfAChild : public Reports {
 protected:
  long RunChild(const std::wstring& test) {
    return hvtest::RunProgram(L"\"" + GetExeFileName() + L"\" --gtest_also_run_disabled_tests --gtest_filter=ReportChild." + test,
                              {{kChildFolderVariable, FData.Path()}}, 120000);
  }
};

TEST_F(ReportsOfAChild, AThousandAndOneRaisesWriteAThousandReports) {
  ASSERT_EQ(RunChild(L"DISABLED_Raises1001Times"), 0);
  // The folder keeps the newest 100 (pruned after the 999th and as the child ends): those of
  // raises 901 to 1000.
  const auto reports = Written();
  ASSERT_EQ(reports.size(), 100u);
  EXPECT_EQ(reports.front()[0], L"EHvGeneralError: raise 901");
  EXPECT_EQ(reports.back()[0], L"EHvGeneralError: raise 1000");
}

TEST_F(ReportsOfAChild, ThePruneAfterEveryHundredthFileKeepsTheFolderSmallWithoutTheOneAtTheEnd) {
  ASSERT_EQ(RunChild(L"DISABLED_Raises250TimesAndIsKilled"), 0);
  // Pruned to the newest 100 after the 99th file (raises 1 to 99 stay) and after the 199th
  // (raises 100 to 199 stay); raises 200 to 250 came after it.
  const auto reports = Written();
  ASSERT_EQ(reports.size(), 151u);
  EXPECT_EQ(reports.front()[0], L"EHvGeneralError: raise 100");
  EXPECT_EQ(reports.back()[0], L"EHvGeneralError: raise 250");
}

TEST_F(ReportsOfAChild, AFaultWhileTheLineTableIsReadIsReportedWithoutWaitingForIt) {
  const DWORD start = GetTickCount();
  ASSERT_EQ(RunChild(L"DISABLED_FaultsWhileTheLineTableIsRead"), 7) << "the fault's report waited for ever";
  EXPECT_LT(GetTickCount() - start, 60000u);
  const auto reports = Written();
  ASSERT_EQ(reports.size(), 1u);
  ASSERT_GE(reports[0].size(), 4u);
  EXPECT_EQ(reports[0][0], L"External Exception: C0000005");
  EXPECT_EQ(reports[0][3].rfind(L"Stack list, generated ", 0), 0u);
}

TEST_F(ReportsOfAChild, AnAccessViolationInTheProgramIsReportedAsAnExternalException) {
  ASSERT_EQ(RunChild(L"DISABLED_WritesThroughNull"), 7);
  const auto reports = Written();
  ASSERT_EQ(reports.size(), 1u);
  const auto& lines = reports[0];
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(lines[0], L"External Exception: C0000005");
  EXPECT_TRUE(std::regex_match(lines[1], std::wregex(L"Exception Address: [0-9A-F]{" + std::to_wstring(sizeof(void*) * 2) + L"}")))
      << lines[1];
  EXPECT_EQ(lines[2], kRule);
  EXPECT_EQ(lines[3].rfind(L"Stack list, generated ", 0), 0u);
  EXPECT_TRUE(AnyLineHas(lines, L"WriteThroughNull (Line " + std::to_wstring(kFaultLine))) << testing::PrintToString(lines);
}

TEST(LineTable, OnlyAWholeTableAtTheEndOfTheFileIsRead) {
  EXPECT_EQ(ReadLineTableText(GetExeFileName()).rfind("HVLINES 1\nB ", 0), 0u) << "the build appended one";
  hvtest::ScratchDir dir;
  struct Case {
    std::string bytes, table;
  } cases[] = {
      {"MZ...HVLINES 1\nS 1 f\nHVLINES 000000000016\n", "HVLINES 1\nS 1 f\n"},
      {"MZ no table at all", ""},
      {"HVLINES 000000999999\n", ""},         // longer than the file
      {"MZ...HVLINES 1\nHVLINES 0000000x0010\n", ""},  // not a length
      {"", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "case " << (&c - cases));
    const std::wstring file = dir / (L"case" + std::to_wstring(&c - cases) + L".exe");
    ASSERT_TRUE(hvtest::WriteTextFile(file, c.bytes));
    EXPECT_EQ(ReadLineTableText(file), c.table);
  }
  EXPECT_EQ(ReadLineTableText(dir / L"missing.exe"), "");
}
