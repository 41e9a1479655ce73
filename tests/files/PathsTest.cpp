#include <gtest/gtest.h>

#include "HvLXFiles.h"

namespace {

// A drive path of exactly `length` characters.
std::wstring DrivePath(std::size_t length) { return L"C:\\" + std::wstring(length - 3, L'a'); }
std::wstring UncPath(std::size_t length) { return L"\\\\srv\\share\\" + std::wstring(length - 12, L'b'); }

TEST(LongFileName, PrefixesOnlyAbsolutePathsPastTheLimit) {
  const std::wstring rel300(300, L'r');
  const std::wstring rooted300 = L"\\" + std::wstring(299, L'r');
  const std::wstring long300 = L"\\\\?\\C:\\" + std::wstring(293, L'l');
  struct Case {
    std::wstring in, expected;
  } cases[] = {
      {DrivePath(248), DrivePath(248)},
      {DrivePath(249), L"\\\\?\\" + DrivePath(249)},
      {UncPath(248), UncPath(248)},
      {UncPath(249), L"\\\\?\\UNC\\" + UncPath(249).substr(2)},
      {rel300, rel300},
      {rooted300, rooted300},
      {long300, long300},
      {L"", L""},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(hv::LongFileName(cases[i].in), cases[i].expected) << "case " << i;
}

TEST(PathText, TrailingBackslashAndBaseName) {
  EXPECT_EQ(hv::IncludeTrailingBackslashLX(L""), L"\\");
  EXPECT_EQ(hv::IncludeTrailingBackslashLX(L"C:\\a"), L"C:\\a\\");
  EXPECT_EQ(hv::IncludeTrailingBackslashLX(L"C:\\a\\"), L"C:\\a\\");
  EXPECT_EQ(hv::ExcludeTrailingBackslashLX(L"C:\\a\\\\"), L"C:\\a\\");
  EXPECT_EQ(hv::ExcludeTrailingBackslashLX(L"C:\\a"), L"C:\\a");
  EXPECT_EQ(hv::ExcludeTrailingBackslashLX(L""), L"");

  const std::pair<std::wstring, std::wstring> names[] = {
      {L"C:\\dir.v2\\setup.tar.gz", L"setup.tar"},
      {L"C:readme.txt", L"readme"},
      {L"C:\\dir.v2\\noext", L"noext"},
      {L"\\\\srv\\share\\.hidden", L""},
      {L"plain", L"plain"},
  };
  for (const auto& [path, base] : names) EXPECT_EQ(hv::ExtractFileBaseName(path), base) << path.c_str();
}

TEST(ExpandFileNameLX, MakesRelativePathsAbsoluteAtAnyLength) {
  wchar_t current[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, current);
  EXPECT_EQ(hv::ExpandFileNameLX(L"x\\y.txt"), hv::IncludeTrailingBackslashLX(current) + L"x\\y.txt");
  const std::wstring longPath = DrivePath(300);
  EXPECT_EQ(hv::ExpandFileNameLX(longPath), L"\\\\?\\" + longPath);
}

}  // namespace
