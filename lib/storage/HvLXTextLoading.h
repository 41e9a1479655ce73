// Whole texts read into one string. A large stream is read line by line through a list whose
// lines wait in a temporary file, so the text is never in memory twice.
#pragma once

#include <cstdint>
#include <string>

#include "HvEncoding.h"
#include "HvStreams.h"

namespace hv {

// Streams up to this size go through a list in memory, larger ones through THvFileStrings.
inline constexpr std::int64_t kTextInMemoryLimit = 1048576;

// The lines of the stream (byte order mark first, else `encoding`, else ANSI), each followed
// by CR LF whatever line break the stream used.
void LoadTextFromStream(TStream& stream, const TEncoding* encoding, std::wstring& text);
// The whole file in one block, decoded by its byte order mark (UTF-8, UTF-16 LE, UTF-16 BE),
// else by `encoding`, else ANSI. Line breaks are kept as they are. Others may read the file
// meanwhile but not write it.
void LoadTextFromFile(const std::wstring& fileName, const TEncoding* encoding, std::wstring& text);

}  // namespace hv
