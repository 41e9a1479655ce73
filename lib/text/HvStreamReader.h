// Buffered readers of encoded text from a stream: a block of bytes at a time, decoded into
// a character buffer from which lines and characters are taken. A block never ends inside
// a character, so multi-byte characters across block boundaries arrive intact.
#pragma once

#include <span>
#include <string>
#include <string_view>

#include "HvEncoding.h"
#include "HvStreams.h"

namespace hv {

class TTextReader {
 public:
  virtual ~TTextReader() = default;
  virtual void Close() = 0;
  // The next character, or -1 at the end of the text.
  virtual int Peek() = 0;
  virtual int Read() = 0;
  // Copies at most `count` characters to buffer[index...]; answers how many, or -1 at the end.
  virtual int Read(std::span<wchar_t> buffer, int index, int count) = 0;
  virtual int ReadBlock(std::span<wchar_t> buffer, int index, int count) = 0;
  // The next line without its line break (LF, CR LF or a lone CR).
  virtual std::wstring ReadLine() = 0;
  virtual std::wstring ReadToEnd() = 0;
};

class TStreamReader : public TTextReader {
 public:
  // UTF-8, byte order mark detection on, 4096 bytes per block. The stream is not owned
  // (see OwnStream); it must outlive the reader, and so must a given encoding.
  explicit TStreamReader(TStream* stream);
  TStreamReader(TStream* stream, bool detectBOM);
  TStreamReader(TStream* stream, const TEncoding* encoding, bool detectBOM = false, int bufferSize = 4096);
  // Open the file for reading with writing denied to others; the reader owns that stream.
  explicit TStreamReader(const std::wstring& fileName);
  TStreamReader(const std::wstring& fileName, bool detectBOM);
  TStreamReader(const std::wstring& fileName, const TEncoding* encoding, bool detectBOM = false,
                int bufferSize = 4096);
  ~TStreamReader() override;
  TStreamReader(const TStreamReader&) = delete;
  TStreamReader& operator=(const TStreamReader&) = delete;

  void Close() override;
  int Peek() override;
  int Read() override;
  int Read(std::span<wchar_t> buffer, int index, int count) override;
  int ReadBlock(std::span<wchar_t> buffer, int index, int count) override { return Read(buffer, index, count); }
  std::wstring ReadLine() override;
  std::wstring ReadToEnd() override;

  bool EndOfStream();
  // Forgets the decoded characters not yet read, for a caller that moved the stream.
  void DiscardBufferedData();
  void OwnStream() { FOwnsStream = true; }
  // Back to the start of the stream, skipping its byte order mark again.
  void Rewind();

  TStream* BaseStream() const { return FStream; }
  const TEncoding* CurrentEncoding() const { return FEncoding; }

 protected:
  struct Checked {};
  TStreamReader(TStream* stream, const TEncoding* encoding, bool detectBOM, int bufferSize, bool ownsStream, Checked);
  // Looks for a byte order mark at the start of the first block; switches the encoding to
  // the one it names and answers its length (0 when there is none).
  virtual size_t DetectEncoding(std::string_view bytes);

  const TEncoding* FEncoding;

 private:
  // Reads and decodes one block; sets FNoDataInStream when the stream had nothing more.
  void FillBuffer();
  // Fills until something is buffered or the stream is exhausted; false at the end.
  bool EnsureBuffered();
  size_t Buffered() const { return FBufferedData.size() - FPos; }

  int FBufferSize;
  bool FDetectBOM;
  bool FOwnsStream;
  bool FSkipPreamble;
  TStream* FStream;
  std::wstring FBufferedData;  // characters from FPos on are not yet read
  size_t FPos = 0;
  bool FNoDataInStream = false;
  bool FClosed = false;
  std::string FBytes;  // the block being decoded, kept to avoid an allocation per block
};

// The reader whose stream forms default to the system's ANSI encoding and take an absent
// encoding to mean that one.
class THvStreamReader : public TStreamReader {
 public:
  explicit THvStreamReader(TStream* stream);
  THvStreamReader(TStream* stream, bool detectBOM);
  THvStreamReader(TStream* stream, const TEncoding* encoding, bool detectBOM = false, int bufferSize = 4096);
  explicit THvStreamReader(const std::wstring& fileName) : TStreamReader(fileName) {}
  THvStreamReader(const std::wstring& fileName, bool detectBOM) : TStreamReader(fileName, detectBOM) {}
  THvStreamReader(const std::wstring& fileName, const TEncoding* encoding, bool detectBOM = false,
                  int bufferSize = 4096);
};

}  // namespace hv
