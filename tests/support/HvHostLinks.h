// Fixtures of the file layer's tests: host commands (links can only be made and removed
// from the host side under Wine) and a canary tree that no deletion may reach.
#pragma once

#include <string>
#include <vector>

#include "HvTestSupport.h"

namespace filestest {

// The host path of a Windows path (as Wine maps it).
std::string HostPath(const std::wstring& path);
// The Windows path of a host path.
std::wstring DosPath(const std::string& hostPath);
// Runs `script` with the host's /bin/sh and waits until it has finished.
void RunHostScript(const std::string& script);
// Whether the host sees a symbolic link at `path`, dangling or not (Wine shows a Windows program
// no entry at all for a dangling link).
bool HostIsLink(const std::wstring& path);
// The script text for one word: single-quoted for the host shell.
std::string ShellQuote(const std::string& word);

// Host symbolic links made by a test, removed as links (from the host side) when it ends.
class HostLinks {
 public:
  HostLinks() = default;
  ~HostLinks();
  HostLinks(const HostLinks&) = delete;
  HostLinks& operator=(const HostLinks&) = delete;
  void Make(const std::wstring& link, const std::wstring& target);

 private:
  std::vector<std::wstring> FLinks;
};

// A folder with two files (one in a sub-folder) that every deletion test must leave intact.
class Canary {
 public:
  Canary();
  const std::wstring& Path() const { return FDir.Path(); }
  std::wstring File() const { return FDir / L"keep.txt"; }
  std::wstring Folder() const { return FDir / L"sub"; }
  // Whether everything is still there.
  bool Intact() const;

 private:
  hvtest::ScratchDir FDir;
};

}  // namespace filestest
