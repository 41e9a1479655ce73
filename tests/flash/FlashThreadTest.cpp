// Flashes belong to their thread: a worker has its own list and no display, and a worker
// that has been asked to stop leaves its work at its next flash call.
#include <thread>

#include "FlashTestSupport.h"

using namespace hv;
using hvtest::FlashTest;

namespace {

// Runs `body` on a new thread and rethrows there-raised failures here, so EXPECTs inside
// report through the test.
template <class F>
void OnWorker(F body) {
  std::exception_ptr failure;
  std::thread worker([&] {
    try {
      body();
    } catch (...) {
      failure = std::current_exception();
    }
  });
  worker.join();
  if (failure) std::rethrow_exception(failure);
}

bool gStopRequested = false;
bool StopRequested(void*) { return gStopRequested; }

}  // namespace

TEST_F(FlashTest, AWorkerAskedToStopIsAbortedAtEveryCheckedCall) {
  OnWorker([] {
    SetCurrentThreadTerminatedQuery(&StopRequested);
    gStopRequested = false;
    IFlash flash = CreateFlash(L"Worker", 10, true);
    gStopRequested = true;
    EXPECT_THROW(flash->SetMessage(L"Next"), EAbort);
    EXPECT_THROW(flash->Message(), EAbort);
    EXPECT_THROW(flash->SetProgress(5), EAbort);
    EXPECT_THROW(flash->StepIt(), EAbort);
    EXPECT_THROW(flash->SetProgressTotal(20), EAbort);
    EXPECT_THROW(flash->CheckCancel(), EAbort);
    EXPECT_THROW(CreateFlash(L"Another"), EAbort);
    EXPECT_EQ(flash->Progress(), 0);  // plain reads are not checked
    flash.reset();
    EXPECT_TRUE(GetGlobalFlashState().Msg1.empty()) << "the refused flash must be gone";
    SetCurrentThreadTerminatedQuery(nullptr);
  });
}

TEST_F(FlashTest, TheMainThreadIsNeverAskedToStop) {
  SetCurrentThreadTerminatedQuery([](void*) { return true; });
  IFlash flash = CreateFlash(L"Main", 10, true);
  EXPECT_NO_THROW(flash->StepIt());
  SetCurrentThreadTerminatedQuery(nullptr);
}

TEST_F(FlashTest, AWorkerHasItsOwnFlashesAndNoDisplay) {
  IFlash mainFlash = CreateFlash(L"Main", 10);
  OnWorker([] {
    IFlash workerFlash = CreateFlash(L"Worker", 5);
    workerFlash->StepIt();
    TGlobalFlashState state = GetGlobalFlashState();
    EXPECT_EQ(state.Msg1, L"Worker");
    EXPECT_EQ(state.Msg2, L"");
    EXPECT_EQ(workerFlash->Level(), 1);
  });
  EXPECT_EQ(display.extendersMade, 1);  // the factory is the main thread's only
  TGlobalFlashState state = GetGlobalFlashState();
  EXPECT_EQ(state.Msg1, L"Main");
  EXPECT_EQ(state.Msg2, L"");
  // Only the main thread's wait line; the worker's flash printed nothing.
  EXPECT_EQ(console.Text(), L"Please Wait...\r\n");
}
