#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "HvExceptionHooks.h"
#include "HvLXShowException.h"

namespace {

HV_DECLARE_EXCEPTION(EUserCancelled, hv::EAbort);

struct Box {
  std::wstring text, caption;
  UINT flags;
};
std::vector<Box> Boxes;

int RecordBox(HWND, const std::wstring& text, const std::wstring& caption, UINT flags) {
  Boxes.push_back({text, caption, flags});
  return IDOK;
}

void UninstallerDisplay(const hv::Exception& e) { hv::ApplicationShowException(e, L"Halvern Uninstaller"); }

// Boxes are recorded instead of shown; the application display is the test's to set.
class ShowException : public testing::Test {
 protected:
  void SetUp() override {
    Boxes.clear();
    FSavedBox = hv::SetErrorBoxProc(&RecordBox);
    FSavedDisplay = hv::SetApplicationExceptionDisplay(&UninstallerDisplay);
  }
  void TearDown() override {
    hv::SetErrorBoxProc(FSavedBox);
    hv::SetApplicationExceptionDisplay(FSavedDisplay);
  }

 private:
  hv::ErrorBoxProc FSavedBox = nullptr;
  hv::ExceptionDisplayProc FSavedDisplay = nullptr;
};

std::wstring ShownText(const hv::Exception& e) {
  Boxes.clear();
  hv::ShowExceptionLX(&e);
  return Boxes.size() == 1 ? Boxes[0].text : L"<" + std::to_wstring(Boxes.size()) + L" boxes>";
}

// outer -> middle -> innermost, as nested ThrowOuter calls would build it.
hv::Exception Chain(const wchar_t* outer, const wchar_t* middle, const wchar_t* innermost) {
  auto inner = std::make_shared<hv::EOSError>(innermost, 5);
  auto mid = std::make_shared<hv::EHvGeneralError>(middle);
  mid->SetInnerException(inner);
  hv::Exception top(outer);
  top.SetInnerException(mid);
  return top;
}

}  // namespace

TEST_F(ShowException, AddsAFullStopOnlyAfterCharactersCodedAboveIt) {
  struct Case {
    std::wstring message, shown;
  } cases[] = {
      {L"Access is denied", L"Access is denied."},
      {L"Code 5", L"Code 5."},
      {L"Finished.", L"Finished."},
      {L"Failed (code 5)", L"Failed (code 5)"},
      {L"Stop!", L"Stop!"},
      {L"File \"a.txt\"", L"File \"a.txt\""},
      {L"It's 'x'", L"It's 'x'"},
      {L"Trailing space ", L"Trailing space "},
      {L"C:\\Folder/", L"C:\\Folder/."},  // '/' is coded 47
      {L"Gr\u00FC\u00DF", L"Gr\u00FC\u00DF."},
      {L"", L""},
  };
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(ShownText(hv::EHvGeneralError(cases[i].message)), cases[i].shown) << "case " << i;

  ASSERT_EQ(Boxes.size(), 1u);
  EXPECT_EQ(Boxes[0].caption, L"Halvern Uninstaller");
  EXPECT_EQ(Boxes[0].flags, UINT(MB_OK | MB_ICONERROR));
}

