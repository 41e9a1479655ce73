// Byte streams: the abstract stream, a memory stream, a stream over a system file handle,
// and the file streams. Positions and sizes are 64-bit throughout so files beyond 2 GiB
// work. A failing system read, write or seek raises; it never looks like the end of data.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "HvExceptions.h"
#include "HvHandles.h"
#include "HvWindows.h"

namespace hv {

HV_DECLARE_EXCEPTION(EStreamError, Exception);
HV_DECLARE_EXCEPTION(EFileStreamError, EStreamError);
HV_DECLARE_EXCEPTION(EFCreateError, EFileStreamError);
HV_DECLARE_EXCEPTION(EFOpenError, EFileStreamError);
HV_DECLARE_EXCEPTION(EReadError, EStreamError);
HV_DECLARE_EXCEPTION(EWriteError, EStreamError);

// Open modes: the low byte holds access (bits 0-1) and sharing (bits 4-6); fmCreate in the
// high byte means create (or replace) the file.
constexpr std::uint16_t fmOpenRead = 0x0000;
constexpr std::uint16_t fmOpenWrite = 0x0001;
constexpr std::uint16_t fmOpenReadWrite = 0x0002;
constexpr std::uint16_t fmShareCompat = 0x0000;
constexpr std::uint16_t fmShareExclusive = 0x0010;
constexpr std::uint16_t fmShareDenyWrite = 0x0020;
constexpr std::uint16_t fmShareDenyRead = 0x0030;
constexpr std::uint16_t fmShareDenyNone = 0x0040;
constexpr std::uint16_t fmCreate = 0xFF00;

enum class TSeekOrigin { soBeginning, soCurrent, soEnd };

class TStream {
 public:
  virtual ~TStream() = default;
  TStream() = default;
  TStream(const TStream&) = delete;
  TStream& operator=(const TStream&) = delete;

  // Reads up to `count` bytes and answers how many were read (0 at the end of the data).
  virtual size_t Read(void* buffer, size_t count) = 0;
  virtual size_t Write(const void* buffer, size_t count) = 0;
  // Answers the new position.
  virtual std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) = 0;
  virtual std::int64_t Size();
  virtual void SetSize(std::int64_t newSize) = 0;

  std::int64_t Position() { return Seek(0, TSeekOrigin::soCurrent); }
  void SetPosition(std::int64_t position) { Seek(position, TSeekOrigin::soBeginning); }

  // All or nothing: EReadError "Stream read error" / EWriteError "Stream write error".
  void ReadBuffer(void* buffer, size_t count);
  void WriteBuffer(const void* buffer, size_t count);
  void WriteBuffer(std::string_view bytes) { WriteBuffer(bytes.data(), bytes.size()); }
};

class TMemoryStream : public TStream {
 public:
  TMemoryStream() = default;
  explicit TMemoryStream(std::string bytes) : FData(std::move(bytes)) {}
  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override { return static_cast<std::int64_t>(FData.size()); }
  void SetSize(std::int64_t newSize) override;
  const std::string& Bytes() const { return FData; }

 private:
  std::string FData;
  std::int64_t FPosition = 0;
};

// A stream over a handle it does not own.
class THandleStream : public TStream {
 public:
  explicit THandleStream(HANDLE handle) : FHandle(handle) {}
  size_t Read(void* buffer, size_t count) override;
  size_t Write(const void* buffer, size_t count) override;
  std::int64_t Seek(std::int64_t offset, TSeekOrigin origin) override;
  std::int64_t Size() override;
  void SetSize(std::int64_t newSize) override;
  HANDLE Handle() const { return FHandle; }

 protected:
  HANDLE FHandle;
};

// A file opened or created by name; the handle is closed with the stream. Failures raise
// EFCreateError "Cannot create file "%s". %s" or EFOpenError "Cannot open file "%s". %s"
// with the full path and the system's text for the error.
class TFileStream : public THandleStream {
 public:
  TFileStream(const std::wstring& fileName, std::uint16_t mode, std::uint32_t rights = 0);
  const std::wstring& FileName() const { return FFileName; }

 protected:
  struct LongPaths {};
  TFileStream(const std::wstring& fileName, std::uint16_t mode, std::uint32_t rights, LongPaths);

 private:
  UniqueFileHandle FOwned;  // the base's handle; first, so nothing can fail before it is owned
  std::wstring FFileName;
};

// The file stream whose names may be longer than the classic path limit.
// `rights` are the permission bits of hosts that have them; Windows ignores them.
class THvFileStream : public TFileStream {
 public:
  THvFileStream(const std::wstring& fileName, std::uint16_t mode, std::uint32_t rights = 0)
      : TFileStream(fileName, mode, rights, LongPaths{}) {}
};

}  // namespace hv
