// One host script round trip ("echo abc" through the runner: work folder, script file, start,
// wait for the completion file, read the output, remove the files), against writing the same
// script and starting it with CreateProcessW directly, waiting for its completion file the only
// way Wine allows (a host program comes back without a process handle). N round trips each
// (N = 100 at full size); prints both and the ratio, and fails on a wrong answer.
#include <algorithm>
#include <cstdio>
#include <string>

#include "BenchSupport.h"
#include "HvHandles.h"
#include "HvLXFiles.h"
#include "HvLXHostPaths.h"
#include "HvLXHostScript.h"
#include "HvLXHostScripts.h"
#include "HvLXSpecialFolders.h"
#include "HvWindows.h"

namespace {

bool WriteAll(const std::wstring& path, const std::string& bytes) {
  hv::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  DWORD written = 0;
  return file && WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
         written == bytes.size();
}

std::string Narrow(const std::wstring& text) { return std::string(text.begin(), text.end()); }

// Starts the script directly and waits for the file it writes last.
bool DirectRoundTrip(const std::wstring& folder, int i) {
  const std::wstring script = folder + L"direct.sh", done = folder + L"done" + std::to_wstring(i);
  const std::string text = "#!/bin/bash\necho abc > '" + Narrow(hv::Wine_ConvertDosPathToNative(done)) + "'\n";
  if (!WriteAll(script, text)) return false;
  std::wstring command = L"/bin/bash \"" + hv::Wine_ConvertDosPathToNative(script) + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr, nullptr, &si,
                      &pi))
    return false;
  hv::KeepOnlyWhatWasStarted(pi);
  hv::UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
  if (process) WaitForSingleObject(process.get(), INFINITE);
  while (GetFileAttributesW(done.c_str()) == INVALID_FILE_ATTRIBUTES) Sleep(1);
  return DeleteFileW(done.c_str()) != 0;
}

// The best of three runs of `f`, in milliseconds.
template <class F>
double BestOfThreeMs(F f) {
  double best = 1e300;
  for (int run = 0; run < 3; ++run) {
    const double start = bench::Now();
    f();
    best = std::min(best, (bench::Now() - start) * 1000.0);
  }
  return best;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const int n = bench::Start(argc, argv, 100);
  hv::Wine_RunScript(L"Warm", L"true");  // the one-time shell test and the folders
  const std::wstring folder = hv::GetHalvernTempFolder();

  bool runnerRight = true, directRight = true;
  const double runner = BestOfThreeMs([&] {
    for (int i = 0; i < n; ++i) runnerRight &= hv::Wine_RunScript(L"Bench", L"echo abc") == L"abc\n";
  });
  const double direct = BestOfThreeMs([&] {
    for (int i = 0; i < n; ++i) directRight &= DirectRoundTrip(folder, i);
  });
  DeleteFileW((folder + L"direct.sh").c_str());
  std::printf("host script round trips of \"echo abc\", %d each (best of 3)\n", n);
  std::printf("  baseline (CreateProcessW, wait for the completion file): %8.1f ms  %.2f ms each\n", direct,
              direct / n);
  std::printf("  Wine_RunScript:                                          %8.1f ms  %.2f ms each  ratio %.2f "
              "(target <= 1.5)\n",
              runner, runner / n, runner / direct);
  bench::Check(runnerRight, "Wine_RunScript did not answer \"abc\"");
  bench::Check(directRight, "the direct run did not finish");
  return bench::ExitCode();
}
