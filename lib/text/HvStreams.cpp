#include "HvStreams.h"

#include "HvLXPaths.h"

#include <algorithm>
#include <cstring>

namespace hv {
namespace {

constexpr DWORD kMaxIo = 1u << 30;  // one ReadFile/WriteFile call moves at most this much

// The full form of a path (empty when the system cannot make one).
std::wstring FullPathName(const std::wstring& path) {
  DWORD size = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
  while (size > 0) {
    std::wstring full(size, L'\0');
    DWORD len = GetFullPathNameW(path.c_str(), size, full.data(), nullptr);
    if (len < size) {
      full.resize(len);
      return full;
    }
    size = len;  // the path changed between the two calls: ask again with the new size
  }
  return {};
}

std::wstring ExpandedName(const std::wstring& path) {
  std::wstring full = FullPathName(path);
  return full.empty() ? path : full;
}

// Maps the sharing bits of an open mode; false for bits that name no sharing mode.
bool ShareModeOf(std::uint16_t mode, DWORD& share) {
  static const DWORD kShare[] = {0, 0, FILE_SHARE_READ, FILE_SHARE_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE};
  unsigned index = (mode & 0xF0) >> 4;
  if (index >= std::size(kShare)) return false;
  share = kShare[index];
  return true;
}

HANDLE OpenFileByMode(const std::wstring& name, std::uint16_t mode) {
  static const DWORD kAccess[] = {GENERIC_READ, GENERIC_WRITE, GENERIC_READ | GENERIC_WRITE};
  DWORD share = 0;
  if ((mode & 3) >= std::size(kAccess) || !ShareModeOf(mode, share)) {
    SetLastError(ERROR_INVALID_PARAMETER);  // so the message names a cause, not a stale one
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileW(name.c_str(), kAccess[mode & 3], share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

HANDLE CreateFileByMode(const std::wstring& name, std::uint16_t shareBits) {
  DWORD share = 0;
  if (!ShareModeOf(shareBits, share)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return INVALID_HANDLE_VALUE;
  }
  return CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, share, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                     nullptr);
}

HANDLE OpenOrCreate(const std::wstring& fileName, std::uint16_t mode, bool longPaths) {
  std::wstring name = longPaths ? LongFileName(fileName) : fileName;
  if ((mode & fmCreate) == fmCreate) {
    std::uint16_t share = mode & 0xFF;
    if (share == 0xFF) share = fmShareExclusive;  // a caller passing 0xFFFF means "create, exclusive"
    HANDLE h = CreateFileByMode(name, share);
    if (h == INVALID_HANDLE_VALUE) {
      DWORD code = GetLastError();
      throw EFCreateError(Fmt(L"Cannot create file \"%s\". %s", ExpandedName(fileName), SysErrorMessage(code)));
    }
    return h;
  }
  HANDLE h = OpenFileByMode(name, mode);
  if (h == INVALID_HANDLE_VALUE) {
    DWORD code = GetLastError();
    throw EFOpenError(Fmt(L"Cannot open file \"%s\". %s", ExpandedName(fileName), SysErrorMessage(code)));
  }
  return h;
}

}  // namespace

std::int64_t TStream::Size() {
  std::int64_t position = Position();
  std::int64_t size = Seek(0, TSeekOrigin::soEnd);
  Seek(position, TSeekOrigin::soBeginning);
  return size;
}

void TStream::ReadBuffer(void* buffer, size_t count) {
  char* p = static_cast<char*>(buffer);
  while (count > 0) {
    size_t got = Read(p, count);
    if (got == 0) throw EReadError(L"Stream read error");
    p += got;
    count -= got;
  }
}

void TStream::WriteBuffer(const void* buffer, size_t count) {
  const char* p = static_cast<const char*>(buffer);
  while (count > 0) {
    size_t put = Write(p, count);
    if (put == 0) throw EWriteError(L"Stream write error");
    p += put;
    count -= put;
  }
}

size_t TMemoryStream::Read(void* buffer, size_t count) {
  std::int64_t size = Size();
  if (FPosition >= size) return 0;
  size_t n = static_cast<size_t>(std::min<std::int64_t>(count, size - FPosition));
  std::memcpy(buffer, FData.data() + FPosition, n);
  FPosition += n;
  return n;
}

size_t TMemoryStream::Write(const void* buffer, size_t count) {
  if (count == 0) return 0;
  size_t end = static_cast<size_t>(FPosition) + count;
  if (end > FData.size()) FData.resize(end);
  std::memcpy(FData.data() + FPosition, buffer, count);
  FPosition = static_cast<std::int64_t>(end);
  return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  std::int64_t base = origin == TSeekOrigin::soBeginning ? 0 : origin == TSeekOrigin::soCurrent ? FPosition : Size();
  if (base + offset < 0) throw EStreamError(L"Invalid stream position");
  FPosition = base + offset;
  return FPosition;
}

void TMemoryStream::SetSize(std::int64_t newSize) {
  FData.resize(static_cast<size_t>(newSize));
  FPosition = std::min(FPosition, newSize);
}

size_t THandleStream::Read(void* buffer, size_t count) {
  DWORD got = 0;
  if (!ReadFile(FHandle, buffer, static_cast<DWORD>(std::min<size_t>(count, kMaxIo)), &got, nullptr)) {
    DWORD code = GetLastError();
    if (code == ERROR_BROKEN_PIPE || code == ERROR_HANDLE_EOF) return 0;  // the writer is gone: end of data
    RaiseLastOSError(code);
  }
  return got;
}

size_t THandleStream::Write(const void* buffer, size_t count) {
  DWORD put = 0;
  if (!WriteFile(FHandle, buffer, static_cast<DWORD>(std::min<size_t>(count, kMaxIo)), &put, nullptr))
    RaiseLastOSError();
  return put;
}

std::int64_t THandleStream::Seek(std::int64_t offset, TSeekOrigin origin) {
  static const DWORD kMethod[] = {FILE_BEGIN, FILE_CURRENT, FILE_END};
  LARGE_INTEGER distance, result;
  distance.QuadPart = offset;
  if (!SetFilePointerEx(FHandle, distance, &result, kMethod[static_cast<int>(origin)])) RaiseLastOSError();
  return result.QuadPart;
}

std::int64_t THandleStream::Size() {
  LARGE_INTEGER size;
  if (GetFileSizeEx(FHandle, &size)) return size.QuadPart;
  return TStream::Size();
}

void THandleStream::SetSize(std::int64_t newSize) {
  Seek(newSize, TSeekOrigin::soBeginning);
  if (!SetEndOfFile(FHandle)) RaiseLastOSError();
}

TFileStream::TFileStream(const std::wstring& fileName, std::uint16_t mode, std::uint32_t rights)
    : THandleStream(OpenOrCreate(fileName, mode, false)), FOwned(FHandle), FFileName(fileName) {}

TFileStream::TFileStream(const std::wstring& fileName, std::uint16_t mode, std::uint32_t rights, LongPaths)
    : THandleStream(OpenOrCreate(fileName, mode, true)), FOwned(FHandle), FFileName(fileName) {}

}  // namespace hv
