#include <gtest/gtest.h>

#include <string>

#include "EngineFixture.h"
#include "HvHandles.h"
#include "HvLXRegistry.h"
#include "HvLogText.h"
#include "HvRegistryBackup.h"
#include "HvTestSupport.h"

using namespace hvtest;
using hv::TRemovalEngine;
using hv::TTraceKind;
namespace plant = hvplant;

namespace {

const std::wstring kMachineProducts = L"SOFTWARE\\Classes\\Installer\\Products\\";
const std::wstring kUserProducts = L"Software\\Classes\\Installer\\Products\\";
const std::wstring kCode = L"B0DE0000000000000000000000000A24";

// A registry backup's text (UTF-16 with its byte order mark).
std::wstring ReadBackup(const std::wstring& path) {
  hv::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size{};
  if (!file || !GetFileSizeEx(file.get(), &size)) return {};
  std::wstring text(static_cast<std::size_t>(size.QuadPart) / sizeof(wchar_t), L'\0');
  DWORD read = 0;
  ReadFile(file.get(), text.data(), static_cast<DWORD>(text.size() * sizeof(wchar_t)), &read, nullptr);
  return text;
}

// The installer registrations this test plants, gone before and after it.
struct PlantedRegistrations {
  PlantedRegistrations() { Remove(); }
  ~PlantedRegistrations() { Remove(); }
  static void Remove() {
    hv::RegDeleteKeyLX(HKEY_LOCAL_MACHINE, kMachineProducts + kCode);
    hv::RegDeleteKeyLX(HKEY_CURRENT_USER, kUserProducts + kCode);
  }
};

}  // namespace

// HKEY_CLASSES_ROOT shows the user's own classes over the machine's, and any program of the
// user can write those: a user registration with another product's code and our product's
// name must be found, read and deleted where it lives, and never lead to a deletion of the
// machine's registration of that code (another product's, with its source list).
TEST_F(EngineTest, AUserClassesRegistrationNeverDeletesTheMachinesKey) {
  PlantedRegistrations planted;
  hv::RegWriteStringLX(HKEY_LOCAL_MACHINE, kMachineProducts + kCode, L"ProductName", L"Another Product");
  hv::RegWriteStringLX(HKEY_LOCAL_MACHINE, kMachineProducts + kCode + L"\\SourceList", L"PackageName", L"another.msi");
  hv::RegWriteStringLX(HKEY_CURRENT_USER, kUserProducts + kCode, L"ProductName", L"Corvista");

  RecordingObserver seen;
  TRemovalEngine engine({true, &seen});
  EXPECT_TRUE(engine.ProcessCorvista(false));
  ASSERT_EQ(seen.Count(TTraceKind::InstallerRegistration), 1u);
  for (const hv::TTrace& trace : seen.found) {
    if (trace.Kind == TTraceKind::InstallerRegistration) {
      EXPECT_EQ(trace.Location, L"HKEY_CURRENT_USER\\" + kUserProducts + kCode);
    }
  }

  ScratchDir backups;
  hv::TRegistryBackup backup(backups.Path());
  TRemovalEngine remover({true, nullptr, &backup});
  EXPECT_TRUE(remover.ProcessCorvista(true));
  EXPECT_FALSE(hv::RegKeyExistsLX(HKEY_CURRENT_USER, kUserProducts + kCode));
  EXPECT_EQ(hv::RegReadStringLX(HKEY_LOCAL_MACHINE, kMachineProducts + kCode, L"ProductName"), L"Another Product");
  EXPECT_EQ(hv::RegReadStringLX(HKEY_LOCAL_MACHINE, kMachineProducts + kCode + L"\\SourceList", L"PackageName"),
            L"another.msi");
  // The backup names the key where it lived, and nothing of the machine's.
  const std::wstring text = ReadBackup(backup.Path());
  EXPECT_NE(text.find(L"[HKEY_CURRENT_USER\\Software\\Classes\\Installer\\Products\\" + kCode + L"]"), std::wstring::npos)
      << testing::PrintToString(text);
  EXPECT_EQ(text.find(L"HKEY_LOCAL_MACHINE"), std::wstring::npos) << testing::PrintToString(text);
  EXPECT_EQ(text.find(L"another.msi"), std::wstring::npos) << testing::PrintToString(text);

  // The machine's registration of our own product goes from the machine's hive.
  PlantedRegistrations::Remove();
  hv::RegWriteStringLX(HKEY_LOCAL_MACHINE, kMachineProducts + kCode, L"ProductName", L"Halvern Corvista");
  EXPECT_TRUE(TRemovalEngine().ProcessCorvista(true));
  EXPECT_FALSE(hv::RegKeyExistsLX(HKEY_LOCAL_MACHINE, kMachineProducts + kCode));
  ExpectOnlyPlantedTracesChanged();
}

// Every registry value the program prints goes out on one line: a value with a line break
// (or another control character) cannot add a line of its own, a fake "Removed:" least of all.
TEST_F(EngineTest, ControlCharactersInRegistryValuesAreShownEscaped) {
  PlantedRegistrations planted;
  const std::wstring forged = L"Corvista\r\nRemoved: Installation folder: C:\\Windows";
  hv::RegWriteStringLX(HKEY_LOCAL_MACHINE, kMachineProducts + kCode, L"ProductName", L"Corvista");
  plant::PlantUninstallEntry(L"{A0000000-0000-0000-0000-00000000A024}", L"C:\\x\r\nRemoved: y\\SetupCorvista.exe");
  plant::PlantIdentCache(plant::kCorvistaCode, L"C:\\nowhere\nRemoved: C:\\Windows\x1b[2J");

  RecordingObserver seen;
  TRemovalEngine engine({true, &seen});
  EXPECT_TRUE(engine.ProcessCorvista(false));
  ASSERT_GE(seen.found.size(), 3u);
  for (const hv::TTrace& trace : seen.found) {
    const std::wstring line = hv::DescribeTrace(trace);
    EXPECT_EQ(line.find_first_of(L"\r\n\x1b"), std::wstring::npos) << hv::EscapeControlCharacters(line);
  }
  EXPECT_EQ(hv::EscapeControlCharacters(forged), L"Corvista<U+000D><U+000A>Removed: Installation folder: C:\\Windows");
  EXPECT_EQ(hv::EscapeControlCharacters(L"tab\there\x7f\x85\x2028 and \x00e9"),
            L"tab<U+0009>here<U+007F><U+0085><U+2028> and \x00e9");
  ExpectOnlyPlantedTracesChanged();
}
