// The stream a download is written to, which keeps the response's content type so its text can
// be read in the charset the server named.
#pragma once

#include <memory>
#include <string>

#include "HvEncoding.h"
#include "HvLXTempFileStream.h"

namespace hv {

class TFetchUrlStreamWithContentType : public TTempFileStream {
 public:
  std::wstring ContentType;  // the response's Content-Type header

 private:
  friend const TEncoding* EncodingFromContentType(TStream& stream);
  std::unique_ptr<TEncoding> FCreatedEncoding;
};

// For a TFetchUrlStreamWithContentType whose ContentType names a charset the system knows
// ("text/html; charset=utf-8"), that charset's encoding, owned by the stream; otherwise
// nullptr, and the reader decides by the byte order mark or the ANSI code page.
const TEncoding* EncodingFromContentType(TStream& stream);

// The code page of a charset name ("utf-8", "ISO-8859-1", "windows-1252"); 0 for a name the
// system does not know.
unsigned CodePageOfCharset(const std::wstring& charset);

}  // namespace hv
