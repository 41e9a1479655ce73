// Fixtures of the flash tests: a display that records what it is told, installed as the
// thread's factory, and a fake clock.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "HvExceptions.h"
#include "HvFakeClock.h"
#include "HvLXFlash.h"
#include "HvTestSupport.h"

namespace hvtest {

struct ExtenderCall {
  enum Kind { Picture, Message, Progress, CheckCancel } kind;
  std::wstring message = {};
  int progress = 0, total = 0, level = 0;
};

// Shared by all extenders the factory makes, so a test sees the calls in order.
struct DisplayLog {
  std::vector<ExtenderCall> calls;
  bool cancelRequested = false;
  int extendersMade = 0;
  int liveExtenders = 0;
  bool factoryFails = false;

  std::vector<ExtenderCall> Of(ExtenderCall::Kind kind) const {
    std::vector<ExtenderCall> out;
    for (const auto& c : calls)
      if (c.kind == kind) out.push_back(c);
    return out;
  }
  // Progress values of the progress broadcasts, in order.
  std::vector<int> BroadcastProgress() const {
    std::vector<int> out;
    for (const auto& c : Of(ExtenderCall::Progress)) out.push_back(c.progress);
    return out;
  }
  size_t Count(ExtenderCall::Kind kind) const { return Of(kind).size(); }
};

class RecordingExtender : public hv::IFlashExtender {
 public:
  explicit RecordingExtender(DisplayLog& log) : FLog(log) { ++FLog.liveExtenders; }
  ~RecordingExtender() override { --FLog.liveExtenders; }
  void SetPicture(hv::TPicture*) override { FLog.calls.push_back({ExtenderCall::Picture}); }
  void SetMessage(const std::wstring& message, int level) override {
    FLog.calls.push_back({ExtenderCall::Message, message, 0, 0, level});
  }
  void SetProgress(int progress, int total, int level) override {
    FLog.calls.push_back({ExtenderCall::Progress, {}, progress, total, level});
  }
  void CheckCancel() override {
    FLog.calls.push_back({ExtenderCall::CheckCancel});
    if (FLog.cancelRequested) throw hv::EAbort(L"Operation aborted");
  }
  bool SupportsCancel() override { return true; }

 private:
  DisplayLog& FLog;
};

inline std::shared_ptr<hv::IFlashExtender> MakeRecordingExtender(void* object, bool) {
  auto& log = *static_cast<DisplayLog*>(object);
  if (log.factoryFails) throw hv::EHvGeneralError(L"no display today");
  ++log.extendersMade;
  return std::make_shared<RecordingExtender>(log);
}

// Points the process's standard output at a scratch file while it lives: console programs
// show their progress there. The runtime's own stdout (the test report) is not affected.
class CapturedStdout {
 public:
  CapturedStdout() : FPath(FDir / L"stdout.txt"), FSaved(GetStdHandle(STD_OUTPUT_HANDLE)) {
    FFile = CreateFileW(FPath.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    EXPECT_NE(FFile, INVALID_HANDLE_VALUE);
    SetStdHandle(STD_OUTPUT_HANDLE, FFile);
  }
  ~CapturedStdout() {
    SetStdHandle(STD_OUTPUT_HANDLE, FSaved);
    CloseHandle(FFile);
  }
  CapturedStdout(const CapturedStdout&) = delete;
  CapturedStdout& operator=(const CapturedStdout&) = delete;

  // Everything written so far, decoded from UTF-8.
  std::wstring Text() const {
    std::string bytes;
    HANDLE in = CreateFileW(FPath.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (in == INVALID_HANDLE_VALUE) return {};
    char buffer[4096];
    DWORD read;
    while (ReadFile(in, buffer, sizeof buffer, &read, nullptr) && read > 0) bytes.append(buffer, read);
    CloseHandle(in);
    std::wstring text(bytes.size(), L'\0');
    int n = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), static_cast<int>(bytes.size()), text.data(),
                                static_cast<int>(text.size()));
    text.resize(n > 0 ? n : 0);
    return text;
  }

 private:
  ScratchDir FDir;
  std::wstring FPath;
  HANDLE FSaved;
  HANDLE FFile = INVALID_HANDLE_VALUE;
};

class FlashTest : public ::testing::Test {
 protected:
  void SetUp() override { hv::SetFlashExtenderFactory(&MakeRecordingExtender, &display); }
  void TearDown() override { hv::SetFlashExtenderFactory(nullptr); }

  ScopedFakeClock clock;
  DisplayLog display;
  // Flashes without a display print their progress in a console program like this one.
  CapturedStdout console;
};

}  // namespace hvtest
