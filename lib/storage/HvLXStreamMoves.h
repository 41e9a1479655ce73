// Exact reads and writes of byte arrays, and the moves that open or close a gap in the middle
// of a stream by shifting its tail in chunks of kStreamMoveChunk bytes, so the memory a move
// needs stays at one chunk whatever the size of the stream.
#pragma once

#include <cstdint>
#include <string>

#include "HvStreams.h"

namespace hv {

inline constexpr std::int64_t kStreamMoveChunk = 1048576;

// Reads exactly `count` bytes into the start of `buffer` (EReadError on a short read).
// Raises "Internal Error: Insufficient buffer." when `buffer` is shorter; nothing for count <= 0.
void ReadStreamBytes(TStream& stream, std::string& buffer, std::int64_t count);
// Writes the first `count` bytes of `buffer`; the same check; nothing for count <= 0.
void WriteStreamBytes(TStream& stream, const std::string& buffer, std::int64_t count);

// Writes `count` bytes at `size`, the end of the stream. When that fails (a full disk), the
// stream is cut back to `size` before the error goes on, so it holds what it held before.
void AppendOrCutBack(TStream& stream, std::int64_t size, const void* data, std::int64_t count);

// Moves everything from `position` to the end up by `dataLen`; the stream grows by dataLen
// and the bytes of the gap are left for the caller to overwrite. The growth is written before
// anything moves, so a full disk leaves the stream as it was.
void StreamInsertGap(TStream& stream, std::int64_t position, std::int64_t dataLen);
// Removes `dataLen` bytes at `position` by moving the rest down, then shortens the stream.
void StreamRemoveRange(TStream& stream, std::int64_t position, std::int64_t dataLen);

}  // namespace hv
