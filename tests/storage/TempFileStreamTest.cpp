// The temporary file stream's file: private while open, and gone when the stream closes or
// the program holding it is killed.
#include <gtest/gtest.h>

#include <string>

#include "ExeFolder.h"
#include "HvHandles.h"
#include "HvLXTempFileStream.h"
#include "HvLXTempFiles.h"
#include "HvTestSupport.h"

using namespace hv;

namespace {

DWORD Attributes(const std::wstring& path) { return GetFileAttributesW(path.c_str()); }

// Starts the child program, reads the path it prints, then kills it: the path it held.
std::wstring PathHeldByKilledChild() {
  SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return {};
  UniqueKernelHandle reader(readEnd), writer(writeEnd);
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOW si{};
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdOutput = writeEnd;
  si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  std::wstring command = L"\"" + hvtest::ExeFolder() + L"\\hv_storage_child.exe\"";
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
    ADD_FAILURE() << "child not started: " << GetLastError();
    return {};
  }
  UniqueKernelHandle process(pi.hProcess), thread(pi.hThread);
  writer.reset();  // so a child that dies early ends the read below
  std::string line;
  char c;
  DWORD got = 0;
  while (ReadFile(readEnd, &c, 1, &got, nullptr) && got == 1 && c != '\n')
    if (c != '\r') line += c;
  const std::wstring path(line.begin(), line.end());
  EXPECT_NE(Attributes(path), INVALID_FILE_ATTRIBUTES) << "the child's file exists while it runs: " << line;
  TerminateProcess(pi.hProcess, 9);
  WaitForSingleObject(pi.hProcess, INFINITE);
  return path;
}

}  // namespace

TEST(TempFileStream, IsAPrivateTemporaryFileInTheProcessFolderGoneWhenClosed) {
  std::wstring path;
  {
    TTempFileStream stream;
    path = stream.TempFileName();
    EXPECT_TRUE(path.starts_with(GetProcessTempFolder())) << path;
    EXPECT_TRUE(path.ends_with(L".tmp"));
    stream.WriteBuffer("abcdef", 6);
    stream.SetPosition(2);
    char two[2];
    stream.ReadBuffer(two, 2);
    EXPECT_EQ(std::string(two, 2), "cd");
    EXPECT_EQ(stream.Size(), 6);

    HANDLE other = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_EQ(other, INVALID_HANDLE_VALUE) << "nobody else may open it";
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);

    TTempFileStream second;
    EXPECT_NE(second.TempFileName(), path);
  }
  EXPECT_EQ(Attributes(path), INVALID_FILE_ATTRIBUTES);
}

TEST(TempFileStream, TheFileOfAKilledProgramIsGone) {
  const std::wstring path = PathHeldByKilledChild();
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(Attributes(path), INVALID_FILE_ATTRIBUTES) << path;
}
