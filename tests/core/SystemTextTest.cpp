#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "HvLXSystemText.h"

namespace {

// A call of the kind the system's folder and name calls are: the size it needs (NUL included)
// when the buffer is too short, the length written otherwise, 0 on failure. `grows` makes the
// text longer after the first call, as a value changed by someone else between two calls.
struct FakeSystemCall {
  std::wstring text;
  bool fails = false;
  std::size_t grows = 0;
  int calls = 0;

  DWORD operator()(wchar_t* buffer, DWORD size) {
    ++calls;
    if (fails) return 0;
    const std::wstring now = text;
    if (grows && calls == 1) text += std::wstring(grows, L'+');
    if (!buffer || size < now.size() + 1) return static_cast<DWORD>(now.size() + 1);
    std::copy(now.begin(), now.end(), buffer);
    buffer[now.size()] = L'\0';
    return static_cast<DWORD>(now.size());
  }
};

TEST(ReadSystemText, ReadsTextsOfAnyLengthWithOrWithoutAFirstGuess) {
  struct Case {
    std::size_t length, grows;
    DWORD firstSize;
    int calls;  // what the read costs
  } cases[] = {
      {5, 0, 0, 2},   {5, 0, MAX_PATH + 1, 1},   {MAX_PATH, 0, MAX_PATH + 1, 1},
      {MAX_PATH + 1, 0, MAX_PATH + 1, 2},         {1000, 0, MAX_PATH + 1, 2},
      {5, 300, 0, 3}, {MAX_PATH, 300, MAX_PATH + 1, 1}, {1000, 300, MAX_PATH + 1, 3},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    const Case& c = cases[i];
    FakeSystemCall call{std::wstring(c.length, L'x'), false, c.grows};
    const std::wstring read = hv::ReadSystemText([&](wchar_t* b, DWORD s) { return call(b, s); }, c.firstSize);
    // A text that grew meanwhile is read whole at its new length once the guess was too short.
    const std::size_t expected = c.length + (call.calls > 1 ? c.grows : 0);
    EXPECT_EQ(read, std::wstring(c.length, L'x') + std::wstring(expected - c.length, L'+')) << "case " << i;
    EXPECT_EQ(call.calls, c.calls) << "case " << i;
  }
}

TEST(ReadSystemText, AFailedCallGivesNothing) {
  for (DWORD firstSize : {DWORD{0}, DWORD{MAX_PATH + 1}}) {
    FakeSystemCall call{L"never read", true};
    EXPECT_EQ(hv::ReadSystemText([&](wchar_t* b, DWORD s) { return call(b, s); }, firstSize), L"") << firstSize;
    EXPECT_EQ(call.calls, 1) << firstSize;
  }
}

}  // namespace
