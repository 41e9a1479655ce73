#include <gtest/gtest.h>

#include "EngineFixture.h"
#include "HvExceptions.h"
#include "HvHostLinks.h"
#include "HvLXFilePlatform.h"
#include "HvLXFiles.h"
#include "HvLXHost.h"
#include "HvLXRegistryOps.h"
#include "HvTestSupport.h"

using namespace hvtest;
using hv::TRemovalEngine;
using hv::TTraceKind;
namespace plant = hvplant;

TEST_F(EngineTest, NothingPlantedNothingFound) {
  TRemovalEngine engine;
  EXPECT_FALSE(engine.ProcessCorvista(false));
  EXPECT_FALSE(engine.ProcessSendaro(false));
  EXPECT_FALSE(engine.ProcessCorvista(true));
  ExpectOnlyPlantedTracesChanged();
}

TEST_F(EngineTest, DetectionFindsEveryKindOfTraceAndChangesNothing) {
  plant::PlantProduct(L"Corvista");
  plant::PlantProduct(L"Sendaro");
  const MachineSnapshot planted = TakeSnapshot();

  RecordingObserver seen;
  TRemovalEngine engine({true, &seen});
  EXPECT_TRUE(engine.ProcessCorvista(false));
  for (TTraceKind kind : {TTraceKind::InstallationFolder, TTraceKind::UninstallEntry, TTraceKind::NamedUninstallEntry,
                          TTraceKind::UninstallLink, TTraceKind::InstallerRegistration, TTraceKind::IdentCacheEntry,
                          TTraceKind::IdentCacheFolder})
    EXPECT_EQ(seen.Count(kind), 1u) << hv::TraceKindText(kind).c_str();
  EXPECT_TRUE(engine.ProcessSendaro(false));

  EXPECT_TRUE(TakeSnapshot() == planted);
  EXPECT_TRUE(plant::KeyExists(HKEY_LOCAL_MACHINE, kIdent + plant::kCorvistaCode));
  EXPECT_TRUE(PathExists(pf + L"\\Halvern\\Corvista\\readme.txt"));
  ExpectOnlyPlantedTracesChanged();
}

