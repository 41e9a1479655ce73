#include "HvLXStreamMoves.h"

#include <algorithm>

#include "HvLXChecks.h"
#include "HvScopeExit.h"

namespace hv {
namespace {

void CheckBufferHolds(const std::string& buffer, std::int64_t count) {
  CheckTrue(static_cast<std::int64_t>(buffer.size()) >= count, L"Internal Error: Insufficient buffer.");
}

void CheckMoveArguments(std::int64_t position, std::int64_t dataLen, std::int64_t size) {
  CheckTrueFmt(position >= 0, L"Internal Error: Position (%d) was not positive.", position);
  CheckTrueFmt(position <= size, L"Internal Error: Position (%d) was greater than size (%d).", position, size);
  CheckTrueFmt(dataLen >= 0, L"Internal Error: DataLen (%d) was negative.", dataLen);
}

void MoveBytes(TStream& stream, std::int64_t from, std::int64_t to, std::int64_t count, std::string& chunk) {
  chunk.resize(static_cast<size_t>(count));
  stream.SetPosition(from);
  ReadStreamBytes(stream, chunk, count);
  stream.SetPosition(to);
  WriteStreamBytes(stream, chunk, count);
}

}  // namespace

void ReadStreamBytes(TStream& stream, std::string& buffer, std::int64_t count) {
  if (count <= 0) return;
  CheckBufferHolds(buffer, count);
  stream.ReadBuffer(buffer.data(), static_cast<size_t>(count));
}

void WriteStreamBytes(TStream& stream, const std::string& buffer, std::int64_t count) {
  if (count <= 0) return;
  CheckBufferHolds(buffer, count);
  stream.WriteBuffer(buffer.data(), static_cast<size_t>(count));
}

void AppendOrCutBack(TStream& stream, std::int64_t size, const void* data, std::int64_t count) {
  if (count <= 0) return;
  ScopeExit cutBack([&] {
    try {
      stream.SetSize(size);
    } catch (...) {
      // The write's error is the one to report.
    }
  });
  stream.SetPosition(size);
  stream.WriteBuffer(data, static_cast<size_t>(count));
  cutBack.Dismiss();
}

void StreamInsertGap(TStream& stream, std::int64_t position, std::int64_t dataLen) {
  const std::int64_t size = stream.Size();
  CheckMoveArguments(position, dataLen, size);
  if (dataLen == 0) return;
  // Real bytes, not a size set past the end: a hole in a sparse file could still find the
  // disk full half-way through the move below.
  const std::string zeros(static_cast<size_t>(std::min(dataLen, kStreamMoveChunk)), '\0');
  {
    // A chunk that does not fit takes back the chunks before it too: the stream is as it was.
    ScopeExit cutBack([&] {
      try {
        stream.SetSize(size);
      } catch (...) {
        // The write's error is the one to report.
      }
    });
    for (std::int64_t grown = 0; grown < dataLen;) {
      const std::int64_t n = std::min<std::int64_t>(dataLen - grown, zeros.size());
      AppendOrCutBack(stream, size + grown, zeros.data(), n);
      grown += n;
    }
    cutBack.Dismiss();
  }
  // From the end backwards, so no range is overwritten before it has moved.
  std::string chunk;
  std::int64_t remaining = size - position;
  std::int64_t source = size - kStreamMoveChunk;
  while (remaining > kStreamMoveChunk) {
    MoveBytes(stream, source, source + dataLen, kStreamMoveChunk, chunk);
    source -= kStreamMoveChunk;
    remaining -= kStreamMoveChunk;
  }
  if (remaining > 0) MoveBytes(stream, position, position + dataLen, remaining, chunk);
}

void StreamRemoveRange(TStream& stream, std::int64_t position, std::int64_t dataLen) {
  const std::int64_t size = stream.Size();
  CheckMoveArguments(position, dataLen, size);
  // Without it the stream would be cut short by bytes before `position` that nobody asked to remove.
  CheckTrueFmt(dataLen <= size - position, L"Internal Error: DataLen (%d) reaches past the size (%d) from position (%d).",
               dataLen, size, position);
  if (dataLen == 0) return;
  // From the start forwards, so no range is overwritten before it has moved.
  std::string chunk;
  std::int64_t remaining = size - (position + dataLen);
  std::int64_t source = position + dataLen;
  while (remaining > kStreamMoveChunk) {
    MoveBytes(stream, source, source - dataLen, kStreamMoveChunk, chunk);
    source += kStreamMoveChunk;
    remaining -= kStreamMoveChunk;
  }
  if (remaining > 0) MoveBytes(stream, size - remaining, size - remaining - dataLen, remaining, chunk);
  stream.SetSize(size - dataLen);
}

}  // namespace hv
