// The removal's registry backup: imported with the system's own editor it gives back exactly
// the keys and values the removal deleted, and a key it cannot hold is not deleted.
#include <cstdint>
#include <vector>

#include "EngineFixture.h"
#include "HvHandles.h"
#include "HvLXRegistryBase.h"
#include "HvRegFileFormat.h"
#include "HvRegistryBackup.h"
#include "HvTestSupport.h"

namespace hvtest {
namespace {

const std::wstring kPelmark = kUninstall + L"\\Pelmark";

void SetRaw(const std::wstring& key, const std::wstring& name, DWORD type, const std::vector<std::uint8_t>& data) {
  hv::UniqueHKey opened;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, hv::WithProgramRegistryView(KEY_SET_VALUE),
                            nullptr, opened.put(), nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExW(opened.get(), name.c_str(), 0, type, data.data(), static_cast<DWORD>(data.size())), ERROR_SUCCESS)
      << "value " << testing::PrintToString(name);
}

std::vector<std::uint8_t> Utf16(const std::wstring& text) {
  const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
  return {bytes, bytes + text.size() * sizeof(wchar_t)};
}

// The registry part of a snapshot: the folders the removal deleted do not come back.
std::set<std::wstring> RegistryLines(const MachineSnapshot& snapshot) {
  std::set<std::wstring> lines;
  for (const std::wstring& line : snapshot.lines)
    if (line.starts_with(L"key ") || line.starts_with(L"value ")) lines.insert(line);
  return lines;
}

DWORD RunAndWait(std::wstring commandLine) {
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info))
    return GetLastError();
  const hv::UniqueKernelHandle process(info.hProcess), thread(info.hThread);
  WaitForSingleObject(process.get(), INFINITE);
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  return code;
}

class RegistryBackupTest : public EngineTest {
 protected:
  ScratchDir folder;
  hv::TRegistryBackup backup{folder.Path()};
};

TEST_F(RegistryBackupTest, ImportingTheBackupRestoresEveryRemovedValueExactly) {
  hvplant::PlantProduct(L"Corvista");
  hvplant::PlantProduct(L"Sendaro");
  const std::wstring nul(1, L'\0');
  struct Case {
    std::wstring key, name;
    DWORD type;
    std::vector<std::uint8_t> data;
  } cases[] = {
      {kPelmark, L"", REG_SZ, Utf16(L"the default value" + nul)},
      {kPelmark, L"line breaks", REG_SZ, Utf16(L"one\r\ntwo\ttabbed" + nul)},
      {kPelmark, L"NUL inside", REG_SZ, Utf16(L"a" + nul + L"b" + nul)},
      {kPelmark, L"empty", REG_SZ, {}},
      {kPelmark, L"quotes \"and\" back\\slashes", REG_SZ, Utf16(L"C:\\a \"b\"" + nul)},
      {kPelmark, L"Größe ñ 日本 = [x]", REG_SZ, Utf16(L"Zürich Ωμέγα" + nul)},
      {kPelmark, L"expand", REG_EXPAND_SZ, Utf16(L"%ProgramFiles%\\Corvista" + nul)},
      {kPelmark, L"multi", REG_MULTI_SZ, Utf16(L"one" + nul + L"two" + nul + nul)},
      {kPelmark, L"binary, long enough to go over several lines", REG_BINARY, std::vector<std::uint8_t>(300, 0xA5)},
      {kPelmark, L"binary empty", REG_BINARY, {}},
      {kPelmark, L"dword", REG_DWORD, {0x78, 0x56, 0x34, 0x12}},
      {kPelmark, L"dword of three bytes", REG_DWORD, {1, 2, 3}},
      {kPelmark, L"qword", REG_QWORD, {1, 2, 3, 4, 5, 6, 7, 8}},
      {kPelmark, L"none", REG_NONE, {}},
      {kPelmark, L"big endian", REG_DWORD_BIG_ENDIAN, {0x12, 0x34, 0x56, 0x78}},
      {kPelmark + L"\\Ünter\\Tiefer", L"deep", REG_SZ, Utf16(L"below" + nul)},
      {kPelmark + L"\\Empty key", L"", REG_NONE, {}},
  };
  for (const Case& c : cases) SetRaw(c.key, c.name, c.type, c.data);
  const MachineSnapshot planted = TakeSnapshot();

  hv::TRemovalEngine engine({true, nullptr, &backup, false});
  ASSERT_TRUE(engine.ProcessCorvista(true));
  ASSERT_TRUE(engine.ProcessSendaro(true));
  ASSERT_FALSE(hvplant::KeyExists(HKEY_LOCAL_MACHINE, kPelmark));
  ASSERT_FALSE(backup.Path().empty());

  ASSERT_EQ(RunAndWait(L"reg.exe import \"" + backup.Path() + L"\""), 0u);
  const std::set<std::wstring> expected = RegistryLines(planted), restored = RegistryLines(TakeSnapshot());
  EXPECT_TRUE(restored == expected) << SnapshotDifference({expected}, {restored});
}

