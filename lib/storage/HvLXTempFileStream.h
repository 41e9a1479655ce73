// TTempFileStream: a stream over a private file in the process temporary folder that the
// system deletes when the stream closes, and also when the process ends without closing it.
// No other process can open the file meanwhile.
#pragma once

#include <functional>
#include <string>

#include "HvHandles.h"
#include "HvStreams.h"
#include "HvWindows.h"

namespace hv {

class TTempFileStream : public THandleStream {
 public:
  // Raises EOSError with the system's code when no file can be created.
  TTempFileStream();
  const std::wstring& TempFileName() const { return FTempFileName; }

  size_t Write(const void* buffer, size_t count) override;

 private:
  struct Created {
    UniqueFileHandle file;
    std::wstring name;
  };
  explicit TTempFileStream(Created created);

  UniqueFileHandle FOwned;  // the base's handle; first, so nothing can fail before it is owned
  std::wstring FTempFileName;
};

// The write call of temporary file streams, as WriteFile. A full disk cannot be had on demand
// under Wine, so a test replaces it to see what the containers built on these streams do when
// a write fails; every other call goes to Win32 directly. Not thread-safe; tests only.
using TTempFileWriteCall = std::function<BOOL(HANDLE file, const void* buffer, DWORD count, DWORD* written)>;

class ScopedTempFileWriteCall {
 public:
  explicit ScopedTempFileWriteCall(TTempFileWriteCall write);
  ~ScopedTempFileWriteCall();
  ScopedTempFileWriteCall(const ScopedTempFileWriteCall&) = delete;
  ScopedTempFileWriteCall& operator=(const ScopedTempFileWriteCall&) = delete;

 private:
  TTempFileWriteCall FSaved;
};

}  // namespace hv
