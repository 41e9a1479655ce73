#include "HvLXTempFileStream.h"

#include <algorithm>

#include "HvLXPaths.h"
#include "HvLXTempFiles.h"

namespace hv {
namespace {

TTempFileWriteCall gWriteCall;  // empty: WriteFile itself

constexpr int kCreateTries = 10;

}  // namespace

TTempFileStream::TTempFileStream() : TTempFileStream([] {
  // The name was free when it was chosen; another process may take it before the file is
  // created, and then the next free name is as good. A failed creation made nothing, so
  // nothing is deleted: the file at that path, if any, is someone else's.
  for (int attempt = 1;; ++attempt) {
    std::wstring name = GetUniqueTempFileName(L".tmp");
    HANDLE h = CreateFileW(LongFileName(name).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (h != INVALID_HANDLE_VALUE) return Created{h, std::move(name)};
    const DWORD code = GetLastError();
    if (code != ERROR_FILE_EXISTS || attempt == kCreateTries) RaiseLastOSError(code);
  }
}()) {}

TTempFileStream::TTempFileStream(Created created)
    : THandleStream(created.handle), FOwned(created.handle), FTempFileName(std::move(created.name)) {}

size_t TTempFileStream::Write(const void* buffer, size_t count) {
  if (!gWriteCall) return THandleStream::Write(buffer, count);
  DWORD put = 0;
  if (!gWriteCall(FHandle, buffer, static_cast<DWORD>(std::min<size_t>(count, MAXDWORD)), &put)) RaiseLastOSError();
  return put;
}

ScopedTempFileWriteCall::ScopedTempFileWriteCall(TTempFileWriteCall write) : FSaved(std::move(gWriteCall)) {
  gWriteCall = std::move(write);
}

ScopedTempFileWriteCall::~ScopedTempFileWriteCall() { gWriteCall = std::move(FSaved); }

}  // namespace hv
