// Application-wide parts of the forms: system colour changes reach every form, and colour
// identifiers of form descriptions, including the library's own.
#include <gtest/gtest.h>

#include <memory>

#include "Forms2Support.h"
#include "HvApplication.h"
#include "HvLXGraphics.h"
#include "HvSysColorForwarder.h"

using namespace hv;

namespace {

class TColorCountingForm : public TForm {
 public:
  using TForm::TForm;
  int ColorChanges = 0;
  LRESULT WndProc(UINT msg, WPARAM wParam, LPARAM lParam) override {
    if (msg == WM_SYSCOLORCHANGE) ++ColorChanges;
    return TForm::WndProc(msg, wParam, lParam);
  }
};

}  // namespace

TEST(SysColorForwarding, AChangeAtTheApplicationWindowReachesEveryFormWithAWindow) {
  std::unique_ptr<TColorCountingForm> shown(TForm::Create<TColorCountingForm>(nullptr));
  std::unique_ptr<TColorCountingForm> hidden(TForm::Create<TColorCountingForm>(nullptr));
  std::unique_ptr<TColorCountingForm> unborn(TForm::Create<TColorCountingForm>(nullptr));
  shown->Show();
  hidden->HandleNeeded();
  InitializeHvForms();
  InitializeHvForms();  // once per process: a second companion would forward twice
  LRESULT answer = SendMessageW(Application().Handle(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(answer, 0);
  EXPECT_EQ(shown->ColorChanges, 1);
  EXPECT_EQ(hidden->ColorChanges, 1);
  EXPECT_FALSE(unborn->HandleAllocated()) << "no window is made just to tell it";
  FinalizeHvForms();
  SendMessageW(Application().Handle(), WM_SYSCOLORCHANGE, 0, 0);
  EXPECT_EQ(shown->ColorChanges, 1);
}

TEST(ColorIdents, NamesAndNumbersBothWays) {
  InitializeHvLXGraphics();
  struct Case {
    const wchar_t* text;
    std::optional<TColor> color;
    const wchar_t* written;  // ColorToString of the colour
  } cases[] = {
      {L"clHvCustomWindowColor", 0xF3FFFF, L"clHvCustomWindowColor"},
      {L"clhvcustomwindowcolor", 0xF3FFFF, L"clHvCustomWindowColor"},
      {L"clBtnFace", clBtnFace, L"clBtnFace"},
      {L"clRed", 0x0000FF, L"clRed"},
      {L"$00123456", 0x123456, L"$00123456"},
      {L"-16777201", clBtnFace, L"clBtnFace"},  // how a system colour is stored as a number
      {L"clNoSuchColour", std::nullopt, nullptr},
      {L"$", std::nullopt, nullptr},
      {L"12abc", std::nullopt, nullptr},
      {L"$1FFFFFFFF", std::nullopt, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.text);
    std::optional<TColor> color = StringToColor(c.text);
    EXPECT_EQ(color, c.color);
    if (color && c.written) {
      EXPECT_EQ(ColorToString(*color), c.written);
    }
  }
  EXPECT_EQ(ColorToRGB(clHvCustomWindowColor), RGB(0xFF, 0xFF, 0xF3));
  EXPECT_EQ(ColorToRGB(clBtnFace), GetSysColor(COLOR_BTNFACE));
  FinalizeHvLXGraphics();
  EXPECT_EQ(IdentToColor(L"clHvCustomWindowColor"), std::nullopt);
  EXPECT_EQ(ColorToString(clHvCustomWindowColor), L"$00F3FFFF");
}
