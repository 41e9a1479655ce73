// Names that a host script built with double quotes would run or break on: every host-script
// test takes its hostile names from here.
#pragma once

#include <string>
#include <vector>

namespace hvtest {

// Names that files made from the Windows side can have.
inline const std::vector<std::wstring>& ShellHostileWindowsNames() {
  static const std::vector<std::wstring> names = {
      L"$(touch CANARY)", L"`touch CANARY`", L"it's", L"$HOME; touch CANARY", L"-rf", L" a  b",
      L"\u00e9t\u00e9 \u65e5\u672c", L"${IFS}x", L"!x&y;z"};
  return names;
}
// Names that only the host side can make (characters Windows file names cannot hold).
inline const std::vector<std::wstring>& ShellHostileHostOnlyNames() {
  static const std::vector<std::wstring> names = {L"say \"hi\"", L"back\\slash", L"line\nbreak", L"'\\''", L"x|y<z>", L"end "};
  return names;
}

}  // namespace hvtest
