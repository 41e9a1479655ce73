// The application services: the cursor stack and the wait cursor, the message pumps of long
// work, the progress-window factory of the main thread, confirmed links and the macOS input
// adaptations.
#include <gtest/gtest.h>

#include <optional>
#include <thread>
#include <vector>

#include "Forms2Support.h"
#include "FormsTestSupport.h"
#include "HvApplication.h"
#include "HvLXCursors.h"
#include "HvLXFormsTesting.h"
#include "HvLXMacMessages.h"
#include "HvLXMessagePumps.h"
#include "HvLXOpenUrl.h"
#include "HvLXUserInterfaceUnits.h"
#include "HvLXVclUtils.h"
#include "HvLXWait.h"
#include "HvVisualStyles.h"

using namespace hv;

namespace {

MSG MakeMsg(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  MSG msg{};
  msg.hwnd = window;
  msg.message = message;
  msg.wParam = wParam;
  msg.lParam = lParam;
  return msg;
}

// The services for the scope of a test, as a windowed program or a console one has them.
class ScopedServices {
 public:
  explicit ScopedServices(bool userInterface) { InitializeHvLXVclUtils(userInterface); }
  ~ScopedServices() { FinalizeHvLXVclUtils(); }
};

// A window that counts what reaches it and answers the context-menu question.
struct CountingWindow {
  static inline int Paints = 0, Keys = 0, ContextMenus = 0;
  static inline POINT ContextMenuAt{};
  static inline LRESULT SimulateAnswer = 0;
  HWND Handle = nullptr;

  CountingWindow() {
    static bool registered = [] {
      WNDCLASSEXW wc{};
      wc.cbSize = sizeof(wc);
      wc.lpfnWndProc = &Proc;
      wc.hInstance = GetModuleHandleW(nullptr);
      wc.lpszClassName = L"HvCountingWindow";
      return RegisterClassExW(&wc) != 0;
    }();
    (void)registered;
    Paints = Keys = ContextMenus = 0;
    Handle = CreateWindowExW(0, L"HvCountingWindow", L"", WS_POPUP, 0, 0, 50, 50, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
  }
  ~CountingWindow() { DestroyWindow(Handle); }

  static LRESULT CALLBACK Proc(HWND h, UINT msg, WPARAM w, LPARAM l) {
    if (msg == WM_PAINT) {
      ++Paints;
      return 0;
    }
    if (msg == WM_KEYDOWN) ++Keys;
    if (msg == WM_CONTEXTMENU) {
      ++ContextMenus;
      ContextMenuAt = {static_cast<short>(LOWORD(l)), static_cast<short>(HIWORD(l))};
    }
    if (msg == WM_WINE_SIMULATE_CONTEXTMENU_ON_MOUSE_DOWN()) return SimulateAnswer;
    return DefWindowProcW(h, msg, w, l);
  }
};

// Records the synthesised keyboard input; can refuse the event with a given number.
struct RecordedInput {
  static inline std::vector<std::pair<WORD, bool>> Events;  // key, released
  static inline int FailAt = -1;
  static UINT WINAPI Send(UINT count, INPUT* inputs, int) {
    for (UINT i = 0; i < count; ++i) {
      int index = static_cast<int>(Events.size());
      Events.push_back({inputs[i].ki.wVk, (inputs[i].ki.dwFlags & KEYEVENTF_KEYUP) != 0});
      if (index == FailAt) return 0;
    }
    return count;
  }
  RecordedInput() : FPinned(&Send) {
    Events.clear();
    FailAt = -1;
  }
  ScopedSendInputProc FPinned;
};

int gExtendersMade = 0;
std::shared_ptr<IFlashExtender> CountingFactory(void*, bool) {
  ++gExtendersMade;
  return nullptr;
}

TForm* gClosingModal = nullptr;
HWND gBelowModal = nullptr;
// Something changes on the window below while the modal one is up, then the modal closes.
void CALLBACK CloseModalOnTimer(HWND, UINT, UINT_PTR, DWORD) {
  InvalidateRect(gBelowModal, nullptr, TRUE);
  gClosingModal->SetModalResult(mrOk);
}

}  // namespace

TEST(AppServices, CursorStackRestoresInOrderAndFallsBackToTheArrow) {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW), wait = LoadCursorW(nullptr, IDC_WAIT);
  HCURSOR hand = GetHandCursor();
  ASSERT_NE(hand, nullptr);
  EXPECT_EQ(GetHandCursor(), hand) << "found once, then kept";
  SetCursor(arrow);
  PushCursor(hand);
  PushCursor(wait);
  EXPECT_EQ(GetCursor(), wait);
  PopCursor();
  EXPECT_EQ(GetCursor(), hand);
  PopCursor();
  EXPECT_EQ(GetCursor(), arrow);
  SetCursor(wait);
  PopCursor();  // nothing left to pop
  EXPECT_EQ(GetCursor(), arrow);
  EXPECT_EQ(hv::testing::CursorStackDepth(), 0);

