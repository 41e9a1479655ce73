// Files of a product that another program holds open: the removal names the holder and stops,
// or, unattended, removes the rest and leaves what is held for the next restart. The files are
// held for real, by this process (sharing checks do not care which process holds a handle);
// only the Restart Manager's list of holders, which Wine leaves empty, is handed in.
#include <gtest/gtest.h>

#include <algorithm>

#include "EngineFixture.h"
#include "HvCommandLine.h"
#include "HvExceptions.h"
#include "HvFileHolders.h"
#include "HvHandles.h"
#include "HvLXAdminFolders.h"
#include "HvLXFiles.h"
#include "HvLXRegistryBase.h"
#include "HvProductCatalogue.h"
#include "HvTestSupport.h"
#include "HvUninstallCommand.h"

using namespace hvtest;
using hv::TRemovalEngine;
namespace plant = hvplant;

namespace {

const wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
const wchar_t kPendingValue[] = L"PendingFileRenameOperations";

hv::UniqueFileHandle HoldOpen(const std::wstring& path) {
  hv::UniqueFileHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  EXPECT_TRUE(file) << "cannot hold " << testing::PrintToString(path);
  return file;
}

// The system's list of pending start-up renames, as pairs (source, target) with the "\??\" of
// its NT form taken off; a deletion has an empty target.
std::vector<std::pair<std::wstring, std::wstring>> PendingRenames() {
  hv::UniqueHKey key;
  std::vector<std::pair<std::wstring, std::wstring>> pairs;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return pairs;
  DWORD type = 0, size = 0;
  if (RegQueryValueExW(key.get(), kPendingValue, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) return pairs;
  std::wstring data(size / sizeof(wchar_t) + 1, L'\0');
  RegQueryValueExW(key.get(), kPendingValue, nullptr, &type, reinterpret_cast<BYTE*>(data.data()), &size);
  std::vector<std::wstring> strings;
  for (std::size_t at = 0; at < size / sizeof(wchar_t);) {
    const std::size_t end = data.find(L'\0', at);
    strings.push_back(data.substr(at, end - at));
    at = end + 1;
  }
  for (std::size_t i = 0; i + 1 < strings.size(); i += 2) {
    auto plain = [](std::wstring s) { return s.rfind(L"\\??\\", 0) == 0 ? s.substr(4) : s; };
    pairs.push_back({plain(strings[i]), plain(strings[i + 1])});
  }
  return pairs;
}

// Puts the pending renames back as they were, so no later start of this machine deletes what a
// test scheduled.
class PendingRenamesKept {
 public:
  PendingRenamesKept() {
    hv::UniqueHKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return;
    DWORD size = 0;
    if (RegQueryValueExW(key.get(), kPendingValue, nullptr, &FType, nullptr, &size) != ERROR_SUCCESS) return;
    FData.resize(size);
    FHad = RegQueryValueExW(key.get(), kPendingValue, nullptr, &FType, FData.data(), &size) == ERROR_SUCCESS;
  }
  ~PendingRenamesKept() {
    hv::UniqueHKey key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, key.put()) != ERROR_SUCCESS) return;
    if (FHad)
      RegSetValueExW(key.get(), kPendingValue, 0, FType, FData.data(), static_cast<DWORD>(FData.size()));
    else
      RegDeleteValueW(key.get(), kPendingValue);
  }
  PendingRenamesKept(const PendingRenamesKept&) = delete;
  PendingRenamesKept& operator=(const PendingRenamesKept&) = delete;

 private:
  bool FHad = false;
  DWORD FType = REG_MULTI_SZ;
  std::vector<BYTE> FData;
};

class FilesInUseTest : public EngineTest {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    plant::PlantProduct(L"Corvista");
    ASSERT_TRUE(CreateDirectoryW(shell.c_str(), nullptr));
    ASSERT_TRUE(WriteTextFile(shell + L"\\CorvistaShell.dll", "MZ"));
    ASSERT_TRUE(CreateDirectoryW((shell + L"\\ext").c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryW((shell + L"\\ext\\deep").c_str(), nullptr));
    ASSERT_TRUE(WriteTextFile(shell + L"\\ext\\deep\\hook.dll", "MZ"));
    ASSERT_TRUE(WriteTextFile(shell + L"\\free.txt", "free"));
  }
  void TearDown() override {
    held.clear();
    EngineTest::TearDown();
  }
  void Hold(const std::wstring& path) { held.push_back(HoldOpen(path)); }
  bool RegistryTracesRemain() const {
    return plant::KeyExists(HKEY_LOCAL_MACHINE, kIdent + plant::kCorvistaCode) ||
           plant::KeyExists(HKEY_LOCAL_MACHINE, kUninstall + L"\\Pelmark");
  }

