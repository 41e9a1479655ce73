#include <gtest/gtest.h>

#include "HvExceptions.h"
#include "HvFormat.h"

using hv::Fmt;

TEST(Format, PastesTheMessageTextsUnchanged) {
  struct Case {
    std::wstring got, want;
  } cases[] = {
      {Fmt(L"System Error.  Code: %d.\r\n%s", 5, L"Access is denied."), L"System Error.  Code: 5.\r\nAccess is denied."},
      {Fmt(L"%.8x", 0x7E), L"0000007E"},
      {Fmt(L"FileOpResult = 0x%.8x", 0x10074u), L"FileOpResult = 0x00010074"},
      {Fmt(L"%.4d", 42), L"0042"},
      {Fmt(L"%.4d", -42), L"-0042"},
      {Fmt(L"%5d|%-5d|", 7, 7), L"    7|7    |"},
      {Fmt(L"%1:s %0:s %s", L"a", L"b"), L"b a b"},
      {Fmt(L"%x", -1), L"FFFFFFFF"},
      {Fmt(L"%u", -1), L"4294967295"},
      {Fmt(L"%.3s", L"abcdef"), L"abc"},
      {Fmt(L"%*d", 4, 5), L"   5"},
      // An address takes the width of the build's pointers.
      {Fmt(L"%p", reinterpret_cast<const void*>(0x1234)), sizeof(void*) == 8 ? L"0000000000001234" : L"00001234"},
      {Fmt(L"100%%"), L"100%"},
      {Fmt(L"%.2f", 3.14159), L"3.14"},
      {Fmt(L"%n", 1234567.5), L"1,234,567.50"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) EXPECT_EQ(cases[i].got, cases[i].want) << "case " << i;
}

TEST(Format, RejectsMissingOrMismatchedArguments) {
  EXPECT_THROW(Fmt(L"%d %d", 1), hv::EConvertError);
  EXPECT_THROW(Fmt(L"%d", L"text"), hv::EConvertError);
  EXPECT_THROW(Fmt(L"%s", 1), hv::EConvertError);
  EXPECT_THROW(Fmt(L"%q", 1), hv::EConvertError);
  try {
    Fmt(L"%d");
    ADD_FAILURE() << "nothing raised";
  } catch (const hv::EConvertError& e) {
    EXPECT_EQ(e.Message(), L"Format '%d' invalid or incompatible with argument");
  }
}
