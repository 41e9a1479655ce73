// The last resort at the end of a program: threads that never look at their flag are ended
// by force after the grace period, and the event log says so. It runs in a child program so
// the suite waits out the grace period once.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <string>
#include <vector>

#include "ExeFolder.h"
#include "HvTestSupport.h"
#include "HvWindows.h"

#include <wininet.h>

namespace {

// The texts of every event log file under `dataFolder`.
std::vector<std::wstring> EventLogTexts(const std::wstring& dataFolder) {
  const std::wstring folder = dataFolder + L"\\Halvern\\hv_threads_child\\EventLogs\\";
  std::vector<std::wstring> texts;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"Log_*.txt").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return texts;
  do {
    std::ifstream in((folder + data.cFileName).c_str(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (bytes.size() >= 2) bytes.erase(0, 2);  // the byte order mark
    texts.emplace_back(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return texts;
}

size_t CountContaining(const std::vector<std::wstring>& texts, const std::wstring& part) {
  return std::count_if(texts.begin(), texts.end(), [&](const std::wstring& t) { return t.find(part) != std::wstring::npos; });
}

}  // namespace

// A run of the child program: started at once, waited for (with a bound) when asked.
class ChildRun {
 public:
  explicit ChildRun(const std::wstring& mode = L"") {
    FReport = FScratch / L"report.txt";
    std::wstring command = L"\"" + hvtest::ExeFolder() + L"\\hv_threads_child.exe\" \"" + FScratch.Path() + L"\" \"" +
                           FReport + L"\"" + (mode.empty() ? L"" : L" " + mode);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    FStarted = GetTickCount();
    FRunning = CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &FInfo);
  }
  ~ChildRun() {
    if (!FRunning) return;
    if (WaitForSingleObject(FInfo.hProcess, 0) != WAIT_OBJECT_0) TerminateProcess(FInfo.hProcess, 99);
    CloseHandle(FInfo.hProcess);
    CloseHandle(FInfo.hThread);
  }
  // The exit code, or -1 when the child did not end within two minutes.
  long Finish() {
    if (!FRunning || WaitForSingleObject(FInfo.hProcess, 120000) != WAIT_OBJECT_0) return -1;
    FElapsed = GetTickCount() - FStarted;
    DWORD code = 0;
    GetExitCodeProcess(FInfo.hProcess, &code);
    return static_cast<long>(code);
  }
  DWORD Elapsed() const { return FElapsed; }
  std::vector<std::string> ReportLines() const {
    std::ifstream in(FReport.c_str());
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
  }
  std::wstring Folder() const { return FScratch.Path(); }

 private:
  hvtest::ScratchDir FScratch;
  std::wstring FReport;
  PROCESS_INFORMATION FInfo{};
  bool FRunning = false;
  DWORD FStarted = 0, FElapsed = 0;
};

TEST(ForcedEnd, ThreadsThatDoNotStopAreEndedAfterTheGraceAndLoggedAndAWorkingEndIsNeverCut) {
  // All three wait out the grace period at once.
  ChildRun plain, busy(L"busy"), hanging(L"hang");

  EXPECT_EQ(plain.Finish(), 0) << "the program ends normally, not by its watch";
  // The grace period, waited out in full, and not much more: three refused tries a second apart
  // and the settling of one forced end.
  EXPECT_GE(plain.Elapsed(), 15000u - 100u);
  EXPECT_LT(plain.Elapsed(), 60000u);
  EXPECT_EQ(plain.ReportLines(), std::vector<std::string>{"afterThreads=ran"}) << "the clean-ups after the shutdown ran";

  const std::vector<std::wstring> texts = EventLogTexts(plain.Folder());
  EXPECT_EQ(CountContaining(texts, L"A thread of class TDeafThread did not stop within 15 seconds and was terminated."), 1u);
  for (const wchar_t* attempt : {L"first", L"second", L"third"})
    EXPECT_EQ(CountContaining(texts, std::wstring(L"A thread of class TUnendingThread could not be terminated on the ") +
                                         attempt + L" try."),
              1u)
        << attempt;
  EXPECT_EQ(texts.size(), 4u);

  // After a forced end the end of the program is watched (here for one second without the
  // ending thread running): a clean-up that works three seconds runs to its end, and an early
  // shutdown arms no watch of its own.
  EXPECT_EQ(busy.Finish(), 0);
  EXPECT_EQ(busy.ReportLines(), (std::vector<std::string>{"early=survived", "busy=done"}));
  // A clean-up that waits for ever is the hang the watch is for.
  EXPECT_EQ(hanging.Finish(), static_cast<long>(ERROR_TIMEOUT));
  EXPECT_EQ(hanging.ReportLines(), std::vector<std::string>{"hang=started"});
}

TEST(ForcedEnd, TheUrlCacheIsClearedAfterTheThreadsHaveStopped) {
  // A thread asked to stop may still finish a download into the cache: the clearing at exit
  // must come after the threads' shutdown, or its entry would outlive the program.
  const wchar_t* const url = L"http://late-download.hv.test/file.txt";
  DeleteUrlCacheEntryW(url);
  ChildRun cache(L"cache");
  ASSERT_EQ(cache.Finish(), 0);
  DWORD size = 0;
  EXPECT_FALSE(GetUrlCacheEntryInfoW(url, nullptr, &size) || GetLastError() == ERROR_INSUFFICIENT_BUFFER)
      << "the late entry was left in the cache";
  DeleteUrlCacheEntryW(url);
}

