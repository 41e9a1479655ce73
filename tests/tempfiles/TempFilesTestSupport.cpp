#include "TempFilesTestSupport.h"

#include <gtest/gtest.h>

#include "HvLXFileOps.h"

namespace tempfilestest {

void SetAgeHours(const std::wstring& path, double hours) {
  // FILE_FLAG_BACKUP_SEMANTICS lets the same call date a folder.
  HANDLE h = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  ASSERT_NE(h, INVALID_HANDLE_VALUE) << GetLastError();
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  ULARGE_INTEGER t{{now.dwLowDateTime, now.dwHighDateTime}};
  t.QuadPart -= static_cast<ULONGLONG>(hours * 3600.0 * 1e7);
  const FILETIME then{t.LowPart, t.HighPart};
  EXPECT_TRUE(SetFileTime(h, nullptr, nullptr, &then)) << GetLastError();
  CloseHandle(h);
}

void MakeFileAged(const std::wstring& path, double hours) {
  ASSERT_TRUE(hvtest::WriteTextFile(path, "x")) << GetLastError();
  SetAgeHours(path, hours);
}

void MakeFolder(const std::wstring& path) { hv::ForceDirectoriesLX(path); }

}  // namespace tempfilestest
