// The file-backed string list: any UTF-16 code unit survives, the data file holds the code
// units alone, objects are refused, and the ordinary list behaviour works through it.
#include <gtest/gtest.h>

#include <string>

#include "HvExceptions.h"
#include "HvHostLinks.h"
#include "HvLXFileStrings.h"
#include "HvLXRandom.h"
#include "HvLXTempFiles.h"
#include "HvStringList.h"
#include "HvStringListOps.h"
#include "HvTestSupport.h"
#include "HvWindows.h"

using namespace hv;

namespace {
// The size of the file on disk, read without opening it (the data file is private to its stream).
std::int64_t SizeOnDisk(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) return -1;
  return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}
}  // namespace

TEST(FileStrings, EveryUtf16CodeUnitSurvivesAnyChange) {
  std::wstring all(0x10000, L'\0');
  for (size_t i = 0; i < all.size(); ++i) all[i] = static_cast<wchar_t>(i);  // unpaired surrogates too
  const std::wstring lone = L"\xD800", high = L"x\xDFFFy";
  THvFileStrings list;
  list.Add(all);
  list.Insert(0, lone);
  list.Add(L"");
  list.Insert(2, high);
  list.Put(3, all.substr(0xD000));
  ASSERT_EQ(list.Count(), 4);
  EXPECT_EQ(list[0], lone);
  EXPECT_EQ(list[1], all);
  EXPECT_EQ(list[2], high);
  EXPECT_EQ(list[3], all.substr(0xD000));
  list.Delete(1);
  EXPECT_EQ(list[1], high);
  EXPECT_EQ(list.Storage().DataSize(), static_cast<std::int64_t>(2 * (lone.size() + high.size() + 0x3000)));
  // A change in the middle leaves everything in the data file: the code units alone, with
  // nothing between the strings.
  EXPECT_EQ(SizeOnDisk(list.Storage().FileName()), list.Storage().DataSize());
}

TEST(FileStrings, TheDataFileIsATemporaryFileThatGoesWithTheList) {
  std::wstring fileName;
  {
    THvFileStrings list;
    list.Add(L"one");
    list.Insert(0, L"zero");
    fileName = list.Storage().FileName();
    EXPECT_EQ(SizeOnDisk(fileName), 14);
    // Nobody else may open it while the list lives.
    const HANDLE other = CreateFileW(fileName.c_str(), GENERIC_READ,
                                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                                     nullptr);
    EXPECT_EQ(other, INVALID_HANDLE_VALUE);
    if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
  }
  EXPECT_FALSE(hvtest::PathExists(fileName)) << "the data file stayed";
}

TEST(FileStrings, EmptyStringsTakeNoBytes) {
  THvFileStrings list;
  list.AddStrings({L"", L"ab", L""});
  EXPECT_EQ(list.Storage().DataSize(), 4);
  EXPECT_EQ(list.Text(), L"\r\nab\r\n\r\n");
  list.Put(1, L"");
  EXPECT_EQ(list.Storage().DataSize(), 0);
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(FileStrings, ObjectsAreRefusedButTheStringOfAddObjectStays) {
  THvFileStrings list;
  int object = 0;
  EXPECT_NO_THROW(list.AddObject(L"plain", nullptr));
  try {
    list.AddObject(L"with", &object);
    ADD_FAILURE() << "nothing raised";
  } catch (const ENotSupportedException& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: Non-nil objects are not supported.");
  }
  EXPECT_EQ(list.Count(), 2);
  EXPECT_EQ(list[1], L"with");
  EXPECT_EQ(list.GetObject(1), nullptr);
}

TEST(FileStrings, BehavesAsAStringList) {
  THvFileStrings list;
  list.AddStrings({L"Name=Value", L"b", L"c"});
  EXPECT_EQ(list.IndexOf(L"B"), 1);
  EXPECT_EQ(list.Values(L"name"), L"Value");
  list.SetValue(L"Other", L"x");
  EXPECT_EQ(list[3], L"Other=x");
  AddStringsIfNew(list, {L"C", L"d", L"d"});
  EXPECT_EQ(ToArray(list), (std::vector<std::wstring>{L"Name=Value", L"b", L"c", L"Other=x", L"d"}));
  EXPECT_TRUE(Remove(list, L"b"));
  list.Move(0, 3);
  EXPECT_EQ(ToArray(list), (std::vector<std::wstring>{L"c", L"Other=x", L"d", L"Name=Value"}));
}

TEST(FileStrings, SavesAsUtf16UnlessLoadedWithAnotherEncodingAndLoadsBack) {
  hvtest::ScratchDir scratch;
  THvFileStrings list;
  list.AddStrings({L"a", L"\x00E9"});
  list.SaveToFile(scratch / L"u16.txt");
  THvStringList plain;
  plain.LoadFromFile(scratch / L"u16.txt");
  EXPECT_EQ(plain.Encoding(), TEncoding::Unicode());
  EXPECT_EQ(ToArray(plain), ToArray(list));

  ASSERT_TRUE(hvtest::WriteTextFile(scratch / L"u8.txt", "\xEF\xBB\xBFone\r\ntw\xC3\xB6\nthree"));
  THvFileStrings loaded;
  loaded.LoadFromFile(scratch / L"u8.txt");
  EXPECT_EQ(ToArray(loaded), (std::vector<std::wstring>{L"one", L"tw\x00F6", L"three"}));
  EXPECT_EQ(loaded.Encoding(), TEncoding::UTF8());
  loaded.SaveToFile(scratch / L"again.txt");
  THvFileStream again(scratch / L"again.txt", fmOpenRead);
  std::string bytes(3, '\0');
  again.ReadBuffer(bytes.data(), 3);
  EXPECT_EQ(bytes, "\xEF\xBB\xBF") << "saved in the encoding it was loaded with";
}

// A data file that cannot be made is the system's error, naming the place, and what stands at
// that name (another's) stays; a stored entry of an odd number of bytes is no string.
TEST(FileStrings, NoDataFileIsTheSystemsErrorAndAnOddEntryIsNoString) {
  {
    ScopedProcessTempState fresh;
    ScopedRandomSource same([] { return 0x5EEDu; });  // every name tried is the same
    const std::wstring taken = GetUniqueTempFileName(L".tmp");
    // A link to nothing: the name looks free, yet no file can be made there.
    filestest::RunHostScript("ln -s /nonexistent/hv-target " + filestest::ShellQuote(filestest::HostPath(taken)));
    try {
      THvFileStrings list;
      ADD_FAILURE() << "made a data file";
    } catch (const EOSError& e) {
      EXPECT_NE(e.ErrorCode(), 0);
      EXPECT_NE(e.Message().find(taken), std::wstring::npos) << std::string(e.Message().begin(), e.Message().end());
    }
    EXPECT_TRUE(filestest::HostIsLink(taken)) << "left as it was";
    // Wine cannot delete a link to nothing (it finds no file there); the host can.
    filestest::RunHostScript("rm -f " + filestest::ShellQuote(filestest::HostPath(taken)));
    EXPECT_FALSE(filestest::HostIsLink(taken)) << "the planted link stayed behind";
  }

  THvFileStrings list;
  list.Add(L"ab");
  const_cast<THvIndexedTempFileStream&>(list.Storage()).Add("xyz", 3);
  EXPECT_EQ(list.Get(0), L"ab");
  try {
    list.Get(1);
    ADD_FAILURE() << "read an odd entry";
  } catch (const Exception& e) {
    EXPECT_EQ(e.Message(), L"Internal Error: String length in bytes (3) was odd.");
  }
}