  std::wstring folder = pf + L"\\Halvern\\Corvista";
  std::wstring shell = folder + L"\\shell";
  std::vector<hv::UniqueFileHandle> held;
};

// The window's way (and /norestartremoval's): the first thing the removal meets is the file in
// use, so nothing of the product goes, and the error says which file and who holds it. Wine's
// own Restart Manager answers every call with success and names no one.
TEST_F(FilesInUseTest, AHeldFileStopsTheRemovalBeforeAnythingGoes) {
  Hold(shell + L"\\CorvistaShell.dll");
  TRemovalEngine engine;
  try {
    engine.ProcessCorvista(true);
    ADD_FAILURE() << "nothing raised";
  } catch (const hv::EHvGeneralError& e) {
    EXPECT_EQ(e.Message(), L"Could not delete " + shell + L"\\CorvistaShell.dll: it is in use by another program.");
  }
  EXPECT_FALSE(engine.RestartNeeded());
  EXPECT_TRUE(PathExists(shell + L"\\free.txt"));
  EXPECT_TRUE(PathExists(folder + L"\\readme.txt"));
  EXPECT_TRUE(RegistryTracesRemain());
  held.clear();
  EXPECT_TRUE(TRemovalEngine().ProcessCorvista(true));
  EXPECT_FALSE(PathExists(folder));
  ExpectOnlyPlantedTracesChanged();
}

// What Windows' Restart Manager answers: each holder's id and start time, and a name. The
// program file's name is given where the process can be asked (this one), the system's name
// where it cannot (an id no process has); the list is asked for again when it grew.
TEST_F(FilesInUseTest, TheRestartManagersHoldersAreNamedInTheError) {
  Hold(shell + L"\\CorvistaShell.dll");
  FILETIME created{}, unused{};
  ASSERT_TRUE(GetProcessTimes(GetCurrentProcess(), &created, &unused, &unused, &unused));
  std::vector<std::wstring> registered;
  int sessions = 0, listCalls = 0;
  hv::RestartManagerCalls fake;
  fake.StartSession = [&](DWORD* session, DWORD, WCHAR*) {
    *session = 7;
    ++sessions;
    return DWORD{ERROR_SUCCESS};
  };
  fake.RegisterFiles = [&](DWORD session, UINT count, LPCWSTR* files) {
    EXPECT_EQ(session, 7u);
    for (UINT i = 0; i < count; ++i) registered.push_back(files[i]);
    return DWORD{ERROR_SUCCESS};
  };
  fake.GetList = [&](DWORD, UINT* needed, UINT* count, RM_PROCESS_INFO* info, DWORD* reasons) {
    ++listCalls;
    *needed = 2;
    *reasons = RmRebootReasonNone;
    if (*count < 2) return DWORD{ERROR_MORE_DATA};
    info[0] = RM_PROCESS_INFO{};
    info[0].Process = {GetCurrentProcessId(), created};
    wcscpy(info[0].strAppName, L"Halvern tests");
    info[1] = RM_PROCESS_INFO{};
    info[1].Process = {1234, {1, 1}};
    wcscpy(info[1].strAppName, L"explorer.exe");
    *count = 2;
    return DWORD{ERROR_SUCCESS};
  };
  fake.EndSession = [&](DWORD session) {
    EXPECT_EQ(session, 7u);
    --sessions;
    return DWORD{ERROR_SUCCESS};
  };
  {
    hv::ScopedRestartManager scope(fake);
    try {
      TRemovalEngine().ProcessCorvista(true);
      ADD_FAILURE() << "nothing raised";
    } catch (const hv::EHvGeneralError& e) {
      EXPECT_EQ(e.Message(), hv::Fmt(L"Could not delete %s\\CorvistaShell.dll: it is in use by test_engine.exe "
                                     L"(process %u), explorer.exe (process 1234).",
                                     shell, static_cast<unsigned>(GetCurrentProcessId())));
    }
  }
  EXPECT_EQ(registered, std::vector<std::wstring>{shell + L"\\CorvistaShell.dll"});
  EXPECT_EQ(listCalls, 2);
  EXPECT_EQ(sessions, 0) << "a session was left open";
  EXPECT_TRUE(RegistryTracesRemain());
}

