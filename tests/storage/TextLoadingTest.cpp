// Whole texts from streams (through memory or a file by size) and from files (by mark).
#include <gtest/gtest.h>

#include <string>

#include "HvLXTempFileStream.h"
#include "HvLXTextLoading.h"
#include "HvTestSupport.h"

using namespace hv;

namespace {
// ASCII lines with LF breaks, cut to exactly `size` bytes.
std::string Lines(size_t size) {
  std::string s;
  for (int i = 0; s.size() < size; ++i) s += "line " + std::to_string(i) + (i % 3 ? "\n" : "\r\n");
  s.resize(size);
  return s;
}

std::wstring WithCrLf(const std::string& ascii) {
  std::wstring text;
  for (size_t i = 0; i < ascii.size(); ++i) {
    if (ascii[i] == '\r') continue;
    if (ascii[i] == '\n')
      text += L"\r\n";
    else
      text += static_cast<wchar_t>(ascii[i]);
  }
  if (!ascii.empty() && ascii.back() != '\n') text += L"\r\n";
  return text;
}
}  // namespace

TEST(TextLoading, StreamsAtAndPastTheMemoryLimitGiveTheSameText) {
  for (std::int64_t size : {kTextInMemoryLimit, kTextInMemoryLimit + 1}) {
    const std::string bytes = Lines(static_cast<size_t>(size));
    TMemoryStream stream(bytes);
    std::wstring text;
    LoadTextFromStream(stream, nullptr, text);
    EXPECT_EQ(text, WithCrLf(bytes)) << size;
  }
  // Only a stream past the limit goes through a temporary file: on a disk that takes no byte,
  // the one at the limit still loads.
  ScopedTempFileWriteCall fullDisk([](HANDLE, const void*, DWORD, DWORD* written) {
    *written = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
  });
  for (std::int64_t size : {kTextInMemoryLimit, kTextInMemoryLimit + 1}) {
    TMemoryStream stream(Lines(static_cast<size_t>(size)));
    std::wstring text;
    if (size <= kTextInMemoryLimit)
      EXPECT_NO_THROW(LoadTextFromStream(stream, nullptr, text)) << size;
    else
      EXPECT_THROW(LoadTextFromStream(stream, nullptr, text), EOSError) << size;
  }
  TMemoryStream empty;
  std::wstring text = L"old";
  LoadTextFromStream(empty, nullptr, text);
  EXPECT_EQ(text, L"");
}

TEST(TextLoading, FilesAreDecodedByTheirMarkWhateverTheEncodingSays) {
  hvtest::ScratchDir scratch;
  struct Case {
    std::string bytes;
    const TEncoding* encoding;
    std::wstring text;
  };
  const Case cases[] = {
      {std::string("\xFE\xFF\0a\0\r\0\n\x00\xE9", 10), TEncoding::UTF8(), L"a\r\n\x00E9"},
      {std::string("\xFF\xFE" "b\0\n\0", 6), TEncoding::BigEndianUnicode(), L"b\n"},
      {"\xEF\xBB\xBF\xC3\xA9", TEncoding::Unicode(), L"\x00E9"},
      {"\xC3\xA9", TEncoding::UTF8(), L"\x00E9"},
      {"plain\rtext", nullptr, L"plain\rtext"},
      {"", TEncoding::UTF8(), L""},
  };
  for (size_t row = 0; row < std::size(cases); ++row) {
    const std::wstring path = scratch / (L"case" + std::to_wstring(row) + L".txt");
    ASSERT_TRUE(hvtest::WriteTextFile(path, cases[row].bytes));
    std::wstring text = L"old";
    LoadTextFromFile(path, cases[row].encoding, text);
    EXPECT_EQ(text, cases[row].text) << "row " << row;
  }
  std::wstring text;
  EXPECT_THROW(LoadTextFromFile(scratch / L"missing.txt", nullptr, text), EFOpenError);
}
