#include "HvLXIndexedTempFile.h"

#include <algorithm>
#include <cstring>

#include "HvLXChecks.h"
#include "HvLXStreamMoves.h"
#include "HvScopeExit.h"

namespace hv {
namespace {
constexpr int kInitialPositionsCapacity = 131072;
constexpr std::int64_t kPendingLimit = kStreamMoveChunk;
constexpr std::int64_t kCacheSize = kStreamMoveChunk;
}  // namespace

THvIndexedTempFileStream::THvIndexedTempFileStream()
    : FS(std::make_unique<TTempFileStream>()), FPositions(kInitialPositionsCapacity) {}

THvIndexedTempFileStream::~THvIndexedTempFileStream() = default;

void THvIndexedTempFileStream::CheckLength(std::int64_t bufferLen) {
  CheckTrueFmt(bufferLen >= 0, L"Internal Error: BufferLen (%d) was negative.", bufferLen);
}

void THvIndexedTempFileStream::CheckIndex(int index) const {
  CheckTrueFmt(index >= 0, L"Internal Error: Index (%d) is less than zero.", index);
  CheckTrueFmt(index < GetCount(), L"Internal Error: Index (%d) is not less than count (%d).", index, GetCount());
}

std::int64_t THvIndexedTempFileStream::GetBufferPosition(int index) const {
  CheckIndex(index);
  return FPositions[index];
}

std::int64_t THvIndexedTempFileStream::GetBufferLen(int index) const {
  CheckIndex(index);
  const std::int64_t end = index + 1 < GetCount() ? FPositions[index + 1] : DataSize();
  return end - FPositions[index];
}

void THvIndexedTempFileStream::Get(int index, void* buffer, std::int64_t bufferSize) const {
  const std::int64_t len = GetBufferLen(index);
  if (len == 0) return;
  CheckTrue(bufferSize >= len, L"Internal Error: Insufficient buffer.");
  const std::int64_t p = FPositions[index];
  // A buffer lies wholly in the file or wholly in the pending bytes: Flush writes them all.
  if (p >= FFileSize) {
    std::memcpy(buffer, FPending.data() + (p - FFileSize), static_cast<size_t>(len));
    return;
  }
  const bool cached = p >= FCacheStart && p + len <= FCacheStart + static_cast<std::int64_t>(FCache.size());
  if (!cached && len <= kCacheSize) {
    FCache.resize(static_cast<size_t>(std::min(kCacheSize, FFileSize - p)));
    FCacheStart = p;
    ScopeExit dropOnFailure([&] { FCache.clear(); });
    FS->SetPosition(p);
    ReadStreamBytes(*FS, FCache, static_cast<std::int64_t>(FCache.size()));
    dropOnFailure.Dismiss();
  } else if (!cached) {
    FS->SetPosition(p);
    FS->ReadBuffer(buffer, static_cast<size_t>(len));
    return;
  }
  std::memcpy(buffer, FCache.data() + (p - FCacheStart), static_cast<size_t>(len));
}

void THvIndexedTempFileStream::Flush() {
  if (FPending.empty()) return;
  AppendOrCutBack(*FS, FFileSize, FPending.data(), static_cast<std::int64_t>(FPending.size()));
  FFileSize += static_cast<std::int64_t>(FPending.size());
  FPending.clear();
}

void THvIndexedTempFileStream::PrepareFileChange() {
  Flush();
  FCache.clear();
}

auto THvIndexedTempFileStream::ResyncFileSizeAtEnd() {
  return ScopeExit([this] {
    try {
      FFileSize = FS->Size();
    } catch (...) {
      // Keeps the last known size; the error that ended the change is the one to report.
    }
  });
}

void THvIndexedTempFileStream::WriteAt(std::int64_t position, const void* buffer, std::int64_t count) {
  if (count <= 0) return;
  FS->SetPosition(position);
  FS->WriteBuffer(buffer, static_cast<size_t>(count));
}

void THvIndexedTempFileStream::ShiftPositionsFrom(int index, std::int64_t by) {
  if (by == 0) return;
  for (int i = index, n = GetCount(); i < n; ++i) FPositions.SetItems(i, FPositions[i] + by);
}

int THvIndexedTempFileStream::Add(const void* buffer, std::int64_t bufferLen) {
  CheckLength(bufferLen);
  const std::int64_t position = DataSize();
  if (bufferLen > 0) {
    if (static_cast<std::int64_t>(FPending.size()) + bufferLen > kPendingLimit) Flush();
    if (bufferLen > kPendingLimit) {
      AppendOrCutBack(*FS, FFileSize, buffer, bufferLen);
      FFileSize += bufferLen;
    } else {
      FPending.append(static_cast<const char*>(buffer), static_cast<size_t>(bufferLen));
    }
  }
  return FPositions.Add(position);
}

void THvIndexedTempFileStream::Insert(int index, const void* buffer, std::int64_t bufferLen) {
  CheckLength(bufferLen);
  if (index == GetCount()) {
    Add(buffer, bufferLen);
    return;
  }
  CheckIndex(index);
  PrepareFileChange();
  const std::int64_t p = FPositions[index];
  {
    auto resync = ResyncFileSizeAtEnd();
    StreamInsertGap(*FS, p, bufferLen);
    WriteAt(p, buffer, bufferLen);
  }
  FPositions.Insert(index, p);
  ShiftPositionsFrom(index + 1, bufferLen);
}

void THvIndexedTempFileStream::Put(int index, const void* buffer, std::int64_t bufferLen) {
  CheckIndex(index);
  CheckLength(bufferLen);
  PrepareFileChange();
  const std::int64_t p = FPositions[index];
  const std::int64_t diff = bufferLen - GetBufferLen(index);
  {
    auto resync = ResyncFileSizeAtEnd();
    if (diff > 0)
      StreamInsertGap(*FS, p, diff);
    else
      StreamRemoveRange(*FS, p, -diff);
    WriteAt(p, buffer, bufferLen);
  }
  ShiftPositionsFrom(index + 1, diff);
}

void THvIndexedTempFileStream::Delete(int index) {
  CheckIndex(index);
  PrepareFileChange();
  const std::int64_t p = FPositions[index];
  const std::int64_t len = GetBufferLen(index);
  {
    auto resync = ResyncFileSizeAtEnd();
    StreamRemoveRange(*FS, p, len);
  }
  FPositions.Delete(index);
  ShiftPositionsFrom(index, -len);
}

void THvIndexedTempFileStream::Clear() {
  FS->SetSize(0);
  FFileSize = 0;
  FPending.clear();
  FCache.clear();
  FPositions.Clear();
}

}  // namespace hv