  std::thread([&] { PushCursor(wait); }).join();
  EXPECT_EQ(hv::testing::CursorStackDepth(), 0) << "other threads leave the stack alone";
}

TEST(AppServices, PumpsDispatchPendingMessagesInPortions) {
  CountingWindow window;
  hvtest::Pump();
  struct Case {
    UINT message;
    int pending;
    bool (*pump)();
    int* counter;
    std::vector<int> portions;
  } cases[] = {
      {WM_PAINT, 5000, &ProcessPaintMessages, &CountingWindow::Paints, {1001, 1001, 1001, 1001, 996}},
      {WM_KEYDOWN, 250, &ProcessInputMessages, &CountingWindow::Keys, {101, 101, 48}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "message " << c.message);
    for (int i = 0; i < c.pending; ++i) ASSERT_TRUE(PostMessageW(window.Handle, c.message, 0, 0));
    for (size_t call = 0; call < c.portions.size(); ++call) {
      int before = *c.counter;
      bool waiting = c.pump();
      EXPECT_EQ(*c.counter - before, c.portions[call]) << "call " << call;
      if (call + 1 < c.portions.size()) {
        EXPECT_TRUE(waiting) << "call " << call;
      }
    }
  }
  // A posted message of another kind is left for the main loop.
  PostMessageW(window.Handle, WM_NULL, 0, 0);
  EXPECT_TRUE(ProcessPaintMessages());
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, window.Handle, WM_NULL, WM_NULL, PM_REMOVE));
}

TEST(AppServices, WaitCursorAndProgressWindowsOnlyInAWindowedProgram) {
  HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW), wait = LoadCursorW(nullptr, IDC_WAIT);
  InstallMainThreadFlashExtenderFactory(&CountingFactory);
  for (bool userInterface : {true, false}) {
    SCOPED_TRACE(userInterface ? "windowed" : "console");
    gExtendersMade = 0;
    {
      ScopedServices services(userInterface);
      SetCursor(arrow);
      {
        TWaitScope busy;
        EXPECT_EQ(GetCursor() == wait, userInterface);
        EXPECT_EQ(WaitCount(), userInterface ? 0 : 1);
      }
      EXPECT_EQ(GetCursor(), arrow);
      IFlash flash = CreateFlash(L"Working...");
      EXPECT_EQ(gExtendersMade, userInterface ? 1 : 0);
      std::thread([] { IFlash other = CreateFlash(L"Elsewhere"); }).join();
      EXPECT_EQ(gExtendersMade, userInterface ? 1 : 0) << "no progress window off the main thread";
    }
    // Shut down: nothing of it stays installed.
    IFlash later = CreateFlash(L"After");
    EXPECT_EQ(gExtendersMade, userInterface ? 1 : 0);
    int waits = WaitCount();
    TWaitScope busy;
    EXPECT_EQ(WaitCount(), waits + 1);
  }
  InstallMainThreadFlashExtenderFactory(nullptr);
  EXPECT_FALSE(ProcessHasUserInterface()) << "the test program is a console program";
}

