// The event log of this test program, pinned to a Wine host: its files land in a scratch user
// data folder, removed after the test.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "HvLXHost.h"
#include "HvLXSpecialFolders.h"
#include "HvStringList.h"
#include "HvTestSupport.h"

class EventLogFolderTest : public testing::Test {
 protected:
  std::wstring Folder() const { return FData.Path() + L"\\Halvern\\" + hv::GetExeBaseName() + L"\\EventLogs\\"; }

  // The names of the files in the folder, in the order pruning sorts them (oldest first).
  std::vector<std::wstring> FileNames() const {
    hv::THvStringList names;
    WIN32_FIND_DATAW data;
    HANDLE find = FindFirstFileW((Folder() + L"*").c_str(), &data);
    if (find != INVALID_HANDLE_VALUE) {
      do
        if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.Add(data.cFileName);
      while (FindNextFileW(find, &data));
      FindClose(find);
    }
    names.Sort();
    std::vector<std::wstring> sorted;
    for (int i = 0; i < names.Count(); ++i) sorted.push_back(names[i]);
    return sorted;
  }

  hvtest::ScratchDir FData;
  hv::ScopedHostPins FWine{{.wine = true}};
  hv::ScopedUserDataFolder FDataFolder{FData.Path()};
};