// Unattended: everything else goes now, registry traces too; the held files are scheduled
// deepest first and their folders after them, deepest first, the product's folder last, in the
// system's own list of start-up deletions. What was there before in that list stays first.
TEST_F(FilesInUseTest, UnattendedRemovalLeavesHeldFilesForTheRestartDeepestFirst) {
  PendingRenamesKept kept;
  const auto before = PendingRenames();
  Hold(shell + L"\\CorvistaShell.dll");
  Hold(shell + L"\\ext\\deep\\hook.dll");
  RecordingObserver seen;
  TRemovalEngine engine({true, &seen, nullptr, false, true});
  EXPECT_TRUE(engine.ProcessCorvista(true));
  EXPECT_TRUE(engine.RestartNeeded());

  const std::vector<std::wstring> order{shell + L"\\ext\\deep\\hook.dll", shell + L"\\CorvistaShell.dll",
                                        shell + L"\\ext\\deep", shell + L"\\ext", shell, folder};
  EXPECT_EQ(seen.scheduled, order);
  auto pending = PendingRenames();
  ASSERT_GE(pending.size(), before.size() + order.size());
  EXPECT_TRUE(std::equal(before.begin(), before.end(), pending.begin()));
  for (std::size_t i = 0; i < order.size(); ++i) {
    EXPECT_EQ(pending[before.size() + i].first, order[i]) << "entry " << i;
    EXPECT_EQ(pending[before.size() + i].second, L"") << "entry " << i;
  }
  EXPECT_FALSE(PathExists(shell + L"\\free.txt"));
  EXPECT_FALSE(PathExists(folder + L"\\readme.txt"));
  EXPECT_FALSE(PathExists(folder + L"\\bin"));
  EXPECT_TRUE(PathExists(shell + L"\\ext\\deep\\hook.dll"));
  EXPECT_FALSE(RegistryTracesRemain());
  EXPECT_FALSE(plant::KeyExists(HKEY_LOCAL_MACHINE, kIdent + plant::kCorvistaCode));
  held.clear();
  ExpectOnlyPlantedTracesChanged();
}

// The system deletes a scheduled path by its name, as itself: where others than administrators
// can change the folders on the way (a disk that keeps access lists, none of which here names
// only administrators), one of them could make that path lead elsewhere by then. Nothing is
// scheduled and nothing of the product goes; the error says why.
TEST_F(FilesInUseTest, NothingIsScheduledBelowAFolderOthersCanChange) {
  PendingRenamesKept kept;
  const auto before = PendingRenames();
  Hold(shell + L"\\CorvistaShell.dll");
  hv::FileSecurityOps listsKept;
  listsKept.KeepsAccessLists = true;
  {
    hv::ScopedFileSecurityOps scope(listsKept);
    TRemovalEngine engine({true, nullptr, nullptr, false, true});
    try {
      engine.ProcessCorvista(true);
      ADD_FAILURE() << "nothing raised";
    } catch (const hv::EHvGeneralError& e) {
      EXPECT_EQ(e.Message().find(L"Could not delete " + shell + L"\\CorvistaShell.dll: it is in use by another program.\r\n"
                                 L"Nor can it be deleted at the next restart: "),
                0u)
          << testing::PrintToString(e.Message());
    }
    EXPECT_FALSE(engine.RestartNeeded());
  }
  EXPECT_EQ(PendingRenames(), before);
  EXPECT_TRUE(PathExists(shell + L"\\ext\\deep\\hook.dll"));
  EXPECT_TRUE(PathExists(folder + L"\\readme.txt"));
  EXPECT_TRUE(RegistryTracesRemain());
  held.clear();
  ExpectOnlyPlantedTracesChanged();
}

// The command's exit codes for a held file: 3010 with the restart doing the rest, 1603 with
// /norestartremoval, which leaves the product as it was.
TEST_F(FilesInUseTest, TheUnattendedCommandAnswers3010Or1603WithNoRestartRemoval) {
  PendingRenamesKept kept;
  ScratchDir logs;
  Hold(shell + L"\\CorvistaShell.dll");
  hv::TCommandLine command;
  command.Kind = hv::TCommandKind::Uninstall;
  command.Products = {hv::kCorvista};
  command.NoTemp = true;
  command.Level = hv::TUserInterfaceLevel::Quiet;
  command.LogPath = logs / L"removal.log";

  command.NoRestartRemoval = true;
  EXPECT_EQ(hv::RunUninstallCommand(command, L"test"), hv::kExitFailed);
  EXPECT_TRUE(RegistryTracesRemain());
  EXPECT_TRUE(PathExists(shell + L"\\free.txt"));

  command.NoRestartRemoval = false;
  EXPECT_EQ(hv::RunUninstallCommand(command, L"test"), hv::kExitRestartRequired);
  EXPECT_FALSE(RegistryTracesRemain());
  EXPECT_FALSE(PathExists(shell + L"\\free.txt"));
  held.clear();
  ExpectOnlyPlantedTracesChanged();
}

}  // namespace