TEST(AppServices, WindowsUncoveredByAClosingModalWindowRepaintAtOnce) {
  std::unique_ptr<TForm> below(TForm::Create<TForm>(nullptr));
  below->SetClientSize96(300, 200);
  below->Show();
  hvtest::Pump();
  std::unique_ptr<TForm> modal(TForm::Create<TForm>(nullptr));
  modal->SetClientSize96(280, 180);
  gClosingModal = modal.get();
  gBelowModal = below->Handle();
  for (bool services : {true, false}) {
    SCOPED_TRACE(services ? "with the services" : "without");
    std::optional<THvUserInterfaceUnits> units;
    if (services) units.emplace(true);
    SetWindowPos(modal->Handle(), HWND_TOP, below->Left(), below->Top(), 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    UINT_PTR timer = SetTimer(nullptr, 0, 50, &CloseModalOnTimer);
    modal->ShowModal();
    KillTimer(nullptr, timer);
    EXPECT_EQ(hvtest::IsInvalidated(below->Handle()), !services) << "painted before ShowModal returned";
    hvtest::Pump();
  }
}

TEST(AppServices, DecliningTheLinkConfirmationOpensNothingAndAbortsSilently) {
  Application().SetTitle(L"App Services Test");
  static int opened;
  static std::wstring openedUrl;
  opened = 0;
  auto opener = [](const std::wstring& url, void* param) {
    ++opened;
    openedUrl = url + *static_cast<std::wstring*>(param);
  };
  std::wstring param = L"#param";
  for (int answer : {IDNO, IDCANCEL}) {
    hvtest::MessageBoxDismisser boxes(L"App Services Test", answer);
    EXPECT_THROW(OpenUrlConfirmed(L"https://example.invalid/", opener, &param), EAbort) << answer;
    EXPECT_EQ(boxes.Texts.size(), 1u);
  }
  EXPECT_EQ(opened, 0);
  hvtest::MessageBoxDismisser boxes(L"App Services Test", IDYES);
  OpenUrlConfirmed(L"https://example.invalid/", opener, &param);
  EXPECT_EQ(opened, 1);
  EXPECT_EQ(openedUrl, L"https://example.invalid/#param");
}

TEST(AppServices, ALinkThatNeedsNoNetworkOpensWithoutAsking) {
  Application().SetTitle(L"App Services Test");
  static int opened;
  opened = 0;
  hvtest::MessageBoxDismisser boxes(L"App Services Test", IDNO);
  OpenUrlConfirmed(L"file:///C:/windows/win.ini", [](const std::wstring&, void*) { ++opened; }, nullptr);
  EXPECT_EQ(opened, 1);
  EXPECT_TRUE(boxes.Texts.empty());
}

TEST(AppServices, ThemeServicesAreReplacedOnlyUnderWineWithOldCommonControls) {
  struct Case {
    bool wine;
    int version;
    bool needed;
  } cases[] = {{true, 5, true}, {true, 6, false}, {false, 5, false}, {false, 6, false}};
  for (const Case& c : cases) {
    ScopedHostPins host({.wine = c.wine});
    EXPECT_EQ(ThemeServicesReplacementNeeded(c.version), c.needed) << c.wine << " " << c.version;
  }
  ASSERT_TRUE(EnsureCommonControlsV6());
  EXPECT_EQ(CommonControlsMajorVersion(), 6);
}

TEST(MacMessages, OptionWithTheShortcutCharactersBecomesCtrlShortcuts) {
  ScopedHostPins host({.wine = true, .mac = true, .wineTricks = true});
  hvtest::HeldKeys none({});
  CountingWindow window;
  using Events = std::vector<std::pair<WORD, bool>>;
  const Events ctrlC{{VK_MENU, true}, {VK_CONTROL, false}, {'C', false}, {'C', true}, {VK_CONTROL, true}};
  const Events ctrlComma{{VK_MENU, true}, {VK_CONTROL, false}, {VK_OEM_COMMA, false}, {VK_OEM_COMMA, true},
                         {VK_CONTROL, true}};
  const Events quit{{VK_MENU, true}, {VK_CONTROL, false}, {'Q', false}, {'Q', true}, {VK_CONTROL, true},
                    {VK_MENU, true}, {VK_MENU, false}, {VK_F4, false}, {VK_F4, true}, {VK_MENU, true},
                    {VK_MENU, false}};
  struct Case {
    WPARAM key;
    bool handled;
    const Events* events;
  } cases[] = {{0x63, true, &ctrlC}, {0x2C, true, &ctrlComma}, {0x71, true, &quit},
               {0x43, false, nullptr}, {0x77, false, nullptr}};
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "key " << c.key);
    RecordedInput input;
    MSG msg = MakeMsg(window.Handle, WM_SYSCHAR, c.key, 0x20000000);
    bool handled = false;
    MacAppMessageHandler(msg, handled);
    EXPECT_EQ(handled, c.handled);
    EXPECT_EQ(RecordedInput::Events, c.events ? *c.events : Events{});
  }
  // Without Alt in the key data it is no shortcut of ours.
  RecordedInput input;
  MSG plain = MakeMsg(window.Handle, WM_SYSCHAR, 0x63, 0);
  bool handled = false;
  MacAppMessageHandler(plain, handled);
  EXPECT_FALSE(handled);
  // Alt+F4's key-down carries the virtual key 0x73, the code of "s": it stays Alt+F4.
  MSG altF4 = MakeMsg(window.Handle, WM_SYSKEYDOWN, VK_F4, 0x20000000);
  MacAppMessageHandler(altF4, handled);
  EXPECT_FALSE(handled);
  EXPECT_EQ(altF4.message, UINT(WM_SYSKEYDOWN));
  EXPECT_TRUE(RecordedInput::Events.empty());
}

