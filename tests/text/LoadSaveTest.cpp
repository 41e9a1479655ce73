// Loading and saving lists through files and streams, byte for byte.
#include <gtest/gtest.h>


#include "HvStringList.h"
#include "HvStringListOps.h"
#include "HvTestSupport.h"

using namespace hv;

namespace {

std::string FileBytes(const std::wstring& path) {
  THvFileStream file(path, fmOpenRead | fmShareDenyNone);
  std::string bytes(static_cast<size_t>(file.Size()), '\0');
  file.ReadBuffer(bytes.data(), bytes.size());
  return bytes;
}

using Lines = std::vector<std::wstring>;

}  // namespace

TEST(LoadSave, NeverLoadedListIsSavedAsUtf16WithMark) {
  hvtest::ScratchDir dir;
  THvStringList list{L"a", L"b"};
  list.SaveToFile(dir / L"out.txt");
  EXPECT_EQ(FileBytes(dir / L"out.txt"), std::string("\xFF\xFE" "a\0\r\0\n\0b\0\r\0\n\0", 14));
}

TEST(LoadSave, ListKeepsTheEncodingItWasLoadedWith) {
  hvtest::ScratchDir dir;
  const std::string utf8 = "\xEF\xBB\xBF" "caf\xC3\xA9\r\n\xE2\x82\xAC";
  ASSERT_TRUE(hvtest::WriteTextFile(dir / L"in.txt", utf8));
  THvStringList list;
  list.LoadFromFile(dir / L"in.txt");
  EXPECT_EQ(ToArray(list), (Lines{L"caf\u00E9", L"\u20AC"}));
  EXPECT_EQ(list.Encoding(), TEncoding::UTF8());
  list.SaveToFile(dir / L"out.txt");
  EXPECT_EQ(FileBytes(dir / L"out.txt"), utf8 + "\r\n");

  list.SetWriteBOM(false);
  TMemoryStream stream;
  list.SaveToStream(stream);
  EXPECT_EQ(stream.Bytes(), "caf\xC3\xA9\r\n\xE2\x82\xAC\r\n");
}

TEST(LoadSave, CodePageFormsConvertBothWays) {
  hvtest::ScratchDir dir;
  // Cyrillic in code page 1251, which is read as one block, NUL kept inside its line.
  const std::string cp1251("\xCF\xF0\xE8\r\n\xE2\0\xE5\xF2", 9);
  ASSERT_TRUE(hvtest::WriteTextFile(dir / L"ru.txt", cp1251));
  THvStringList list;
  LoadFromFile(list, dir / L"ru.txt", 1251);
  EXPECT_EQ(ToArray(list), (Lines{L"\u041F\u0440\u0438", std::wstring(L"\u0432\0\u0435\u0442", 4)}));
  ASSERT_NE(list.Encoding(), nullptr);
  EXPECT_EQ(list.Encoding()->CodePage(), 1251u);
  SaveToFile(list, dir / L"ru2.txt", 1251);
  EXPECT_EQ(FileBytes(dir / L"ru2.txt"), cp1251 + "\r\n");

  EXPECT_THROW(LoadFromFile(list, dir / L"ru.txt", 12345), EEncodingError);
}

TEST(LoadSave, LineByLineAndWholeLoadingAgree) {
  // A UTF-8 text with every kind of line end, loaded by both paths.
  const std::string text = "x\ry\nz\r\n\r\n" + std::string(5000, 'w') + "\xE2\x82\xAC\r\nend";
  const Lines expected = {L"x", L"y", L"z", L"", std::wstring(5000, L'w') + L"\u20AC", L"end"};
  THvStringList byLine, whole;
  TMemoryStream s1(text), s2(text);
  LoadFromStream_Safe(byLine, s1, TEncoding::UTF8());
  whole.LoadWholeStream(s2, TEncoding::UTF8());
  EXPECT_EQ(ToArray(byLine), expected);
  EXPECT_EQ(ToArray(whole), expected);
}

TEST(LoadSave, LoadingStartsAtTheStreamPosition) {
  TMemoryStream stream("skip\r\nkeep\r\n");
  stream.SetPosition(6);
  THvStringList list{L"old"};
  list.LoadFromStream(stream, TEncoding::UTF8());
  EXPECT_EQ(ToArray(list), (Lines{L"keep"}));
}

TEST(LoadSave, OtherLineBreakLoadsWhole) {
  THvStringList list;
  list.SetLineBreak(L";");
  TMemoryStream stream("a;b\r\nc;");
  list.LoadFromStream(stream, TEncoding::UTF8());
  EXPECT_EQ(ToArray(list), (Lines{L"a", L"b\r\nc"}));
  TMemoryStream out;
  SaveToStream_Safe(list, out, TEncoding::UTF8());
  EXPECT_EQ(out.Bytes(), "\xEF\xBB\xBF" "a;b\r\nc;");
}

TEST(LoadSave, SafeFileFormsOnATextWrittenElsewhere) {
  hvtest::ScratchDir dir;
  THvStringList list{L"\u3042", L"", L"tail"};
  SaveToFile_Safe(list, dir / L"be.txt", TEncoding::BigEndianUnicode());
  EXPECT_EQ(FileBytes(dir / L"be.txt").substr(0, 4), std::string("\xFE\xFF\x30\x42", 4));
  THvStringList back;
  LoadFromFile_Safe(back, dir / L"be.txt", nullptr);  // the mark tells the encoding
  EXPECT_TRUE(EqualsStringsAndObjects(list, back));
  EXPECT_EQ(back.Encoding(), TEncoding::BigEndianUnicode());
}

TEST(LoadSave, StatefulEncodingIsDecodedInOnePiece) {
  // UTF-7 writes runs of non-ASCII characters as one base64 sequence, here across several
  // blocks: read piece by piece it would fall apart.
  hvtest::ScratchDir dir;
  const Lines lines = {L"plain", std::wstring(3000, L'\u00E9') + L"+x", L"\u4E2D\u6587 end"};
  THvStringList list;
  list.AddStrings(lines);
  SaveToFile(list, dir / L"utf7.txt", 65000);
  ASSERT_GT(FileBytes(dir / L"utf7.txt").size(), 4096u);
  THvStringList back;
  LoadFromFile(back, dir / L"utf7.txt", 65000);
  EXPECT_EQ(ToArray(back), lines);
}
