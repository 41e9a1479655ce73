// File streams on real files: error texts, sharing, long names, positions past 4 GiB.
#include <gtest/gtest.h>

#include "HvStreamReader.h"
#include "HvStreams.h"
#include "HvTestSupport.h"

using namespace hv;

namespace {

// Another holder of the file, as a second program writing to it would be.
struct HeldForWriting {
  explicit HeldForWriting(const std::wstring& path)
      : handle(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                           FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~HeldForWriting() { CloseHandle(handle); }
  HANDLE handle;
};

template <class E, class F>
std::wstring ErrorOf(F f) {
  try {
    f();
  } catch (const E& e) {
    return e.Message();
  }
  return L"no error";
}

}  // namespace

TEST(FileStream, FailuresNameTheFullPathAndTheSystemsReason) {
  hvtest::ScratchDir dir;
  const std::wstring missingFolder = dir / L"no\\such.txt";
  EXPECT_EQ(ErrorOf<EFCreateError>([&] { THvFileStream s(missingFolder, fmCreate); }),
            Fmt(L"Cannot create file \"%s\". %s", missingFolder, SysErrorMessage(ERROR_PATH_NOT_FOUND)));
  const std::wstring missingFile = dir / L"none.txt";
  EXPECT_EQ(ErrorOf<EFOpenError>([&] { THvFileStream s(missingFile, fmOpenRead); }),
            Fmt(L"Cannot open file \"%s\". %s", missingFile, SysErrorMessage(ERROR_FILE_NOT_FOUND)));

  // A relative name is reported in full.
  wchar_t saved[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, saved);
  SetCurrentDirectoryW(dir.Path().c_str());
  std::wstring relative = ErrorOf<EFOpenError>([] { TFileStream s(L"rel.txt", fmOpenRead); });
  SetCurrentDirectoryW(saved);
  EXPECT_EQ(relative, Fmt(L"Cannot open file \"%s\". %s", dir / L"rel.txt", SysErrorMessage(ERROR_FILE_NOT_FOUND)));

  // Sharing bits that name no sharing mode fail with a cause, not a stale error.
  ASSERT_TRUE(hvtest::WriteTextFile(dir / L"f.txt", "x"));
  EXPECT_EQ(ErrorOf<EFOpenError>([&] { THvFileStream s(dir / L"f.txt", 0x0050); }),
            Fmt(L"Cannot open file \"%s\". %s", dir / L"f.txt", SysErrorMessage(ERROR_INVALID_PARAMETER)));
}

TEST(FileStream, ReadingDeniesWritersAndFailsWhileOneHoldsTheFile) {
  hvtest::ScratchDir dir;
  const std::wstring path = dir / L"busy.txt";
  ASSERT_TRUE(hvtest::WriteTextFile(path, "line\r\n"));
  {
    HeldForWriting writer(path);
    ASSERT_NE(writer.handle, INVALID_HANDLE_VALUE);
    EXPECT_EQ(ErrorOf<EFOpenError>([&] { TStreamReader r(path); }),
              Fmt(L"Cannot open file \"%s\". %s", path, SysErrorMessage(ERROR_SHARING_VIOLATION)));
  }
  TStreamReader reader(path);
  HeldForWriting late(path);
  EXPECT_EQ(late.handle, INVALID_HANDLE_VALUE);  // the reader denies writing while it reads
  EXPECT_EQ(reader.ReadLine(), L"line");
}

TEST(FileStream, CreateModesAndSharing) {
  hvtest::ScratchDir dir;
  const std::wstring path = dir / L"new.txt";
  {
    THvFileStream created(path, fmCreate);  // no sharing: nobody else may open it meanwhile
    created.WriteBuffer(std::string_view("abc"));
    EXPECT_THROW(THvFileStream(path, fmOpenRead | fmShareDenyNone), EFOpenError);
  }
  {
    THvFileStream shared(path, fmCreate | fmShareDenyWrite);  // replaces the file
    EXPECT_EQ(shared.Size(), 0);
    THvFileStream reader(path, fmOpenRead | fmShareDenyNone);
    EXPECT_EQ(reader.FileName(), path);
  }
}

TEST(FileStream, NamesPastTheClassicLimit) {
  hvtest::ScratchDir dir;
  std::wstring folder = dir.Path();
  while (folder.size() < MAX_PATH + 20) {
    folder += L"\\" + std::wstring(40, L'd');
    ASSERT_TRUE(CreateDirectoryW((L"\\\\?\\" + folder).c_str(), nullptr)) << GetLastError();
  }
  const std::wstring path = folder + L"\\long.txt";
  {
    THvFileStream out(path, fmCreate);
    out.WriteBuffer(std::string_view("deep\r\n"));
  }
  TStreamReader reader(path);
  EXPECT_EQ(reader.ReadLine(), L"deep");
}

TEST(FileStream, PositionsPastFourGiB) {
  hvtest::ScratchDir dir;
  const std::wstring path = dir / L"big.bin";
  const std::int64_t beyond = (std::int64_t{1} << 32) + 7;  // past what 32 bits hold
  {
    THvFileStream file(path, fmCreate);
    // Growing the size writes no data, so the test costs no disk space.
    file.SetSize(beyond + 100);
    EXPECT_EQ(file.Size(), beyond + 100);
    EXPECT_EQ(file.Seek(beyond, TSeekOrigin::soBeginning), beyond);
    file.WriteBuffer(std::string_view("one\r\ntwo\xE2\x82"));
    EXPECT_EQ(file.Position(), beyond + 10);
    EXPECT_EQ(file.Seek(-2, TSeekOrigin::soCurrent), beyond + 8);
    file.WriteBuffer(std::string_view("\xE2\x82\xAC"));
    file.SetSize(beyond + 11);
  }
  THvFileStream file(path, fmOpenRead | fmShareDenyWrite);
  file.SetPosition(beyond);
  TStreamReader reader(&file, TEncoding::UTF8(), false, 128);
  EXPECT_EQ(reader.ReadLine(), L"one");
  EXPECT_EQ(reader.ReadLine(), L"two\u20AC");
  EXPECT_TRUE(reader.EndOfStream());
  EXPECT_EQ(file.Position(), beyond + 11);
}
