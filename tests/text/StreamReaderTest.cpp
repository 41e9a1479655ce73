// The buffered reader: line ends, characters across block boundaries, byte order marks,
// damaged text, and the character operations.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "HvWindows.h"

#include "HvStreamReader.h"

using namespace hv;

namespace {

std::vector<std::wstring> ReadLines(const std::string& bytes, const TEncoding* encoding, int bufferSize = 4096,
                                    bool detectBOM = true) {
  TMemoryStream stream(bytes);
  TStreamReader reader(&stream, encoding, detectBOM, bufferSize);
  std::vector<std::wstring> lines;
  while (!reader.EndOfStream()) lines.push_back(reader.ReadLine());
  return lines;
}

std::wstring ReadAll(const std::string& bytes, const TEncoding* encoding, int bufferSize) {
  TMemoryStream stream(bytes);
  TStreamReader reader(&stream, encoding, false, bufferSize);
  return reader.ReadToEnd();
}

using Lines = std::vector<std::wstring>;

}  // namespace

TEST(StreamReader, LineEnds) {
  struct Case {
    std::string bytes;
    Lines lines;
  } cases[] = {
      {"x\ry\nz\r\n", {L"x", L"y", L"z"}},
      {"\r\n\r\n", {L"", L""}},
      {"last", {L"last"}},
      {"a\n\nb\r\rc", {L"a", L"", L"b", L"", L"c"}},
      {"", {}},
      {std::string("a\0b\r\nc", 6), {std::wstring(L"a\0b", 3), L"c"}},
  };
  for (size_t k = 0; k < std::size(cases); ++k)
    EXPECT_EQ(ReadLines(cases[k].bytes, TEncoding::UTF8()), cases[k].lines) << "case " << k;
}

TEST(StreamReader, LoneCrAtABlockBoundaryIsOneLineEnd) {
  // 128 bytes per block: the CR is the last byte of the first block each time.
  std::string a127(127, 'a');
  EXPECT_EQ(ReadLines(a127 + "\r\nb", TEncoding::UTF8(), 128), (Lines{std::wstring(127, L'a'), L"b"}));
  EXPECT_EQ(ReadLines(a127 + "\rb", TEncoding::UTF8(), 128), (Lines{std::wstring(127, L'a'), L"b"}));
  EXPECT_EQ(ReadLines(a127 + "\r", TEncoding::UTF8(), 128), (Lines{std::wstring(127, L'a')}));
}

TEST(StreamReader, BlocksNeverSplitACharacter) {
  std::unique_ptr<TEncoding> shiftJis = TEncoding::GetEncoding(932);
  std::vector<const TEncoding*> encodings = {TEncoding::UTF8(), TEncoding::Unicode(), TEncoding::BigEndianUnicode(),
                                             shiftJis.get()};
  std::unique_ptr<TEncoding> gb18030;  // four-byte characters, where the system has the code page
  if (IsValidCodePage(54936)) encodings.push_back((gb18030 = TEncoding::GetEncoding(54936)).get());
  const std::wstring samples[] = {L"\u00E9", L"\u20AC", L"\U0001F600", L"\u3042"};
  for (const TEncoding* encoding : encodings) {
    const size_t unit = encoding->GetBytes(L"a").size();
    for (const std::wstring& sample : samples) {
      std::string bytes = encoding->GetBytes(sample);
      std::wstring expected = encoding->GetString(bytes);  // what the code page can hold
      if (encoding != shiftJis.get()) {
        EXPECT_EQ(expected, sample);
      }
      // The character starts at every byte offset around the end of the first block.
      for (size_t n = 120 / unit; n <= 130 / unit; ++n) {
        std::wstring prefix(n, L'a');
        std::string text = encoding->GetBytes(prefix) + bytes + encoding->GetBytes(L"z");
        EXPECT_EQ(ReadAll(text, encoding, 128), prefix + expected + L"z")
            << "code page " << encoding->CodePage() << ", " << n << " characters before";
      }
    }
  }
}

TEST(StreamReader, ThreeByteCharacterAcrossTheDefaultBlockIsIntact) {
  std::string text = std::string(4095, 'a') + "\xE2\x82\xAC" + "\r\nnext";
  EXPECT_EQ(ReadLines(text, TEncoding::UTF8()), (Lines{std::wstring(4095, L'a') + L"\u20AC", L"next"}));
}

TEST(StreamReader, DamagedTextReadsAsDecodingItWhole) {
  // Invalid and truncated sequences become replacement characters exactly as the whole text
  // would decode; nothing around them is lost or added, wherever the block ends.
  const std::string tails[] = {"\xE2\x82", "\xF0\x9F\x98", "\xC3", "\x80\x80", "\xFF\xFE\xFD", "\xED\xA0\x80"};
  for (const std::string& tail : tails) {
    for (size_t before = 124; before <= 129; ++before) {
      for (const std::string& after : {std::string(), std::string("ok"), std::string("\xE2\x82\xAC")}) {
        std::string text = std::string(before, 'a') + tail + after;
        std::wstring whole = TEncoding::UTF8()->GetString(text);
        EXPECT_EQ(ReadAll(text, TEncoding::UTF8(), 128), whole) << before << " + " << tail.size() << " + " << after.size();
        EXPECT_NE(whole.find(L'\uFFFD'), std::wstring::npos);
      }
    }
  }
  // A UTF-16 text with an odd last byte keeps its characters and marks the stray byte.
  EXPECT_EQ(ReadAll(std::string("a\0b\0c", 5), TEncoding::Unicode(), 128), L"ab\uFFFD");
}

