#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "HvLXChecks.h"

namespace {

// Runs `raise` and answers "<class>: <message>" of what it raised ("" when nothing).
template <class F>
std::wstring Raised(F raise) {
  try {
    raise();
  } catch (const hv::Exception& e) {
    return e.ClassName() + L": " + e.Message();
  }
  return L"";
}

}  // namespace

TEST(ReportUnexpectedEnum, NamesTheTypeAndTheValue) {
  const hv::TTypeInfo* forceType = hv::TypeInfoOf<hv::TForceMessageType>();
  const hv::TTypeInfo integer{L"Integer", hv::TTypeKind::tkInteger, INT_MIN, INT_MAX, {}};
  struct Case {
    const hv::TTypeInfo* info;
    int value;
    std::wstring want;
  } cases[] = {
      {nullptr, 7, L"Internal Error: ReportUnexpectedEnum, (TypeInfo_Enum = nil).  (Value = 7)"},
      {&integer, 3,
       L"Internal Error: ReportUnexpectedEnum expected tkEnumeration, but received Integer (1).  (Value = 3)"},
      {forceType, -1, L"Internal Error: Unexpected TForceMessageType: -1 (below minimum of 0)"},
      {forceType, 2, L"Internal Error: Unexpected TForceMessageType: 2 (above maximum of 1)"},
      {forceType, 0, L"Internal Error: Unexpected TForceMessageType: fmInternal"},
      {forceType, 1, L"Internal Error: Unexpected TForceMessageType: fmUser"},
  };
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(Raised([&] { hv::ReportUnexpectedEnum(cases[i].info, cases[i].value); }),
              L"EHvInternalError: " + cases[i].want)
        << "case " << i;

  // The typed form, as used in the default branch of a switch.
  EXPECT_EQ(Raised([] { hv::ReportUnexpectedEnum(static_cast<hv::TForceMessageType>(2)); }),
            L"EHvInternalError: Internal Error: Unexpected TForceMessageType: 2 (above maximum of 1)");
}

TEST(CheckTrue, RaisesAPlainExceptionWithTheCallersTextOnlyOnFailure) {
  EXPECT_EQ(Raised([] { hv::CheckTrue(true, L"unused"); }), L"");
  EXPECT_EQ(Raised([] { hv::CheckTrue(false, L"Internal Error: Can only run script under Wine."); }),
            L"Exception: Internal Error: Can only run script under Wine.");

  EXPECT_EQ(Raised([] { hv::CheckTrueFmt(false, L"Internal Error: Index (%d) is less than zero.", -1); }),
            L"Exception: Internal Error: Index (-1) is less than zero.");
  EXPECT_EQ(Raised([] { hv::CheckTrueFmt(false, L"%s (%d)", {L"list", 3}); }), L"Exception: list (3)");
}

TEST(CheckTrue, AnArgumentListThatDoesNotFitTheFormatCostsNothingWhileTheConditionHolds) {
  EXPECT_EQ(Raised([] { hv::CheckTrueFmt(true, L"Internal Error: Index (%d) is less than zero."); }), L"");
  EXPECT_EQ(Raised([] { hv::CheckTrueFmt(true, L"%d %d", L"text"); }), L"");
  EXPECT_EQ(Raised([] { hv::CheckTrueFmt(true, L"%s", {42}); }), L"");
  // On failure the mismatch itself is what gets reported.
  EXPECT_EQ(Raised([] { hv::CheckTrueFmt(false, L"%d", L"text"); }),
            L"EConvertError: Format '%d' invalid or incompatible with argument");
}

TEST(CheckAssigned, RaisesAnInternalErrorForEveryKindOfEmptyReference) {
  const std::wstring want = L"EHvInternalError: Internal Error: Form not assigned.";
  int value = 0;
  EXPECT_EQ(Raised([] { hv::CheckAssigned(static_cast<int*>(nullptr), L"Form"); }), want);
  EXPECT_EQ(Raised([] { hv::CheckAssigned(std::unique_ptr<int>(), L"Form"); }), want);
  EXPECT_EQ(Raised([] { hv::CheckAssigned(std::function<void()>(), L"Form"); }), want);
  EXPECT_EQ(Raised([&] { hv::CheckAssigned(&value, L"Form"); }), L"");
  EXPECT_EQ(Raised([] { hv::CheckAssigned(std::make_shared<int>(1), L"Form"); }), L"");
}
