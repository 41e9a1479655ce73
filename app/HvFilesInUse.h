// The entries of a tree that cannot be deleted because a program has them in use: opened
// without sharing their deletion (a document, a log, a service's file), or, as far as the
// Restart Manager knows, loaded or held in another way. Found before a tree goes to the shell,
// because a deletion through the Recycle Bin does not stop at them everywhere (under Wine the
// bin takes a held file away from the program that holds it).
#pragma once

#include <string>
#include <vector>

#include "HvFileHolders.h"

namespace hv {

struct TEntryInUse {
  std::wstring Path;
  bool Folder = false;
  std::vector<TFileHolder> Holders;  // empty when the system does not say who
};

// Whether another handle is open on the file or folder without sharing its deletion.
bool IsHeldOpen(const std::wstring& path);

// The entries of the tree at `root` (itself included) that are held open, each with its
// holders, in the order of a walk that lists a folder's files before its sub-folders. Links are
// never entered and never count. With `askRestartManager` a file that is not held open but that
// the Restart Manager names holders for counts too (asked per file: for what is left after a
// failed deletion, not for a whole tree).
std::vector<TEntryInUse> FindEntriesInUse(const std::wstring& root, bool askRestartManager);

// "Could not delete C:\...\x.dll: it is in use by explorer.exe (process 1234)." for each entry,
// one line each.
std::wstring InUseMessage(const std::vector<TEntryInUse>& entries);

}  // namespace hv
