// A console program has no progress window: its flashes print what the window would show.
#include "FlashTestSupport.h"
#include "HvLXFlashConsole.h"
#include "HvLXWait.h"

using namespace hv;

namespace {

// No factory, as in a console program; standard output goes to a file.
class ConsoleFlashTest : public ::testing::Test {
 protected:
  hvtest::ScopedFakeClock clock;
  hvtest::CapturedStdout console;
};

}  // namespace

TEST_F(ConsoleFlashTest, TheTestProgramIsAConsoleProgram) { EXPECT_TRUE(IsConsoleProcess()); }

TEST_F(ConsoleFlashTest, MessagesAndPercentagesBecomeIndentedLines) {
  {
    IFlash outer = CreateFlash(L"Copying files", 4);
    outer->StepIt();  // 25 %
    clock.AdvanceMs(30);
    {
      IFlash inner = CreateFlash(L"Reading \u00e9t\u00e9.txt");  // nested: no second "Please Wait..."
      inner->SetProgressTotal(10);
      clock.AdvanceMs(30);
      inner->SetProgress(5);
      clock.AdvanceMs(30);
      inner->SetProgressTotal(0);  // back to "no progress known": the message alone
    }
    outer->SetMessage(L"Copying files");  // unchanged: no line
  }
  EXPECT_EQ(console.Text(),
            L"Please Wait...\r\n"
            L"  Copying files\r\n"
            L"  Copying files  (25 %)\r\n"
            L"    Reading \u00e9t\u00e9.txt\r\n"
            L"    Reading \u00e9t\u00e9.txt  (50 %)\r\n"
            L"    Reading \u00e9t\u00e9.txt\r\n");
}

TEST_F(ConsoleFlashTest, IndentGrowsWithTheLevelUpToThirteenBlanks) {
  std::vector<IFlash> flashes;
  for (int level = 1; level <= 8; ++level) flashes.push_back(CreateFlash(L"L" + std::to_wstring(level)));
  EXPECT_EQ(console.Text(),
            L"Please Wait...\r\n"
            L"  L1\r\n"
            L"    L2\r\n"
            L"      L3\r\n"
            L"        L4\r\n"
            L"          L5\r\n"
            L"            L6\r\n"
            L"             L7\r\n"
            L"             L8\r\n");
}

TEST_F(ConsoleFlashTest, AProgramWithAWaitHookPrintsNoWaitLine) {
  static int hooked = 0;
  hooked = 0;
  SetBeginWaitHook([] { ++hooked; });
  SetEndWaitHook([] { --hooked; });
  {
    IFlash flash = CreateFlash(L"Hooked");
    EXPECT_EQ(hooked, 1);
    EXPECT_EQ(WaitCount(), 0);
  }
  EXPECT_EQ(hooked, 0);
  SetBeginWaitHook(nullptr);
  SetEndWaitHook(nullptr);
  EXPECT_EQ(console.Text(), L"  Hooked\r\n");
}

TEST_F(ConsoleFlashTest, AWaitScopeSaysPleaseWaitOncePerOutermostScope) {
  {
    TWaitScope outer;
    TWaitScope inner;
    EXPECT_EQ(WaitCount(), 2);
  }
  EXPECT_EQ(WaitCount(), 0);
  { TWaitScope again; }
  EXPECT_EQ(console.Text(), L"Please Wait...\r\nPlease Wait...\r\n");
}