TEST_F(EngineTest, RemovalDeletesOneProductAndLeavesTheOther) {
  plant::PlantProduct(L"Corvista");
  plant::PlantProduct(L"Sendaro");
  TRemovalEngine engine;
  EXPECT_TRUE(engine.ProcessCorvista(true));

  EXPECT_FALSE(engine.ProcessCorvista(false));
  EXPECT_FALSE(PathExists(pf + L"\\Halvern\\Corvista"));
  EXPECT_FALSE(PathExists(L"C:\\ProgramData\\Halvern\\CorvistaSetupCache"));
  EXPECT_FALSE(plant::KeyExists(HKEY_LOCAL_MACHINE, kUninstall + L"\\Pelmark"));
  EXPECT_FALSE(plant::KeyExists(HKEY_LOCAL_MACHINE, kIdent + plant::kCorvistaCode));
  // Only the UninstallLink value goes; its key stays.
  EXPECT_TRUE(plant::KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Halvern\\Corvista"));
  EXPECT_FALSE(plant::ValueExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Halvern\\Corvista", L"UninstallLink"));
  EXPECT_TRUE(plant::ValueExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Halvern\\Corvista", L"Version"));

  EXPECT_TRUE(engine.ProcessSendaro(false));
  EXPECT_TRUE(PathExists(pf + L"\\Halvern\\Sendaro\\bin\\app.dat"));
  EXPECT_TRUE(engine.ProcessSendaro(true));
  EXPECT_FALSE(engine.ProcessSendaro(false));
  ExpectOnlyPlantedTracesChanged();
}

TEST_F(EngineTest, FoldersCountOnlyWithTheDeleteInstallationFolderBox) {
  plant::PlantFolder(L"Pelmark");
  plant::PlantIdentCache(plant::kCorvistaCode, L"C:\\ProgramData\\Halvern\\Cache");
  plant::PlantFolderAt(L"C:\\ProgramData\\Halvern\\Cache");

  TRemovalEngine unticked({false, nullptr});
  EXPECT_TRUE(unticked.ProcessCorvista(true));  // the cache entry still counts and goes, folder and all
  EXPECT_TRUE(PathExists(pf + L"\\Pelmark\\readme.txt"));
  EXPECT_FALSE(PathExists(L"C:\\ProgramData\\Halvern\\Cache"));
  EXPECT_FALSE(unticked.ProcessCorvista(false));  // the folder alone is no trace without the box

  TRemovalEngine ticked;
  EXPECT_TRUE(ticked.ProcessCorvista(false));
  EXPECT_TRUE(ticked.ProcessCorvista(true));
  EXPECT_FALSE(PathExists(pf + L"\\Pelmark"));
  ExpectOnlyPlantedTracesChanged();
}

TEST_F(EngineTest, UninstallCommandsMatchOnlyAtTheEndAndOnlyForGuidNames) {
  struct Case {
    const wchar_t* name;
    std::wstring command;
    bool withValue;
    bool corvista;
  } cases[] = {
      {L"{A0000000-0000-0000-0000-000000000001}", pf + L"\\X\\SETUPCORVISTA.EXE", true, true},
      {L"{A0000000-0000-0000-0000-000000000002}", L"C:\\x\\SetupPelmark.exe", true, true},
      {L"{A0000000-0000-0000-0000-000000000003}", L"C:\\x\\SetupCorvista.exe /uninstall", true, false},
      {L"{A0000000-0000-0000-0000-000000000004}", L"\"C:\\x\\SetupCorvista.exe\"", true, false},
      {L"{A0000000-0000-0000-0000-000000000005}", L"SetupCorvista.exe", true, false},  // no backslash before it
      {L"{A0000000-0000-0000-0000-000000000006}", L"", false, false},                  // no UninstallString
      {L"A0000000-no-brace", L"C:\\x\\SetupCorvista.exe", true, false},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const Case& c = cases[i];
    plant::PlantUninstallEntry(c.name, c.command, c.withValue);
    TRemovalEngine engine;
    EXPECT_EQ(engine.ProcessCorvista(false), c.corvista);
    EXPECT_FALSE(engine.ProcessSendaro(false));
    EXPECT_EQ(engine.ProcessCorvista(true), c.corvista);
    EXPECT_EQ(plant::KeyExists(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + c.name), !c.corvista);
    plant::DeleteTree(HKEY_LOCAL_MACHINE, kUninstall + L"\\" + c.name);
  }
  ExpectOnlyPlantedTracesChanged();
}

TEST_F(EngineTest, NamesAndProductNamesMatchIgnoringCase) {
  plant::PlantUninstallEntry(L"CORVISTA", L"C:\\x\\whatever.exe");
  plant::PlantInstallerRegistration(L"0123456789ABCDEF0123456789ABCDEF", L"halvern sendaro");
  plant::PlantUninstallLink(L"Halvern Corvista");  // directly under SOFTWARE, by another key name

  RecordingObserver seen;
  TRemovalEngine engine({true, &seen});
  EXPECT_TRUE(engine.ProcessCorvista(false));
  EXPECT_EQ(seen.Count(TTraceKind::NamedUninstallEntry), 1u);
  EXPECT_EQ(seen.Count(TTraceKind::UninstallLink), 1u);
  EXPECT_TRUE(engine.ProcessSendaro(false));

  EXPECT_TRUE(engine.ProcessCorvista(true));
  EXPECT_FALSE(plant::KeyExists(HKEY_LOCAL_MACHINE, kUninstall + L"\\CORVISTA"));
  EXPECT_FALSE(plant::ValueExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Halvern Corvista", L"UninstallLink"));
  EXPECT_TRUE(engine.ProcessSendaro(true));
  EXPECT_FALSE(plant::KeyExists(HKEY_CLASSES_ROOT, kProducts + L"\\0123456789ABCDEF0123456789ABCDEF"));
  ExpectOnlyPlantedTracesChanged();
}

TEST_F(EngineTest, IdentCacheEntryCountsWhateverItsFolder) {
  // An empty default value, and one naming a folder that is not there: found, key removed.
  plant::PlantIdentCache(plant::kCorvistaCode, L"");
  plant::PlantIdentCache(plant::kSendaroCode, L"C:\\ProgramData\\Halvern\\NotThere");
  TRemovalEngine engine;
  EXPECT_TRUE(engine.ProcessCorvista(false));
  EXPECT_TRUE(engine.ProcessSendaro(false));
  EXPECT_TRUE(engine.ProcessCorvista(true));
  EXPECT_TRUE(engine.ProcessSendaro(true));
  EXPECT_FALSE(plant::KeyExists(HKEY_LOCAL_MACHINE, kIdent + plant::kCorvistaCode));
  EXPECT_FALSE(plant::KeyExists(HKEY_LOCAL_MACHINE, kIdent + plant::kSendaroCode));
  ExpectOnlyPlantedTracesChanged();
}

TEST_F(EngineTest, IdentCacheNeverDeletesAProtectedFolder) {
  const wchar_t* folders[] = {L"C:\\", L"C:\\windows", L"C:\\windows\\system32\\", L"C:\\users", L"C:\\ProgramData",
                              L"C:\\Program Files (x86)", L"c:\\PROGRAM FILES"};
  for (const wchar_t* folder : folders) {
    SCOPED_TRACE(testing::Message() << static_cast<const void*>(folder));
    plant::PlantIdentCache(plant::kSendaroCode, folder);
    // A look finds the entry; a listener of the look still hears why its folder would stay.
    EXPECT_TRUE(TRemovalEngine().ProcessSendaro(false));
    RecordingObserver looked;
    EXPECT_TRUE(TRemovalEngine({true, &looked}).ProcessSendaro(false));
    EXPECT_EQ(looked.skipped.size(), 1u);
    RecordingObserver seen;
    TRemovalEngine engine({true, &seen});
    EXPECT_TRUE(engine.ProcessSendaro(true));
    EXPECT_EQ(seen.skipped.size(), 1u);
    EXPECT_FALSE(plant::KeyExists(HKEY_LOCAL_MACHINE, kIdent + plant::kSendaroCode));
    EXPECT_TRUE(PathExists(folder));
  }
  EXPECT_TRUE(PathExists(L"C:\\windows\\system32\\kernel32.dll"));
  ExpectOnlyPlantedTracesChanged();
}

TEST_F(EngineTest, WrongValueTypeEndsTheCallWithTheRegistryError) {
  const std::wstring entry = kUninstall + L"\\{A0000000-0000-0000-0000-0000000000FF}";
  plant::SetDword(HKEY_LOCAL_MACHINE, entry, L"UninstallString", 7);
  plant::PlantIdentCache(plant::kSendaroCode, L"");
  for (bool remove : {false, true}) {
    TRemovalEngine engine;
    try {
      engine.ProcessSendaro(remove);
      ADD_FAILURE() << "no error";
    } catch (const hv::Exception& e) {
      EXPECT_EQ(e.Message(), L"Invalid data type for 'UninstallString'");
      EXPECT_EQ(e.ClassName(), L"ERegistryException");
    }
  }
  // Step 6 never ran: the cache entry is still there.
  EXPECT_TRUE(plant::KeyExists(HKEY_LOCAL_MACHINE, kIdent + plant::kSendaroCode));
  plant::DeleteTree(HKEY_LOCAL_MACHINE, entry);
  ExpectOnlyPlantedTracesChanged();
}

TEST_F(EngineTest, ADetectionPassGivesTheSameAnswersAndTraces) {
  plant::PlantProduct(L"Sendaro");
  plant::PlantUninstallEntry(L"{A0000000-0000-0000-0000-000000000010}", L"C:\\x\\SetupPelmark.exe");
  auto detect = [](bool withPass) {
    RecordingObserver seen;
    TRemovalEngine engine({true, &seen});
    std::optional<TRemovalEngine::DetectionPass> pass;
    if (withPass) pass.emplace(engine);
    bool a = engine.ProcessCorvista(false), b = engine.ProcessSendaro(false);
    std::vector<std::wstring> traces;
    for (auto& t : seen.found) traces.push_back(hv::DescribeTrace(t));
    return std::make_tuple(a, b, traces);
  };
  EXPECT_EQ(detect(false), detect(true));
  EXPECT_TRUE(std::get<0>(detect(true)));
  EXPECT_TRUE(std::get<1>(detect(true)));
  ExpectOnlyPlantedTracesChanged();
}

static LSTATUS WINAPI RefuseDeleteKey(HKEY, LPCWSTR, REGSAM, DWORD) { return ERROR_ACCESS_DENIED; }

TEST_F(EngineTest, ARefusedDeletionEndsTheCallWithTheFullKeyPath) {
  plant::PlantProduct(L"Corvista");
  hv::RegistryPlatformOps refuse = hv::RegistryOps();
  refuse.DeleteKey = &RefuseDeleteKey;
  TRemovalEngine engine;
  {
    hv::ScopedRegistryOps scope(refuse);
    try {
      engine.ProcessCorvista(true);
      ADD_FAILURE() << "no error";
    } catch (const hv::Exception& e) {
      EXPECT_EQ(e.Message(), L"Could not delete registry key: " + kUninstall + L"\\{1C0E7A5B-0D2F-4C11-9C55-6A3B2D1E0F01}");
    }
  }
  // The folders went first; the later steps never ran.
  EXPECT_FALSE(PathExists(pf + L"\\Halvern\\Corvista"));
  EXPECT_TRUE(plant::KeyExists(HKEY_LOCAL_MACHINE, kUninstall + L"\\Pelmark"));
  EXPECT_TRUE(plant::ValueExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Halvern\\Corvista", L"UninstallLink"));
  EXPECT_TRUE(plant::KeyExists(HKEY_LOCAL_MACHINE, kIdent + plant::kCorvistaCode));
  EXPECT_TRUE(engine.ProcessCorvista(true));  // once allowed again, the rest goes
  EXPECT_FALSE(engine.ProcessCorvista(false));
  ExpectOnlyPlantedTracesChanged();
}

// Where no host shell removes host links as links (pinned: not under Wine).
TEST_F(EngineTest, LinkedIdentCacheFoldersNeverReachTheirTargets) {
  hv::ScopedHostPins windows({.wine = false});
  filestest::Canary canary;
  ScratchDir cache;
  filestest::HostLinks links;  // removed first, so no clean-up meets a link
  // The cache value names a link to the canary; and another names a folder holding such a link.
  links.Make(cache / L"link", canary.Path());
  CreateDirectoryW((cache / L"holder").c_str(), nullptr);
  links.Make(cache / L"holder\\inner", canary.Path());
  plant::PlantIdentCache(plant::kCorvistaCode, cache / L"link");
  plant::PlantIdentCache(plant::kSendaroCode, cache / L"holder");

  RecordingObserver seen;
  TRemovalEngine engine({true, &seen});
  EXPECT_TRUE(engine.ProcessCorvista(true));
  EXPECT_EQ(seen.skipped.size(), 1u);
  EXPECT_FALSE(plant::KeyExists(HKEY_LOCAL_MACHINE, kIdent + plant::kCorvistaCode));
  // The tree with a link inside is refused, naming the link; its cache entry stays with it.
  std::wstring refusal;
  try {
    engine.ProcessSendaro(true);
    ADD_FAILURE() << "nothing raised";
  } catch (const hv::Exception& e) {
    refusal = e.Message();
  }
  EXPECT_EQ(refusal, hv::Fmt(L"Refusing to delete \"%s\": it contains a link that cannot be removed without deleting "
                             L"what it leads to:\r\n  %s",
                             cache / L"holder", cache / L"holder\\inner"));
  EXPECT_TRUE(plant::KeyExists(HKEY_LOCAL_MACHINE, kIdent + plant::kSendaroCode));
  EXPECT_TRUE(canary.Intact());
  ExpectOnlyPlantedTracesChanged();
}

// A shell that reports success but leaves the folder: the engine checks the outcome itself
// and ends the call naming the folder, before any registry trace goes.
TEST_F(EngineTest, AFolderThatSurvivesTheShellDeleteEndsTheCall) {
  plant::PlantProduct(L"Sendaro");
  const std::wstring folder = pf + L"\\Halvern\\Sendaro";
  hv::FilePlatform claimsSuccess;
  claimsSuccess.ShellFileOperation = [](SHFILEOPSTRUCTW*) { return 0; };
  {
    hv::ScopedFilePlatform scope(claimsSuccess);
    TRemovalEngine engine;
    try {
      engine.ProcessSendaro(true);
      ADD_FAILURE() << "nothing raised";
    } catch (const hv::Exception& e) {
      EXPECT_EQ(e.Message(), L"Could not delete: " + folder);
    }
  }
  EXPECT_TRUE(PathExists(folder + L"\\bin\\app.dat"));
  EXPECT_TRUE(plant::KeyExists(HKEY_LOCAL_MACHINE, kIdent + plant::kSendaroCode));
  EXPECT_TRUE(TRemovalEngine().ProcessSendaro(true));
  ExpectOnlyPlantedTracesChanged();
}

// An installation folder that is itself a junction (Wine makes none, so the listing marks an
// empty folder as one): removing it as a link is the whole deletion, and the removal goes on
// to the registry traces instead of failing on a path that is already gone.
TEST_F(EngineTest, AnInstallationFolderThatIsAJunctionGoesAsALinkWithoutAnError) {
  plant::PlantProduct(L"Sendaro");
  const std::wstring folder = pf + L"\\Halvern\\Sendaro";
  hv::DeletePathLX(folder, false);
  ASSERT_TRUE(CreateDirectoryW(folder.c_str(), nullptr));
  hv::FilePlatform marking;
  marking.AdjustListedEntry = [&](const std::wstring& path, WIN32_FIND_DATAW& data) {
    if (_wcsicmp(path.c_str(), hv::LongFileName(folder).c_str()) != 0) return;
    data.dwFileAttributes |= FILE_ATTRIBUTE_REPARSE_POINT;
    data.dwReserved0 = IO_REPARSE_TAG_MOUNT_POINT;
  };
  hv::ScopedFilePlatform scope(marking);
  TRemovalEngine engine;
  EXPECT_NO_THROW(EXPECT_TRUE(engine.ProcessSendaro(true)));
  EXPECT_FALSE(PathExists(folder));
  EXPECT_FALSE(plant::KeyExists(HKEY_LOCAL_MACHINE, kIdent + plant::kSendaroCode));
  EXPECT_FALSE(engine.ProcessSendaro(false));
  ExpectOnlyPlantedTracesChanged();
}

TEST_F(EngineTest, UnderWineLinksInIdentCacheFoldersGoAsLinks) {
  filestest::Canary canary;
  ScratchDir cache;
  filestest::HostLinks links;
  CreateDirectoryW((cache / L"holder").c_str(), nullptr);
  links.Make(cache / L"holder\\inner", canary.Path());
  links.Make(cache / L"holder\\dangling", cache / L"nowhere");
  plant::PlantIdentCache(plant::kSendaroCode, cache / L"holder");

  TRemovalEngine engine({true, nullptr});
  EXPECT_TRUE(engine.ProcessSendaro(true));
  EXPECT_FALSE(filestest::HostIsLink(cache / L"holder\\inner"));
  EXPECT_FALSE(filestest::HostIsLink(cache / L"holder\\dangling"));
  EXPECT_FALSE(hvtest::PathExists(cache / L"holder"));
  EXPECT_FALSE(plant::KeyExists(HKEY_LOCAL_MACHINE, kIdent + plant::kSendaroCode));
  EXPECT_TRUE(canary.Intact());
  ExpectOnlyPlantedTracesChanged();
}
