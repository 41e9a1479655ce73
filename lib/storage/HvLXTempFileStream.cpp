#include "HvLXTempFileStream.h"

#include <algorithm>

#include "HvLXTempFiles.h"

namespace hv {
namespace {

TTempFileWriteCall gWriteCall;  // empty: WriteFile itself

}  // namespace

// A failed creation made nothing, so nothing is deleted: a file at that path is someone else's.
TTempFileStream::TTempFileStream() : TTempFileStream([] {
  Created created;
  created.file = CreateUniqueTempFile(L".tmp", created.name, 0, FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE);
  return created;
}()) {}

TTempFileStream::TTempFileStream(Created created)
    : THandleStream(created.file.get()), FOwned(std::move(created.file)), FTempFileName(std::move(created.name)) {}

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
