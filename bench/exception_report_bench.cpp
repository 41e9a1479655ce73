// The cost of the raise-time hooks (N raises, 20000 at full size):
// 1. a throw caught one frame up with the stack capture, against the same throw with a hook
//    that does nothing: the capture's cost per raise (no names are looked up at a raise);
// 2. a raise whose report is written to the event log (under a pinned Wine host, so to a file
//    as well), names and lines looked up, against writing the same text to a file.
// Fails when a raise is not caught as thrown, its stack trace does not name the routine that
// raised, or a report is missing.
#include <algorithm>
#include <cstdio>
#include <string>

#include "BenchSupport.h"
#include "HvExceptionHooks.h"
#include "HvExceptions.h"
#include "HvLXExceptionReport.h"
#include "HvLXHost.h"
#include "HvLXSpecialFolders.h"
#include "HvStringList.h"
#include "HvTracePlanter.h"

namespace {

[[noreturn]] __attribute__((noinline)) void RaiseFailure(int i) { throw hv::EHvGeneralError(L"failure " + std::to_wstring(i)); }

// Raises and catches one frame up `count` times; answers seconds per raise and how many were
// caught as thrown.
double RaiseAndCatch(int count, int& caught) {
  caught = 0;
  const double t0 = bench::Now();
  for (int i = 0; i < count; ++i) {
    try {
      RaiseFailure(i);
    } catch (const hv::EHvGeneralError& e) {
      if (e.Message() == L"failure " + std::to_wstring(i)) ++caught;
    }
  }
  return (bench::Now() - t0) / count;
}

void* NoCapture(const hv::Exception&, void*) { return nullptr; }


int CountFiles(const std::wstring& folder) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\Log_*.txt").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return 0;
  int n = 0;
  do ++n;
  while (FindNextFileW(find, &data));
  FindClose(find);
  return n;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int n = bench::Start(argc, argv, 20000);
  std::printf("exception_report_bench: %d raises\n", n);

  // 1. Capture only: no reports left, so nothing is written.
  int caught = 0;
  double captured = 1e300, bare = 1e300;
  {
    hv::ScopedExceptionReportsLeft none(0);
    RaiseAndCatch(std::min(n, 100), caught);  // warm up
    // Rounds alternate, so a change in the machine's load weighs on both sides alike.
    for (int round = 0; round < 5; ++round) {
      captured = std::min(captured, RaiseAndCatch(n / 5, caught));
      bench::Check(caught == n / 5, "%d of %d raises caught as thrown with the capture", caught, n / 5);
      const hv::ExceptionHooks ours = hv::SetExceptionHooks({&NoCapture, nullptr, nullptr});
      bare = std::min(bare, RaiseAndCatch(n / 5, caught));
      hv::SetExceptionHooks(ours);
      bench::Check(caught == n / 5, "%d of %d raises caught as thrown without the capture", caught, n / 5);
    }
    try {
      RaiseFailure(-1);
    } catch (const hv::Exception& e) {
      bench::Check(e.StackTrace().find(L"RaiseFailure") != std::wstring::npos, "the stack trace names the raising routine");
    }
  }
  std::printf("raise caught one frame up: %.2f us with the capture, %.2f us with a hook doing nothing\n",
              captured * 1e6, bare * 1e6);
  std::printf("  the capture costs %.2f us per raise (ratio %.2f)\n", (captured - bare) * 1e6, captured / bare);

  // 2. Reports written to the event log, against the same text written to a file. Fewer than
  // 99, so no pruning runs in between.
  const int reports = std::clamp(n / 250, 10, 80);
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring scratch = std::wstring(temp) + L"hv_report_bench_" + std::to_wstring(GetCurrentProcessId());
  CreateDirectoryW(scratch.c_str(), nullptr);
  double logged = 0, plain = 0;
  std::wstring reportText;
  {
    hv::ScopedHostPins wine({.wine = true});
    hv::ScopedUserDataFolder data(scratch);
    hv::ScopedExceptionReportsLeft budget(reports);
    logged = RaiseAndCatch(reports, caught);
    const std::wstring folder = scratch + L"\\Halvern\\" + hv::GetExeBaseName() + L"\\EventLogs";
    bench::Check(CountFiles(folder) == reports, "%d of %d reports written", CountFiles(folder), reports);
    try {
      RaiseFailure(0);
    } catch (const hv::Exception& e) {
      hv::THvStringList lines;
      hv::AddExceptionReport(e, lines, false, false, 0, nullptr);
      reportText = lines.Text();
    }
  }
  const double t0 = bench::Now();
  for (int i = 0; i < reports; ++i) {
    hv::THvStringList lines;
    lines.SetText(reportText);
    lines.SaveToFile(scratch + L"\\plain" + std::to_wstring(i) + L".txt");
  }
  plain = (bench::Now() - t0) / reports;
  hvplant::RemoveFolderTree(scratch);
  std::printf("one report (%zu characters) to the event log with names: %.1f us; the same text to a file: %.1f us (ratio %.2f)\n",
              reportText.size(), (logged - bare) * 1e6, plain * 1e6, (logged - bare) / plain);
  return bench::ExitCode();
}