TEST(MacMessages, KeysPressedAreReleasedEvenWhenAStepFails) {
  ScopedHostPins host({.wine = true, .mac = true, .wineTricks = true});
  hvtest::HeldKeys none({});
  CountingWindow window;
  RecordedInput input;
  RecordedInput::FailAt = 1;  // pressing Ctrl fails
  MSG msg = MakeMsg(window.Handle, WM_SYSCHAR, 0x76, 0x20000000);
  bool handled = false;
  MacAppMessageHandler(msg, handled);
  EXPECT_TRUE(handled);
  std::vector<std::pair<WORD, bool>> expected{{VK_MENU, true}, {VK_CONTROL, false}, {'V', true}, {VK_CONTROL, true}};
  EXPECT_EQ(RecordedInput::Events, expected) << "V is not pressed, but every release is sent";
}

TEST(MacMessages, OptionClickIsARightClickAndCommandClickACtrlClick) {
  ScopedHostPins host({.wine = true, .mac = true, .wineTricks = true});
  CountingWindow window;
  struct Case {
    int heldKey;  // the Windows key Wine reports for the Mac key held
    UINT message;
    WPARAM flags;
    LRESULT simulate;
    UINT becomes;
    WPARAM flagsAfter;
    bool handled;
  } cases[] = {
      // On the Mac keyboard, Ctrl as Windows sees it is Option (Alt for the program).
      {VK_CONTROL, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, 0, WM_RBUTTONDOWN, MK_LBUTTON, false},
      {VK_CONTROL, WM_LBUTTONDOWN, MK_LBUTTON, 1, WM_RBUTTONDOWN, MK_LBUTTON, true},
      {VK_CONTROL, WM_LBUTTONUP, MK_CONTROL, 0, WM_RBUTTONUP, 0, false},
      {VK_MENU, WM_LBUTTONDOWN, MK_LBUTTON, 1, WM_LBUTTONDOWN, MK_LBUTTON | MK_CONTROL, false},
      {VK_MENU, WM_LBUTTONUP, 0, 0, WM_LBUTTONUP, MK_CONTROL, false},
      {0, WM_LBUTTONDOWN, MK_LBUTTON, 1, WM_LBUTTONDOWN, MK_LBUTTON, false},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(::testing::Message() << "case " << i);
    hvtest::HeldKeys held = c.heldKey ? hvtest::HeldKeys({c.heldKey}) : hvtest::HeldKeys({});
    CountingWindow::SimulateAnswer = c.simulate;
    CountingWindow::ContextMenus = 0;
    MSG msg = MakeMsg(window.Handle, c.message, c.flags, MAKELPARAM(5, 7));
    bool handled = false;
    MacAppMessageHandler(msg, handled);
    EXPECT_EQ(msg.message, c.becomes);
    EXPECT_EQ(msg.wParam, c.flagsAfter);
    EXPECT_EQ(handled, c.handled);
    EXPECT_EQ(CountingWindow::ContextMenus, c.handled ? 1 : 0);
  }
}
