#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "HvExceptionHooks.h"
#include "HvExceptions.h"
#include "HvFormat.h"
#include "HvWindows.h"


namespace {

struct Raise {
  std::wstring className, message;
  void* address;
};

// What the test hooks saw; the stack information they hand out is a counted token.
struct HookLog {
  std::vector<Raise> raises;
  int liveInfos = 0;
  int freed = 0;
  bool throwInsideHook = false;
};
HookLog Log;

struct Token {
  int id;
};

void* RecordRaise(const hv::Exception& e, void* address) {
  Log.raises.push_back({e.ClassName(), e.Message(), address});
  if (Log.throwInsideHook) throw hv::EHvGeneralError(L"the hook itself failed");
  ++Log.liveInfos;
  return new Token{static_cast<int>(Log.raises.size())};
}

void FreeToken(void* info) {
  delete static_cast<Token*>(info);
  --Log.liveInfos;
  ++Log.freed;
}

std::wstring TokenText(void* info) { return L"token " + std::to_wstring(static_cast<Token*>(info)->id); }

class RaiseHook : public testing::Test {
 protected:
  void SetUp() override {
    Log = {};
    FSaved = hv::SetExceptionHooks({&RecordRaise, &FreeToken, &TokenText});
  }
  void TearDown() override { hv::SetExceptionHooks(FSaved); }

 private:
  hv::ExceptionHooks FSaved;
};

// From the program's own headers, which every Windows and Wine answer alike: through
// GetModuleInformation the 32-bit program under emulated Wine found its own throw outside itself.
bool InsideThisProgram(void* address) {
  auto* base = reinterpret_cast<char*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  return address >= base && address < base + headers->OptionalHeader.SizeOfImage;
}

// hv::Exception is not the first base here, so the hook only sees the right object when the
// thrown pointer is adjusted to it.
struct Payload {
  virtual ~Payload() = default;
  int data[4] = {1, 2, 3, 4};
};
class ESecondBase : public Payload, public hv::Exception {
 public:
  using hv::Exception::Exception;
  std::wstring ClassName() const override { return L"ESecondBase"; }
};

}  // namespace

TEST_F(RaiseHook, SeesPlainThrowsAndThrowsInsideTheLibrary) {
  void* seenInHandler = nullptr;
  try {
    throw hv::EOSError(L"plain throw", 5);
  } catch (const hv::EOSError& e) {
    seenInHandler = hv::ExceptAddr();
    EXPECT_EQ(e.RaiseAddress(), seenInHandler);
    EXPECT_EQ(hv::ExceptObject(), &e);
    EXPECT_EQ(e.StackTrace(), L"token 1");
  }
  EXPECT_THROW(hv::Fmt(L"%d"), hv::EConvertError);
  EXPECT_THROW(hv::RaiseLastOSError(ERROR_ACCESS_DENIED), hv::EOSError);
  EXPECT_THROW(throw ESecondBase(L"second base"), ESecondBase);

  ASSERT_EQ(Log.raises.size(), 4u);
  EXPECT_EQ(Log.raises[0].className, L"EOSError");
  EXPECT_EQ(Log.raises[0].address, seenInHandler);
  EXPECT_TRUE(InsideThisProgram(Log.raises[0].address));
  EXPECT_EQ(Log.raises[1].className, L"EConvertError");
  EXPECT_EQ(Log.raises[2].className, L"EOSError");
  EXPECT_EQ(Log.raises[2].message.rfind(L"System Error.  Code: 5.", 0), 0u);
  EXPECT_EQ(Log.raises[3].message, L"second base");
  EXPECT_EQ(Log.liveInfos, 0);
}

TEST_F(RaiseHook, OtherThrownObjectsPassByButStillRecordTheirAddress) {
  try {
    throw std::runtime_error("not ours");
  } catch (const std::exception&) {
    EXPECT_EQ(hv::ExceptObject(), nullptr);
    void* address = hv::ExceptAddr();
    EXPECT_TRUE(InsideThisProgram(address));
    // Another thread's throws leave this thread's record alone.
    std::thread([] {
      try {
        throw 1;
      } catch (int) {
      }
    }).join();
    EXPECT_EQ(hv::ExceptAddr(), address);
  }
  EXPECT_THROW(std::vector<int>().at(1), std::out_of_range);
  EXPECT_TRUE(Log.raises.empty());
  EXPECT_EQ(hv::ExceptAddr(), nullptr);
  EXPECT_EQ(hv::ExceptObject(), nullptr);
}

TEST_F(RaiseHook, StackInfoLivesUntilTheLastCopyGoes) {
  std::shared_ptr<hv::Exception> kept;
  try {
    throw hv::EHvGeneralError(L"kept");
  } catch (const hv::Exception& e) {
    hv::Exception copy = e;
    kept.reset(copy.Clone());
  }
  EXPECT_EQ(Log.liveInfos, 1);
  EXPECT_EQ(kept->StackTrace(), L"token 1");

  // Raising a copy again gives it its own capture; the first one stays with `kept`.
  try {
    kept->Rethrow();
    ADD_FAILURE() << "nothing raised";
  } catch (const hv::Exception& e) {
    EXPECT_EQ(e.StackTrace(), L"token 2");
  }
  EXPECT_EQ(Log.liveInfos, 1);

  // Freed by the hook of its raise even when other hooks were installed meanwhile.
  hv::ExceptionHooks ours = hv::SetExceptionHooks({});
  EXPECT_EQ(kept->StackTrace(), L"");
  kept.reset();
  hv::SetExceptionHooks(ours);
  EXPECT_EQ(Log.liveInfos, 0);
  EXPECT_EQ(Log.freed, 2);
}

TEST_F(RaiseHook, AFailingHookRaisesInPlaceOfTheExceptionAndNestsOnlySoDeep) {
  Log.throwInsideHook = true;
  try {
    throw hv::EListError(L"the real failure");
  } catch (const hv::EListError&) {
    ADD_FAILURE() << "the hook's failure replaces the exception";
  } catch (const hv::EHvGeneralError& e) {
    EXPECT_EQ(e.Message(), L"the hook itself failed");
    EXPECT_EQ(e.StackInfo(), nullptr);
  }
  // The hook ran for the thrown object and, nested, for its own first throws.
  ASSERT_EQ(Log.raises.size(), size_t(hv::kMaxNestedRaiseHooks));
  EXPECT_EQ(Log.raises[0].className, L"EListError");
  EXPECT_EQ(Log.raises[1].className, L"EHvGeneralError");

  // Afterwards the hook runs again at full depth.
  Log.throwInsideHook = false;
  EXPECT_THROW(throw hv::EListError(L"next"), hv::EListError);
  EXPECT_EQ(Log.raises.size(), size_t(hv::kMaxNestedRaiseHooks) + 1);
  EXPECT_EQ(Log.liveInfos, 0);
}
