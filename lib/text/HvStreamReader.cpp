#include "HvStreamReader.h"

#include <algorithm>
#include <memory>

namespace hv {
namespace {

constexpr int kDefaultBufferSize = 4096;
constexpr int kMinBufferSize = 128;

template <class T>
T* NotNil(T* p, const wchar_t* name) {
  if (!p) throw EArgumentNilException(Fmt(L"Parameter %s cannot be nil", name));
  return p;
}

std::unique_ptr<TStream> OpenForReading(const std::wstring& fileName) {
  return std::make_unique<THvFileStream>(fileName, fmOpenRead | fmShareDenyWrite);
}

}  // namespace

TStreamReader::TStreamReader(TStream* stream, const TEncoding* encoding, bool detectBOM, int bufferSize,
                             bool ownsStream, Checked)
    : FEncoding(encoding),
      FBufferSize(std::max(bufferSize, kMinBufferSize)),
      FDetectBOM(detectBOM),
      FOwnsStream(ownsStream),
      FSkipPreamble(!detectBOM),
      FStream(stream) {}

TStreamReader::TStreamReader(TStream* stream) : TStreamReader(stream, TEncoding::UTF8(), true) {}

TStreamReader::TStreamReader(TStream* stream, bool detectBOM) : TStreamReader(stream, TEncoding::UTF8(), detectBOM) {}

TStreamReader::TStreamReader(TStream* stream, const TEncoding* encoding, bool detectBOM, int bufferSize)
    : TStreamReader(NotNil(stream, L"Stream"), NotNil(encoding, L"Encoding"), detectBOM, bufferSize, false, Checked{}) {}

TStreamReader::TStreamReader(const std::wstring& fileName) : TStreamReader(fileName, TEncoding::UTF8(), true) {}

TStreamReader::TStreamReader(const std::wstring& fileName, bool detectBOM)
    : TStreamReader(fileName, TEncoding::UTF8(), detectBOM) {}

// The encoding is checked before the file is opened, so a refused call leaves no stream behind.
TStreamReader::TStreamReader(const std::wstring& fileName, const TEncoding* encoding, bool detectBOM, int bufferSize)
    : TStreamReader(nullptr, NotNil(encoding, L"Encoding"), detectBOM, bufferSize, true, Checked{}) {
  FStream = OpenForReading(fileName).release();
}

TStreamReader::~TStreamReader() { Close(); }

void TStreamReader::Close() {
  if (FOwnsStream) delete FStream;
  FStream = nullptr;
  FOwnsStream = false;
  std::wstring().swap(FBufferedData);
  std::string().swap(FBytes);
  FPos = 0;
  FClosed = true;
}

size_t TStreamReader::DetectEncoding(std::string_view bytes) {
  const TEncoding* found = TEncoding::DetectBOM(bytes);
  if (!found) return 0;
  FEncoding = found;
  return found->Preamble().size();
}

void TStreamReader::FillBuffer() {
  // Drop what was read already, so the buffer holds one block and the rest of the last.
  FBufferedData.erase(0, FPos);
  FPos = 0;

  const size_t maxChar = static_cast<size_t>(std::max(FEncoding->MaxBytesPerChar(), 4));
  const size_t blockSize = static_cast<size_t>(FBufferSize);
  if (FBytes.size() < blockSize + maxChar) FBytes.resize(blockSize + maxChar);
  size_t got = FStream->Read(FBytes.data(), blockSize);
  FNoDataInStream = got == 0;
  if (got == 0) return;

  size_t skip = 0;
  if (FDetectBOM) {
    skip = DetectEncoding(std::string_view(FBytes.data(), got));
    FDetectBOM = false;
    FSkipPreamble = false;
  } else if (FSkipPreamble) {
    if (std::string_view(FBytes.data(), got).starts_with(FEncoding->Preamble())) skip = FEncoding->Preamble().size();
    FSkipPreamble = false;
  }

  size_t keep = got;
  if (!FEncoding->HasCharBoundaries()) {
    // Characters of a stateful encoding depend on what came before: decode all in one piece.
    for (;;) {
      if (FBytes.size() < got + blockSize) FBytes.resize(got + blockSize);
      size_t n = FStream->Read(FBytes.data() + got, blockSize);
      if (n == 0) break;
      got += n;
    }
    keep = got;
    FNoDataInStream = true;
  } else {
    auto complete = [&] { return skip + FEncoding->CompleteLength(std::string_view(FBytes.data() + skip, got - skip)); };
    keep = complete();
    // The block ends inside a character: read the few bytes that may complete it.
    const size_t straddling = keep;
    size_t extra = 0;
    bool ended = false;
    while (keep == straddling && keep < got && extra < maxChar) {
      if (FBytes.size() < got + maxChar) FBytes.resize(got + maxChar);
      size_t n = FStream->Read(FBytes.data() + got, maxChar - extra);
      if (n == 0) {
        ended = true;
        break;
      }
      got += n;
      extra += n;
      keep = complete();
    }
    if (ended) FNoDataInStream = true;
    // At the end of the data, or when no valid character can be completed, the bytes decode
    // as they are (to the replacement character) rather than being dropped.
    if (ended || keep == straddling) keep = got;
    if (keep < got) FStream->Seek(-static_cast<std::int64_t>(got - keep), TSeekOrigin::soCurrent);
  }
  FEncoding->Decode(std::string_view(FBytes.data() + skip, keep - skip), FBufferedData);
}

bool TStreamReader::EnsureBuffered() {
  if (FClosed) return false;
  // A block may decode to nothing (a file that is only a byte order mark), so keep filling.
  while (Buffered() == 0 && !FNoDataInStream) FillBuffer();
  return Buffered() > 0;
}

bool TStreamReader::EndOfStream() { return !EnsureBuffered(); }

void TStreamReader::DiscardBufferedData() {
  if (FClosed) return;
  FBufferedData.clear();
  FPos = 0;
  FNoDataInStream = false;
}

void TStreamReader::Rewind() {
  if (FClosed) return;
  DiscardBufferedData();
  FSkipPreamble = !FDetectBOM;
  FStream->SetPosition(0);
}

int TStreamReader::Peek() { return EnsureBuffered() ? FBufferedData[FPos] : -1; }

int TStreamReader::Read() { return EnsureBuffered() ? FBufferedData[FPos++] : -1; }

int TStreamReader::Read(std::span<wchar_t> buffer, int index, int count) {
  if (index < 0 || count < 0 || static_cast<size_t>(index) + count > buffer.size())
    throw EArgumentOutOfRangeException(L"Argument out of range");
  if (!EnsureBuffered()) return -1;
  while (Buffered() < static_cast<size_t>(count) && !FNoDataInStream) FillBuffer();
  size_t n = std::min(Buffered(), static_cast<size_t>(count));
  std::copy_n(FBufferedData.data() + FPos, n, buffer.data() + index);
  FPos += n;
  return static_cast<int>(n);
}

std::wstring TStreamReader::ReadLine() {
  if (FClosed) return {};
  size_t scanned = 0;  // characters after FPos known to hold no line break
  for (;;) {
    size_t at = FBufferedData.find_first_of(L"\r\n", FPos + scanned);
    if (at == std::wstring::npos || (FBufferedData[at] == L'\r' && at + 1 == FBufferedData.size())) {
      // No line break yet, or a CR whose LF may be in the next block.
      if (!FNoDataInStream) {
        scanned = (at == std::wstring::npos ? FBufferedData.size() : at) - FPos;
        FillBuffer();
        continue;
      }
      if (at == std::wstring::npos) at = FBufferedData.size();
    }
    std::wstring line = FBufferedData.substr(FPos, at - FPos);
    size_t next = at;
    if (next < FBufferedData.size()) {
      bool crlf = FBufferedData[next] == L'\r' && next + 1 < FBufferedData.size() && FBufferedData[next + 1] == L'\n';
      next += crlf ? 2 : 1;
    }
    FPos = next;
    return line;
  }
}

std::wstring TStreamReader::ReadToEnd() {
  if (FClosed) return {};
  while (!FNoDataInStream) FillBuffer();
  std::wstring rest = FBufferedData.substr(FPos);
  FBufferedData.clear();
  FPos = 0;
  return rest;
}

// ---------------------------------------------------------------- THvStreamReader

THvStreamReader::THvStreamReader(TStream* stream) : THvStreamReader(stream, TEncoding::ANSI(), true) {}

THvStreamReader::THvStreamReader(TStream* stream, bool detectBOM)
    : THvStreamReader(stream, TEncoding::ANSI(), detectBOM) {}

THvStreamReader::THvStreamReader(TStream* stream, const TEncoding* encoding, bool detectBOM, int bufferSize)
    : TStreamReader(stream, encoding ? encoding : TEncoding::ANSI(), detectBOM, bufferSize) {}

THvStreamReader::THvStreamReader(const std::wstring& fileName, const TEncoding* encoding, bool detectBOM, int bufferSize)
    : TStreamReader(fileName, encoding ? encoding : TEncoding::ANSI(), detectBOM, bufferSize) {}

}  // namespace hv
