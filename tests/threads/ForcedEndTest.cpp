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

TEST(ForcedEnd, ThreadsThatDoNotStopAreEndedAfterTheGraceAndLogged) {
  hvtest::ScratchDir scratch;
  const std::wstring report = scratch / L"report.txt";
  std::wstring command = L"\"" + hvtest::ExeFolder() + L"\\hv_threads_child.exe\" \"" + scratch.Path() + L"\" \"" + report + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD code = 1;
  GetExitCodeProcess(pi.hProcess, &code);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  EXPECT_EQ(code, 0u) << "the program ends normally, not by its watchdog";

  std::ifstream in(report.c_str());
  std::string line;
  std::getline(in, line);
  EXPECT_EQ(line, "afterThreads=ran") << "the clean-ups after the shutdown ran";

  const std::vector<std::wstring> texts = EventLogTexts(scratch.Path());
  EXPECT_EQ(CountContaining(texts, L"A thread of class TDeafThread did not stop within 15 seconds and was terminated."), 1u);
  for (const wchar_t* attempt : {L"first", L"second", L"third"})
    EXPECT_EQ(CountContaining(texts, std::wstring(L"A thread of class TUnendingThread could not be terminated on the ") +
                                         attempt + L" try."),
              1u)
        << attempt;
  EXPECT_EQ(texts.size(), 4u);
}