TEST_F(ShowException, ShowsTheInnermostMessageOrElseTheOutersOwn) {
  struct Case {
    hv::Exception e;
    std::wstring shown;
  } cases[] = {
      {Chain(L"Could not uninstall", L"Deleting the folder failed", L"Access is denied"), L"Access is denied."},
      {Chain(L"Could not uninstall", L"Deleting the folder failed", L""), L"Could not uninstall."},
      {Chain(L"", L"Deleting the folder failed", L""), L""},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(ShownText(cases[i].e), cases[i].shown) << "case " << i;

  // The same through a real raise as an outer exception.
  try {
    try {
      throw hv::EOSError(L"Access is denied", 5);
    } catch (...) {
      hv::ThrowOuter(hv::EHvGeneralError(L"Could not uninstall"));
    }
    ADD_FAILURE() << "nothing raised";
  } catch (const hv::Exception& e) {
    EXPECT_EQ(ShownText(e), L"Access is denied.");
  }
}

TEST_F(ShowException, TheSilentAbortAndItsDescendantsShowNothing) {
  for (hv::ExceptionDisplayProc display : {&UninstallerDisplay, static_cast<hv::ExceptionDisplayProc>(nullptr)}) {
    hv::SetApplicationExceptionDisplay(display);
    hv::ShowExceptionLX(std::make_unique<hv::EAbort>(L"Operation aborted").get());
    hv::ShowExceptionLX(std::make_unique<EUserCancelled>(L"Cancelled").get());
    try {
      throw EUserCancelled(L"Cancelled");
    } catch (...) {
      hv::ShowExceptionLX();
    }
  }
  EXPECT_TRUE(Boxes.empty());
}

TEST_F(ShowException, WithoutAnArgumentShowsWhateverIsBeingHandled) {
  std::vector<std::wstring> shown;
  auto showCurrent = [&](auto raise) {
    Boxes.clear();
    try {
      raise();
    } catch (...) {
      hv::ShowExceptionLX();
    }
    shown.push_back(Boxes.size() == 1 ? Boxes[0].text : L"<no single box>");
  };
  showCurrent([] { throw hv::EOSError(L"Disk full", 112); });
  showCurrent([] { throw std::runtime_error("Bad \xC3\xBC thing"); });  // UTF-8 text
  showCurrent([] { throw 42; });
  EXPECT_EQ(shown, (std::vector<std::wstring>{L"Disk full.", L"Bad \u00FC thing.", L"Unknown exception."}));

  // Outside any handler there is nothing to show.
  Boxes.clear();
  hv::ShowExceptionLX();
  EXPECT_TRUE(Boxes.empty());
}

TEST_F(ShowException, WithoutAnApplicationTheRuntimeBoxNamesClassModuleAndRaiseAddress) {
  hv::SetApplicationExceptionDisplay(nullptr);
  hv::EHvGeneralError other(L"Not the one being handled");
  try {
    throw hv::EHvGeneralError(L"Cannot insert into sorted list.");
  } catch (...) {
    hv::ShowExceptionLX();
    hv::ShowExceptionLX(&other);
    ASSERT_EQ(Boxes.size(), 2u);
    EXPECT_NE(hv::ExceptAddr(), nullptr);
    EXPECT_EQ(Boxes[0].text, hv::Fmt(L"Exception EHvGeneralError in module test_diag.exe at %p.\r\n"
                                     L"Cannot insert into sorted list.\r\n",
                                     hv::ExceptAddr()));
    EXPECT_EQ(Boxes[1].text, L"Exception EHvGeneralError in module test_diag.exe at " +
                                 std::wstring(sizeof(void*) * 2, L'0') + L".\r\nNot the one being handled.\r\n");
    EXPECT_EQ(Boxes[0].caption, L"Application Error");
    EXPECT_EQ(Boxes[0].flags & (MB_ICONERROR | MB_OK), UINT(MB_ICONERROR | MB_OK));
  }
}

TEST_F(ShowException, TheApplicationInstallsAndRemovesOnlyItsOwnDisplay) {
  auto another = [](const hv::Exception&) {};
  hv::SetApplicationExceptionDisplay(nullptr);
  EXPECT_TRUE(hv::InstallApplicationExceptionDisplay(&UninstallerDisplay));
  EXPECT_FALSE(hv::InstallApplicationExceptionDisplay(another));
  EXPECT_EQ(hv::ApplicationExceptionDisplay(), &UninstallerDisplay);
  EXPECT_FALSE(hv::RemoveApplicationExceptionDisplay(another));
  EXPECT_EQ(hv::ApplicationExceptionDisplay(), &UninstallerDisplay);
  EXPECT_TRUE(hv::RemoveApplicationExceptionDisplay(&UninstallerDisplay));
  EXPECT_EQ(hv::ApplicationExceptionDisplay(), nullptr);
  EXPECT_EQ(hv::SetApplicationExceptionDisplay(&UninstallerDisplay), nullptr);
}
