// Undoing a removal: a backup goes back into the registry only when it is ours and every key
// lies where the removal deletes a product's trace; values come back byte for byte; a folder
// comes back from the Recycle Bin through either way, never over what took its place.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "HvBackupCheck.h"
#include "HvExceptions.h"
#include "HvLXFiles.h"
#include "HvRecycleBinRestore.h"
#include "HvRegFileFormat.h"
#include "HvRegistryBackup.h"
#include "HvTestSupport.h"

namespace hvtest {
namespace {

const std::wstring kSid = L"S-1-5-21-1-2-3-1001";
const std::wstring kCorvistaFolder = L"C:\\Program Files (x86)\\Halvern\\Corvista";
const hv::TBackupPlaces kPlaces{kSid, {kCorvistaFolder}};
const std::wstring kEntry = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

std::wstring Ours(const std::wstring& body) {
  return std::wstring(hv::kRegFileHeader) + hv::kBackupMarker + L"2026-12-11 06-00-00 (process 7)\r\n" + body;
}

std::vector<std::uint8_t> Bytes(std::initializer_list<int> values) {
  std::vector<std::uint8_t> bytes;
  for (int v : values) bytes.push_back(static_cast<std::uint8_t>(v));
  return bytes;
}

std::vector<std::uint8_t> Utf16(const std::wstring& text, bool withNul = true) {
  const auto* p = reinterpret_cast<const std::uint8_t*>(text.c_str());
  return {p, p + (text.size() + (withNul ? 1 : 0)) * sizeof(wchar_t)};
}

TEST(BackupCheck, EveryValueReadsBackByteForByte) {
  std::vector<std::uint8_t> longBinary;
  for (int i = 0; i < 300; ++i) longBinary.push_back(static_cast<std::uint8_t>(i * 7));
  const std::vector<hv::TRegFileValue> values{
      {L"", REG_SZ, Utf16(L"Corvista")},
      {L"DisplayName", REG_SZ, Utf16(L"Zürich \"quoted\" \\ back")},
      {L"odd \"name\" \\ here", REG_DWORD, Bytes({0x78, 0x56, 0x34, 0x12})},
      {L"Control", REG_SZ, Utf16(L"tab\there")},
      {L"NoNul", REG_SZ, Utf16(L"abc", false)},
      {L"Odd", REG_SZ, Bytes({0x41})},
      {L"Binary", REG_BINARY, longBinary},
      {L"Empty", REG_BINARY, {}},
      {L"Multi", REG_MULTI_SZ, Utf16(std::wstring(L"one\0two\0", 8))},
      {L"Expand", REG_EXPAND_SZ, Utf16(L"%ProgramFiles%\\Corvista")},
      {L"Quad", REG_QWORD, Bytes({1, 2, 3, 4, 5, 6, 7, 8})},
      {L"Nothing", REG_NONE, {}},
      {L"ShortDword", REG_DWORD, Bytes({1, 2})},
      {L"Odd type", 0x12345, Bytes({9})},
  };
  std::wstring body = hv::RegFileKeyHeader(kEntry + L"Corvista");
  for (const hv::TRegFileValue& value : values) body += hv::RegFileValueLine(value.Name, value.Type, value.Data);
  const hv::TCheckedBackup backup = hv::CheckBackupText(Ours(body), kPlaces);
  ASSERT_EQ(backup.Entries.size(), 1u);
  const std::vector<hv::TRegFileValue>& read = backup.Entries[0].Keys[0].Values;
  ASSERT_EQ(read.size(), values.size());
  for (std::size_t i = 0; i < values.size(); ++i) {
    EXPECT_EQ(read[i].Name, values[i].Name) << i;
    EXPECT_EQ(read[i].Type, values[i].Type) << testing::PrintToString(values[i].Name);
    EXPECT_EQ(read[i].Data, values[i].Data) << testing::PrintToString(values[i].Name);
  }
}

TEST(BackupCheck, KeysGroupIntoTracesAndFoldersAreRead) {
  const std::wstring guid = kEntry + L"{1C0E7A5B-0D2F-4C11-9C55-6A3B2D1E0F01}";
  const std::wstring cache = L"HKEY_LOCAL_MACHINE\\SOFTWARE\\MimarSinan\\InstallAware\\Ident.Cache\\{3F6E2A91-7C4D-4B8E-A1D2-5E9C0B7F4A63}";
  const std::wstring text = Ours(
      L"; Recycled 133456789012345678 C:\\Program Files (x86)\\Halvern\\Corvista\r\n"
      L"; Recycled 133456789012345679 C:\\ProgramData\\Halvern\\CorvistaSetupCache\r\n" +
      hv::RegFileKeyHeader(guid) + L"\"UninstallString\"=\"C:\\\\Setup\\\\SetupCorvista.exe\"\r\n" +
      hv::RegFileKeyHeader(guid + L"\\Sub") + L"@=dword:00000001\r\n" +
      hv::RegFileKeyHeader(L"HKEY_USERS\\" + kSid + L"_Classes\\Installer\\Products\\ABC") + L"\"ProductName\"=\"Sendaro\"\r\n" +
      hv::RegFileKeyHeader(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Halvern\\Pelmark") + L"\"UninstallLink\"=\"x\"\r\n" +
      hv::RegFileKeyHeader(cache) + L"@=\"C:\\\\ProgramData\\\\Halvern\\\\CorvistaSetupCache\"\r\n");
  const hv::TCheckedBackup backup = hv::CheckBackupText(text, kPlaces);
  EXPECT_EQ(backup.Removal, L"2026-12-11 06-00-00 (process 7)");
  EXPECT_FALSE(backup.Restored);
  ASSERT_EQ(backup.Entries.size(), 4u);
  EXPECT_EQ(backup.Entries[0].Keys.size(), 2u);
  EXPECT_FALSE(backup.Entries[0].ValuesOnly);
  EXPECT_TRUE(backup.Entries[2].ValuesOnly);
  ASSERT_EQ(backup.Recycled.size(), 2u);
  EXPECT_EQ(backup.Recycled[0].Time, 133456789012345678u);
  EXPECT_EQ(backup.Recycled[1].Path, L"C:\\ProgramData\\Halvern\\CorvistaSetupCache");
  EXPECT_TRUE(hv::CheckBackupText(text + hv::kRestoredMarker + L"1\r\n", kPlaces).Restored);
}

// Each form is refused whole, with a reason that names what is wrong.
TEST(BackupCheck, TamperedFormsAreRefusedWhole) {
  const std::wstring corvista = hv::RegFileKeyHeader(kEntry + L"Corvista") + L"\"DisplayName\"=\"Corvista\"\r\n";
  struct Row {
    const char* what;
    std::wstring text;
    std::wstring reason;
  };
  const std::vector<Row> rows{
      {"no header line of ours", std::wstring(hv::kRegFileHeader) + corvista, L"not a backup of Halvern Uninstaller"},
      {"another program's header", std::wstring(hv::kRegFileHeader) + L"; made by hand\r\n" + corvista, L"not a backup"},
      {"not a registry export", L"REGEDIT4\r\n" + corvista, L"Line 1"},
      {"a key outside the places", Ours(corvista + hv::RegFileKeyHeader(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\HvRestoreTampered") + L"@=\"x\"\r\n"),
       L"HvRestoreTampered"},
      {"the Run key", Ours(hv::RegFileKeyHeader(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run") + L"\"x\"=\"evil.exe\"\r\n"),
       L"outside"},
      {"the Uninstall key itself", Ours(hv::RegFileKeyHeader(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall") + L"@=\"x\"\r\n"),
       L"outside"},
      {"another product's entry", Ours(hv::RegFileKeyHeader(kEntry + L"Other") + L"@=\"x\"\r\n"), L"no Add/Remove Programs entry"},
      {"a GUID entry of another setup",
       Ours(hv::RegFileKeyHeader(kEntry + L"{00000000-0000-0000-0000-000000000000}") + L"\"UninstallString\"=\"C:\\\\Other\\\\Setup.exe\"\r\n"),
       L"no Add/Remove Programs entry"},
      {"a key below an entry the file lacks", Ours(hv::RegFileKeyHeader(kEntry + L"Corvista\\Sub") + L"@=\"x\"\r\n"), L"without the key"},
      {"an empty part in a path", Ours(hv::RegFileKeyHeader(kEntry + L"Corvista\\\\Sub") + L"@=\"x\"\r\n"), L"outside"},
      {"another product's registration",
       Ours(hv::RegFileKeyHeader(L"HKEY_CURRENT_USER\\Software\\Classes\\Installer\\Products\\ABC") + L"\"ProductName\"=\"Other\"\r\n"),
       L"no Installer registration"},
      {"another user's classes",
       Ours(hv::RegFileKeyHeader(L"HKEY_USERS\\S-1-5-21-9-9-9-500_Classes\\Installer\\Products\\ABC") + L"\"ProductName\"=\"Corvista\"\r\n"),
       L"outside"},
      {"an unknown product code", Ours(hv::RegFileKeyHeader(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\MimarSinan\\InstallAware\\Ident.Cache\\{X}") + L"@=\"C:\\\\\"\r\n"),
       L"outside"},
      {"more than the UninstallLink value", Ours(hv::RegFileKeyHeader(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvista") + L"\"UninstallLink\"=\"x\"\r\n\"Other\"=\"y\"\r\n"),
       L"only its UninstallLink"},
      {"a key below an UninstallLink key", Ours(hv::RegFileKeyHeader(L"HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvista\\Sub") + L"\"UninstallLink\"=\"x\"\r\n"),
       L"outside"},
      {"a trace twice", Ours(corvista + corvista), L"comes twice"},
      {"a key deleted", Ours(corvista + L"\r\n[-" + kEntry + L"Sendaro]\r\n"), L"not a key header"},
      {"a value deleted", Ours(hv::RegFileKeyHeader(kEntry + L"Corvista") + L"\"DisplayName\"=-\r\n"), L"not understood"},
      {"a bad escape", Ours(hv::RegFileKeyHeader(kEntry + L"Corvista") + L"\"A\"=\"\\n\"\r\n"), L"escape"},
      {"a cut byte list", Ours(hv::RegFileKeyHeader(kEntry + L"Corvista") + L"\"A\"=hex:01,0\r\n"), L"cut short"},
      {"a list continued past the end", Ours(hv::RegFileKeyHeader(kEntry + L"Corvista") + L"\"A\"=hex:01,\\\r\n"), L"ends with the file"},
      {"a short dword", Ours(hv::RegFileKeyHeader(kEntry + L"Corvista") + L"\"A\"=dword:1\r\n"), L"eight"},
      {"a value before any key", Ours(L"\"A\"=\"x\"\r\n"), L"before any key"},
      {"a folder the removal does not recycle", Ours(L"; Recycled 1 C:\\Windows\r\n"), L"C:\\Windows"},
      {"a folder line without a time", Ours(L"; Recycled C:\\Program Files (x86)\\Halvern\\Corvista\r\n"), L"not understood"},
      {"an unknown comment", Ours(L"; Run C:\\evil.exe\r\n" + corvista), L"not understood"},
  };
  for (const Row& row : rows) {
    try {
      hv::CheckBackupText(row.text, kPlaces);
      ADD_FAILURE() << row.what << ": accepted";
    } catch (const hv::Exception& e) {
      EXPECT_NE(e.Message().find(row.reason), std::wstring::npos) << row.what << ": " << testing::PrintToString(e.Message());
    }
  }
}

// A folder sent to the Recycle Bin the way the removal sends it, with the time noted before.
hv::TRecycledRecord Recycle(const std::wstring& folder) {
  hv::TRecycledRecord record{folder, std::stoull(hv::BackupTimeNow())};
  hv::ShellDeletePath(folder, 0x0050 | 0x0004 | 0x0400, L"");
  return record;
}

void Plant(const std::wstring& folder) {
  hv::ForceDirectoriesLX(folder + L"\\inner");
  HANDLE file = CreateFileW((folder + L"\\inner\\data.txt").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
}

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Both ways of putting a folder back, each on its own: the shell's bin and, under Wine, the
// host trash's own files.
TEST(RecycleBinRestore, EachWayPutsTheFolderBackButNeverOverWhatTookItsPlace) {
  using Way = hv::TRecycledResult (*)(const hv::TRecycledRecord&);
  for (auto [name, way] : {std::pair<const char*, Way>{"shell", &hv::RestoreThroughShell},
                           std::pair<const char*, Way>{"host trash", &hv::RestoreThroughHostTrash}}) {
    SCOPED_TRACE(name);
    ScratchDir scratch;
    const std::wstring folder = scratch / L"Corvista ✓ Zürich";
    Plant(folder);
    const hv::TRecycledRecord record = Recycle(folder);
    ASSERT_FALSE(Exists(folder)) << "the folder did not go to the Recycle Bin";

    // Something in its place: the item stays in the bin.
    CreateDirectoryW(folder.c_str(), nullptr);
    EXPECT_EQ(way(record).Outcome, hv::TRecycledOutcome::Occupied);
    EXPECT_FALSE(Exists(folder + L"\\inner\\data.txt"));
    RemoveDirectoryW(folder.c_str());

    // Another deletion time names another item.
    EXPECT_EQ(way({folder, record.Time - 3600ull * 10'000'000}).Outcome, hv::TRecycledOutcome::NotInBin);

    hv::TRecycledResult result = way(record);
    if (result.Outcome != hv::TRecycledOutcome::Restored && way == &hv::RestoreThroughShell && UnderWine()) {
      // Wine's bin answers its Restore command without putting the item back: it must still be
      // in the bin, where the whole restore finds it through the host trash.
      EXPECT_EQ(result.Outcome, hv::TRecycledOutcome::Failed);
      result = hv::RestoreRecycledFolder(record);
    }
    EXPECT_EQ(result.Outcome, hv::TRecycledOutcome::Restored) << testing::PrintToString(result.Detail);
    EXPECT_TRUE(Exists(folder + L"\\inner\\data.txt"));
    // Taken out of the bin: a second attempt finds nothing.
    EXPECT_EQ(hv::RestoreRecycledFolder(record).Outcome, hv::TRecycledOutcome::NotInBin);
  }
}

}  // namespace
}  // namespace hvtest
