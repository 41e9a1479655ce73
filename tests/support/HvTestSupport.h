// Helpers shared by the test suites: a private scratch folder and a private registry key.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "HvWindows.h"

namespace hvtest {

// A fresh, empty folder of the test's own (Windows path, no trailing backslash), removed
// again when the object goes.
class ScratchDir {
 public:
  ScratchDir();
  ~ScratchDir();
  ScratchDir(const ScratchDir&) = delete;
  ScratchDir& operator=(const ScratchDir&) = delete;
  const std::wstring& Path() const { return FPath; }
  std::wstring operator/(const std::wstring& name) const { return FPath + L"\\" + name; }

 private:
  std::wstring FPath;
};

// Writes a small file (creating nothing else); returns false when it cannot.
bool WriteTextFile(const std::wstring& path, const std::string& bytes);
bool PathExists(const std::wstring& path);

// Runs `commandLine` (the program first, quoted as needed), waits for it and answers its exit
// code; with `environment` set, the child's environment gains NAME=value pairs of it. -1 when it
// cannot start; -2 when it has not ended after `timeoutMs` (it is then ended).
long RunProgram(std::wstring commandLine, const std::vector<std::pair<std::wstring, std::wstring>>& environment = {},
                DWORD timeoutMs = INFINITE);

}  // namespace hvtest
