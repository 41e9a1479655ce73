#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <thread>
#include <vector>

#include "EventLogFolder.h"
#include "HvExceptionHooks.h"
#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvLXEventLog.h"
#include "HvLXHost.h"
#include "HvLXSpecialFolders.h"
#include "HvTestSupport.h"
#include "HvWindows.h"

using namespace hv;

namespace {

class EventLog : public EventLogFolderTest {
 protected:
  std::string Bytes(const std::wstring& name) const {
    std::string bytes;
    HANDLE file = CreateFileW((Folder() + name).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<cannot open>";
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
  }

  static std::string Utf16(const std::wstring& text) {
    return std::string("\xFF\xFE") + std::string(reinterpret_cast<const char*>(text.data()), text.size() * 2);
  }
};

bool IsLogName(const std::wstring& name) {
  // Log_YYYYMMDD_HHMMSS_NNN.txt
  if (name.size() != 27 || name.rfind(L"Log_", 0) != 0 || name.substr(23) != L".txt") return false;
  for (size_t i : {12u, 19u})
    if (name[i] != L'_') return false;
  for (size_t i = 4; i < 23; ++i)
    if (i != 12 && i != 19 && !iswdigit(name[i])) return false;
  return true;
}

}  // namespace

TEST_F(EventLog, WritesEachTextAsANewDatedUtf16File) {
  struct Case {
    std::wstring text, content;
  } cases[] = {
      {L"one line", L"one line\r\n"},
      {L"a\rb\nc\r\nd", L"a\r\nb\r\nc\r\nd\r\n"},
      {std::wstring(L"before NUL\0after", 16), L"before NUL\r\n"},
      {L"", L""},
  };
  for (const Case& c : cases) ReportErrorEventLX(c.text);
  const auto files = FileNames();
  ASSERT_EQ(files.size(), std::size(cases));
  for (size_t i = 0; i < files.size(); ++i) {
    SCOPED_TRACE(testing::Message() << "file " << i);
    EXPECT_TRUE(IsLogName(files[i]));
    EXPECT_EQ(Bytes(files[i]), Utf16(cases[i].content));
  }
  // Written within one second, files count up from 000; a new second starts again at 000.
  for (size_t i = 1; i < files.size(); ++i) {
    const bool sameSecond = files[i].substr(0, 20) == files[i - 1].substr(0, 20);
    const int previous = std::stoi(files[i - 1].substr(20, 3)), current = std::stoi(files[i].substr(20, 3));
    EXPECT_EQ(current, sameSecond ? previous + 1 : 0) << files[i];
  }
  EXPECT_EQ(files[0].substr(20, 3), L"000");
}

TEST_F(EventLog, WritersOfTheSameSecondNeverReplaceEachOther) {
  constexpr int kThreads = 6, kEach = 8;
  std::vector<std::thread> writers;
  for (int t = 0; t < kThreads; ++t)
    writers.emplace_back([t] {
      for (int i = 0; i < kEach; ++i) ReportErrorEventLX(L"writer " + std::to_wstring(t) + L" text " + std::to_wstring(i));
    });
  for (auto& w : writers) w.join();

  std::vector<std::string> contents;
  for (const auto& name : FileNames()) contents.push_back(Bytes(name));
  std::sort(contents.begin(), contents.end());
  std::vector<std::string> expected;
  for (int t = 0; t < kThreads; ++t)
    for (int i = 0; i < kEach; ++i)
      expected.push_back(Utf16(L"writer " + std::to_wstring(t) + L" text " + std::to_wstring(i) + L"\r\n"));
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(contents, expected);
}

TEST_F(EventLog, AFileHeldOpenUnderTheNextNameIsSkippedAndKept) {
  ReportErrorEventLX(L"first");
  auto files = FileNames();
  ASSERT_EQ(files.size(), 1u);
  // Another writer holds the next names of this second and the following ones open.
  std::vector<HANDLE> held;
  for (int i = 1; i <= 3; ++i) {
    const std::wstring name = Folder() + files[0].substr(0, 20) + L"00" + std::to_wstring(i) + L".txt";
    held.push_back(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ASSERT_NE(held.back(), INVALID_HANDLE_VALUE);
  }
  ReportErrorEventLX(L"second");
  for (HANDLE h : held) CloseHandle(h);
  files = FileNames();
  ASSERT_EQ(files.size(), 5u);
  int withSecond = 0;
  for (const auto& name : files) {
    const std::string bytes = Bytes(name);
    if (bytes == Utf16(L"second\r\n")) ++withSecond;
    else EXPECT_TRUE(bytes.empty() || bytes == Utf16(L"first\r\n")) << name;
  }
  EXPECT_EQ(withSecond, 1);
}

TEST_F(EventLog, PruningKeepsTheNewestHundredLogFilesAndNothingElseIsTouched) {
  CreateDirectoryW((FData.Path() + L"\\Halvern").c_str(), nullptr);
  CreateDirectoryW((FData.Path() + L"\\Halvern\\" + GetExeBaseName()).c_str(), nullptr);
  CreateDirectoryW(Folder().c_str(), nullptr);
  const std::vector<std::wstring> others = {L"notes.txt", L"Log_old.txt1", L"Log_20000101_000000_000.log", L"log.txt"};
  for (const auto& name : others) ASSERT_TRUE(hvtest::WriteTextFile(Folder() + name, "x"));
  auto logName = [](int i) { return Fmt(L"Log_2024%.2d03_140509_%.3d.txt", 1 + i / 100, i % 100); };
  for (int i = 0; i < 100; ++i) ASSERT_TRUE(hvtest::WriteTextFile(Folder() + logName(i), "x"));

  PruneEventLogFiles();
  EXPECT_EQ(FileNames().size(), 100u + others.size()) << "100 files: nothing to delete";

  ASSERT_TRUE(hvtest::WriteTextFile(Folder() + logName(100), "x"));  // the newest, month 02
  PruneEventLogFiles();
  const auto files = FileNames();
  EXPECT_EQ(files.size(), 100u + others.size());
  EXPECT_EQ(std::count(files.begin(), files.end(), logName(0)), 0) << "the oldest goes";
  EXPECT_EQ(std::count(files.begin(), files.end(), logName(100)), 1);
  for (const auto& name : others) EXPECT_EQ(std::count(files.begin(), files.end(), name), 1) << name;
}

TEST_F(EventLog, OnWindowsNothingIsWrittenToTheDataFolder) {
  ScopedHostPins windows({.wine = false});
  ReportErrorEventLX(L"only for the system log");
  EXPECT_FALSE(hvtest::PathExists(FData.Path() + L"\\Halvern"));
  EXPECT_THROW(GetEventLogFolder(), EAssertionFailed);
  EXPECT_THROW(WriteEventLogFile(L"x"), EAssertionFailed);
  EXPECT_THROW(PruneEventLogFiles(), EAssertionFailed);
  EXPECT_FALSE(hvtest::PathExists(FData.Path() + L"\\Halvern"));
}

TEST_F(EventLog, EventViewerFindsTheProgramsMessageTableAndShowsTheTextAsItIs) {
  ReportErrorEventLX(L"reported under the program's source");
  // What Event Viewer does with an event of ours: event 0 of the message file, our text as %1.
  const std::wstring text = L"EHvGeneralError: 100% done, %2 stays\r\nsecond line\r\n";
  const DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(text.c_str())};
  wchar_t* shown = nullptr;
  const DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ARGUMENT_ARRAY | FORMAT_MESSAGE_ALLOCATE_BUFFER,
                                      GetModuleHandleW(nullptr), 0, 0, reinterpret_cast<wchar_t*>(&shown), 0,
                                      reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(args)));
  ASSERT_NE(length, 0u) << GetLastError();
  EXPECT_EQ(std::wstring(shown, length), text);
  LocalFree(shown);
}
