#include "HvLXTextLoading.h"

#include <memory>

#include "HvLXFileStrings.h"
#include "HvLXStreamMoves.h"
#include "HvStringList.h"
#include "HvStringListOps.h"

namespace hv {

void LoadTextFromStream(TStream& stream, const TEncoding* encoding, std::wstring& text) {
  std::unique_ptr<TStrings> lines;
  if (stream.Size() <= kTextInMemoryLimit)
    lines = std::make_unique<THvStringList>();
  else
    lines = std::make_unique<THvFileStrings>();
  LoadFromStream_Safe(*lines, stream, encoding);
  text = lines->Text();
}

void LoadTextFromFile(const std::wstring& fileName, const TEncoding* encoding, std::wstring& text) {
  if (!encoding) encoding = TEncoding::ANSI();
  THvFileStream stream(fileName, fmOpenRead | fmShareDenyWrite);
  const std::int64_t count = stream.Size() - stream.Position();
  std::string bytes(static_cast<size_t>(count > 0 ? count : 0), '\0');
  ReadStreamBytes(stream, bytes, count);
  std::string_view data = bytes;
  if (const TEncoding* marked = TEncoding::DetectBOM(data)) {
    data.remove_prefix(marked->Preamble().size());
    encoding = marked;
  }
  text = encoding->GetString(data);
}

}  // namespace hv