TEST_F(RegistryBackupTest, AKeyTheBackupCannotHoldIsNotDeleted) {
  hvplant::PlantProduct(L"Corvista");
  SetRaw(kPelmark, L"two\nlines", REG_SZ, Utf16(std::wstring(L"x") + L'\0'));
  hv::TRemovalEngine engine({true, nullptr, &backup, false});
  try {
    engine.ProcessCorvista(true);
    FAIL() << "the removal went on past a key it could not back up";
  } catch (const hv::EHvGeneralError& e) {
    EXPECT_NE(e.Message().find(L"line break"), std::wstring::npos) << testing::PrintToString(e.Message());
  }
  EXPECT_TRUE(hvplant::ValueExists(HKEY_LOCAL_MACHINE, kPelmark, L"two\nlines"));
  EXPECT_TRUE(hvplant::KeyExists(HKEY_LOCAL_MACHINE, kPelmark));
}

TEST(RegFileFormat, ValuesAreWrittenAsEditorsWriteThem) {
  const struct {
    std::wstring name;
    DWORD type;
    std::vector<std::uint8_t> data;
    std::wstring line;
  } rows[] = {
      {L"", REG_SZ, {0x61, 0, 0, 0}, L"@=\"a\"\r\n"},
      {L"q\"\\", REG_SZ, {0x22, 0, 0x5C, 0, 0, 0}, L"\"q\\\"\\\\\"=\"\\\"\\\\\"\r\n"},
      {L"d", REG_DWORD, {0xEF, 0xBE, 0xAD, 0xDE}, L"\"d\"=dword:deadbeef\r\n"},
      {L"b", REG_BINARY, {0x00, 0xFF}, L"\"b\"=hex:00,ff\r\n"},
      {L"t", REG_SZ, {0x0A, 0, 0, 0}, L"\"t\"=hex(1):0a,00,00,00\r\n"},
      // Byte for byte; Wine's importer adds a NUL to these, so the restore test leaves them out.
      {L"open", REG_SZ, {0x6F, 0}, L"\"open\"=hex(1):6f,00\r\n"},
      {L"odd", REG_SZ, {0x41, 0, 0x42}, L"\"odd\"=hex(1):41,00,42\r\n"},
      {L"q", REG_QWORD, {1, 0, 0, 0, 0, 0, 0, 0}, L"\"q\"=hex(b):01,00,00,00,00,00,00,00\r\n"},
      {L"n", REG_NONE, {}, L"\"n\"=hex(0):\r\n"},
  };
  for (std::size_t i = 0; i < std::size(rows); ++i)
    EXPECT_EQ(hv::RegFileValueLine(rows[i].name, rows[i].type, rows[i].data), rows[i].line) << "row " << i;
  // Long lists go on over lines that end in a backslash, none wider than editors make them.
  const std::wstring wrapped = hv::RegFileValueLine(L"long", REG_BINARY, std::vector<std::uint8_t>(100, 1));
  std::size_t start = 0, lines = 0;
  for (std::size_t end; (end = wrapped.find(L"\r\n", start)) != std::wstring::npos; start = end + 2, ++lines)
    EXPECT_LE(end - start, 80u) << "line " << lines;
  EXPECT_GT(lines, 1u);
  EXPECT_NE(wrapped.find(L",\\\r\n  01"), std::wstring::npos);
}

}  // namespace
}  // namespace hvtest