TEST(StreamReader, ByteOrderMarks) {
  const std::string utf16le("\xFF\xFEh\0i\0", 6);
  const std::string utf16be("\xFE\xFF\0h\0i", 6);
  const std::string utf8bom("\xEF\xBB\xBFhi");
  struct Case {
    const char* what;
    std::string bytes;
    const TEncoding* given;
    bool detect;
    std::wstring text;
    const TEncoding* current;
  } cases[] = {
      {"mark wins over the given encoding", utf16le, TEncoding::UTF8(), true, L"hi", TEncoding::Unicode()},
      {"big-endian mark", utf16be, TEncoding::ANSI(), true, L"hi", TEncoding::BigEndianUnicode()},
      {"UTF-8 mark", utf8bom, TEncoding::Unicode(), true, L"hi", TEncoding::UTF8()},
      {"no detection: own preamble skipped", utf8bom, TEncoding::UTF8(), false, L"hi", TEncoding::UTF8()},
      {"no detection: foreign mark is text", utf16le, TEncoding::UTF8(), false,
       TEncoding::UTF8()->GetString(utf16le), TEncoding::UTF8()},
      {"mark only", "\xEF\xBB\xBF", TEncoding::ANSI(), true, L"", TEncoding::UTF8()},
  };
  for (const Case& c : cases) {
    TMemoryStream stream(c.bytes);
    TStreamReader reader(&stream, c.given, c.detect, 4096);
    EXPECT_EQ(reader.ReadToEnd(), c.text) << c.what;
    EXPECT_EQ(reader.CurrentEncoding(), c.current) << c.what;
  }
}

TEST(StreamReader, EmptyAndMarkOnlyStreamsHaveNoLines) {
  for (const std::string& bytes : {std::string(), std::string("\xEF\xBB\xBF"), std::string("\xFF\xFE")}) {
    TMemoryStream stream(bytes);
    TStreamReader reader(&stream);
    EXPECT_TRUE(reader.EndOfStream()) << bytes.size();
    EXPECT_EQ(reader.Peek(), -1);
    EXPECT_EQ(reader.Read(), -1);
    EXPECT_EQ(reader.ReadLine(), L"");
  }
}

TEST(StreamReader, CharacterOperationsAndRewind) {
  TMemoryStream stream("\xEF\xBB\xBF" "abc\r\ndef");
  TStreamReader reader(&stream, TEncoding::ANSI(), true, 128);
  EXPECT_EQ(reader.Peek(), L'a');
  EXPECT_EQ(reader.Read(), L'a');
  wchar_t buffer[8] = {};
  EXPECT_EQ(reader.Read(std::span(buffer), 1, 3), 3);
  EXPECT_EQ(std::wstring(buffer + 1, 3), L"bc\r");
  EXPECT_THROW(reader.ReadBlock(std::span(buffer), 6, 3), EArgumentOutOfRangeException);
  EXPECT_EQ(reader.ReadBlock(std::span(buffer), 0, 8), 4);
  EXPECT_EQ(std::wstring(buffer, 4), L"\ndef");
  EXPECT_EQ(reader.ReadBlock(std::span(buffer), 0, 8), -1);

  reader.Rewind();  // the mark is skipped again, and the detected encoding is kept
  EXPECT_EQ(reader.ReadLine(), L"abc");
  EXPECT_EQ(reader.ReadToEnd(), L"def");
  EXPECT_TRUE(reader.EndOfStream());

  reader.Close();
  EXPECT_EQ(reader.ReadLine(), L"");
  EXPECT_EQ(reader.Peek(), -1);
  EXPECT_TRUE(reader.EndOfStream());
}

TEST(StreamReader, ConstructorRules) {
  auto message = [](auto make) {
    try {
      make();
    } catch (const EArgumentNilException& e) {
      return e.Message();
    }
    return std::wstring(L"no error");
  };
  TMemoryStream stream("x");
  EXPECT_EQ(message([] { TStreamReader r(static_cast<TStream*>(nullptr)); }), L"Parameter Stream cannot be nil");
  EXPECT_EQ(message([&] { TStreamReader r(&stream, nullptr); }), L"Parameter Encoding cannot be nil");
  EXPECT_EQ(message([] { THvStreamReader r(static_cast<TStream*>(nullptr), nullptr); }), L"Parameter Stream cannot be nil");

  EXPECT_EQ(TStreamReader(&stream).CurrentEncoding(), TEncoding::UTF8());
  EXPECT_EQ(THvStreamReader(&stream).CurrentEncoding(), TEncoding::ANSI());
  EXPECT_EQ(THvStreamReader(&stream, nullptr).CurrentEncoding(), TEncoding::ANSI());

  // A buffer smaller than the minimum still reads: blocks are at least 128 bytes.
  TMemoryStream longLine(std::string(300, 'q'));
  TStreamReader tiny(&longLine, TEncoding::UTF8(), false, 1);
  EXPECT_EQ(tiny.ReadLine(), std::wstring(300, L'q'));
}
