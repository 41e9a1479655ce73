// The one-call functions against real keys under a private scratch key.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "HvLXRegistry.h"
#include "HvTestRegistry.h"
#include "RegistryTestSupport.h"

using namespace hv;
using hvtest::MessageOf;
using hvtest::RefusedDeletions;
using hvtest::ScratchKey;

namespace {
const HKEY HKCU = HKEY_CURRENT_USER;

std::wstring UnableToOpen(const std::wstring& normalizedPath) {
  return L"Internal Error: Unable to open key: " + normalizedPath;
}
}  // namespace

TEST(RegNormalizeKeyPath, AddsOneLeadingAndDropsOneTrailingBackslash) {
  struct Case {
    const wchar_t* key;
    const wchar_t* normalized;
  } cases[] = {
      {L"", L"\\"},          {L"\\", L"\\"},          {L"A\\B", L"\\A\\B"},        {L"\\A\\B", L"\\A\\B"},
      {L"A\\B\\", L"\\A\\B"}, {L"\\A\\B\\", L"\\A\\B"}, {L"A\\B\\\\", L"\\A\\B\\"},
  };
  for (size_t i = 0; i < std::size(cases); ++i)
    EXPECT_EQ(RegNormalizeKeyPath(cases[i].key), cases[i].normalized) << "case " << i;
}

TEST(RegistryFunctions, WritesCreateTheWholePathAndStoreTheUsualTypes) {
  ScratchKey scratch;
  const std::wstring key = scratch / L"Ünïcödé\\日本語\\Deep";
  RegWriteStringLX(HKCU, key, L"Nämé ✓", L"Wért €");
  RegWriteIntegerLX(HKCU, key, L"Int", -42);
  RegWriteBoolLX(HKCU, key, L"Yes", true);
  RegWriteBoolLX(HKCU, key, L"No", false);

  ASSERT_TRUE(scratch.HasKey(L"Ünïcödé\\日本語\\Deep"));
  EXPECT_EQ(RegReadStringLX(HKCU, key, L"Nämé ✓"), L"Wért €");
  EXPECT_EQ(RegReadIntegerLX(HKCU, L"\\" + key, L"Int"), -42);
  EXPECT_TRUE(RegReadBoolLX(HKCU, key, L"Yes"));
  EXPECT_FALSE(RegReadBoolLX(HKCU, key, L"No"));

  // What other programs see: a REG_SZ with its NUL, and Booleans as the DWORDs 1 and 0.
  DWORD type = 0, size = 0;
  ASSERT_EQ(RegGetValueW(HKCU, key.c_str(), L"Nämé ✓", RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, DWORD(REG_SZ));
  EXPECT_EQ(size, (std::wstring(L"Wért €").size() + 1) * sizeof(wchar_t));
  for (auto [name, want] : {std::pair{L"Yes", 1u}, {L"No", 0u}, {L"Int", 0xFFFFFFD6u}}) {
    DWORD value = 99;
    size = sizeof(value);
    ASSERT_EQ(RegGetValueW(HKCU, key.c_str(), name, RRF_RT_REG_DWORD, nullptr, &value, &size), ERROR_SUCCESS);
    EXPECT_EQ(value, want) << testing::PrintToString(std::wstring(name));
  }
}

TEST(RegistryFunctions, ReadsWithoutDefaultRequireTheKey) {
  ScratchKey scratch;
  scratch.CreateKey(L"Present");
  const std::wstring missingKey = scratch / L"Missing\\";  // normalized without the trailing "\"
  const std::wstring expected = UnableToOpen(L"\\" + scratch / L"Missing");
  EXPECT_EQ(MessageOf<EHvInternalError>([&] { RegReadStringLX(HKCU, missingKey, L"v"); }), expected);
  EXPECT_EQ(MessageOf<EHvInternalError>([&] { RegReadIntegerLX(HKCU, missingKey, L"v"); }), expected);
  EXPECT_EQ(MessageOf<EHvInternalError>([&] { RegReadBoolLX(HKCU, missingKey, L"v"); }), expected);

  // A missing value: only the string read has a natural empty answer.
  const std::wstring present = scratch / L"Present";
  EXPECT_EQ(RegReadStringLX(HKCU, present, L"Nope"), L"");
  EXPECT_EQ(MessageOf<ERegistryException>([&] { RegReadIntegerLX(HKCU, present, L"Nope"); }),
            L"Failed to get data for 'Nope'");
  EXPECT_EQ(MessageOf<ERegistryException>([&] { RegReadBoolLX(HKCU, present, L"Nope"); }),
            L"Failed to get data for 'Nope'");
}

TEST(RegistryFunctions, ReadsWithDefaultFallBackOnlyWhenSomethingIsMissing) {
  ScratchKey scratch;
  scratch.SetString(L"WithDefault", L"", L"the default value");
  scratch.SetString(L"WithDefault", L"Empty", L"");
  scratch.SetDword(L"WithDefault", L"Number", 7);
  scratch.CreateKey(L"Bare");
  const std::wstring withDefault = scratch / L"WithDefault", bare = scratch / L"Bare";

  // The empty name is the key's default value.
  EXPECT_EQ(RegReadStringDefLX(HKCU, withDefault, L"", L"def"), L"the default value");
  EXPECT_EQ(RegReadStringDefLX(HKCU, bare, L"", L"def"), L"def");
  // An existing empty text is a value, not an absence.
  EXPECT_EQ(RegReadStringDefLX(HKCU, withDefault, L"Empty", L"def"), L"");
  EXPECT_EQ(RegReadIntegerDefLX(HKCU, withDefault, L"Number", 10), 7);
  EXPECT_TRUE(RegReadBoolDefLX(HKCU, withDefault, L"Number", false));

  for (const std::wstring& key : {bare, scratch / L"Missing\\Deeper"}) {
    EXPECT_EQ(RegReadStringDefLX(HKCU, key, L"v", L"def"), L"def");
    EXPECT_EQ(RegReadIntegerDefLX(HKCU, key, L"v", 10), 10);
    EXPECT_TRUE(RegReadBoolDefLX(HKCU, key, L"v", true));
  }
  EXPECT_FALSE(scratch.HasKey(L"Missing"));
}

TEST(RegistryFunctions, IntegerReadOfTextRaisesInsteadOfDefaulting) {
  ScratchKey scratch;
  // "a" plus NUL fits the 4 bytes of an integer, so only its type is wrong; longer text does
  // not even fit.
  struct Case {
    const wchar_t* text;
    const wchar_t* message;
  } cases[] = {
      {L"a", L"Invalid data type for 'v'"},
      {L"", L"Invalid data type for 'v'"},
      {L"1234", L"Failed to get data for 'v'"},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    scratch.SetString(L"", L"v", cases[i].text);
    EXPECT_EQ(MessageOf<ERegistryException>([&] { RegReadIntegerDefLX(HKCU, scratch.Path(), L"v", 10); }),
              cases[i].message)
        << "case " << i;
    EXPECT_EQ(MessageOf<ERegistryException>([&] { RegReadBoolDefLX(HKCU, scratch.Path(), L"v", true); }),
              cases[i].message)
        << "case " << i;
  }
  scratch.SetDword(L"", L"n", 5);
  EXPECT_EQ(MessageOf<ERegistryException>([&] { RegReadStringDefLX(HKCU, scratch.Path(), L"n", L"def"); }),
            L"Invalid data type for 'n'");
}

TEST(RegistryFunctions, EmptyKeyIsAProgrammingError) {
  std::function<void()> calls[] = {
      [] { RegReadBoolLX(HKCU, L"", L"v"); },
      [] { RegReadIntegerLX(HKCU, L"", L"v"); },
      [] { RegReadStringLX(HKCU, L"", L"v"); },
      [] { RegReadBoolDefLX(HKCU, L"", L"v", false); },
      [] { RegReadIntegerDefLX(HKCU, L"", L"v", 0); },
      [] { RegReadStringDefLX(HKCU, L"", L"v", L""); },
      [] { RegWriteBoolLX(HKCU, L"", L"HvTestsMustNotExist", true); },
      [] { RegWriteIntegerLX(HKCU, L"", L"HvTestsMustNotExist", 1); },
      [] { RegWriteStringLX(HKCU, L"", L"HvTestsMustNotExist", L"x"); },
      [] { RegDeleteValueLX(HKCU, L"", L"HvTestsMustNotExist"); },
      [] { RegDeleteKeyLX(HKCU, L""); },
  };
  for (size_t i = 0; i < std::size(calls); ++i) EXPECT_THROW(calls[i](), EAssertionFailed) << "call " << i;
  EXPECT_FALSE(RegValueExistsLX(HKCU, L"", L"HvTestsMustNotExist"));
}

TEST(RegistryFunctions, ExistenceTestsAnswerWithoutRaising) {
  ScratchKey scratch;
  scratch.SetString(L"K", L"v", L"x");
  scratch.CreateKey(L"NoDefault");
  const std::wstring key = scratch / L"K";
  for (const std::wstring& spelling : {key, L"\\" + key, key + L"\\"}) {
    EXPECT_TRUE(RegKeyExistsLX(HKCU, spelling)) << testing::PrintToString(spelling);
    EXPECT_TRUE(RegValueExistsLX(HKCU, spelling, L"v")) << testing::PrintToString(spelling);
  }
  EXPECT_FALSE(RegKeyExistsLX(HKCU, scratch / L"Missing"));
  EXPECT_FALSE(RegValueExistsLX(HKCU, key, L"Missing"));
  EXPECT_FALSE(RegValueExistsLX(HKCU, scratch / L"Missing", L"v"));
  EXPECT_FALSE(RegValueExistsLX(HKCU, scratch / L"NoDefault", L""));
}

TEST(RegistryFunctions, KeyNamesComeInEnumerationOrder) {
  ScratchKey scratch;
  const std::wstring longName(255, L'L');
  for (const std::wstring& name : {std::wstring(L"zeta"), std::wstring(L"Alpha"), std::wstring(L"ßeta日本"), longName})
    scratch.CreateKey(L"Parent\\" + name);
  scratch.CreateKey(L"Parent\\zeta\\grandchild");
  scratch.CreateKey(L"Leaf");

  const std::vector<std::wstring> expected = scratch.SubKeys(L"Parent");
  ASSERT_EQ(expected.size(), 4u);
  EXPECT_EQ(RegGetKeyNamesLX(HKCU, scratch / L"Parent"), expected);
  EXPECT_EQ(RegGetKeyNamesLX(HKCU, L"\\" + scratch / L"Parent"), expected);
  EXPECT_TRUE(RegGetKeyNamesLX(HKCU, scratch / L"Leaf").empty());
  EXPECT_TRUE(RegGetKeyNamesLX(HKCU, scratch / L"Missing").empty());
}

TEST(RegistryFunctions, HugeValuesAreReadWhole) {
  ScratchKey scratch;
  std::wstring text(1 << 20, L'x');
  for (size_t i = 0; i < text.size(); i += 1000) text[i] = static_cast<wchar_t>(L'A' + (i / 1000) % 26);
  scratch.SetString(L"", L"Big", text);
  const std::wstring longName(16383, L'n');  // the longest value name the system allows
  scratch.SetString(L"", longName, L"found");

  EXPECT_EQ(RegReadStringLX(HKCU, scratch.Path(), L"Big"), text);
  EXPECT_EQ(RegReadStringDefLX(HKCU, scratch.Path(), L"Big", L""), text);
  EXPECT_EQ(RegReadStringLX(HKCU, scratch.Path(), longName), L"found");
}

TEST(RegistryFunctions, RefusedWritesRaise) {
  ScratchKey scratch;
  // One character over the system's limit for value names: a refusal Wine gives for real.
  const std::wstring tooLong(16384, L'n');
  const std::wstring expected = L"Failed to set data for '" + tooLong + L"'";
  EXPECT_EQ(MessageOf<ERegistryException>([&] { RegWriteStringLX(HKCU, scratch.Path(), tooLong, L"x"); }), expected);
  EXPECT_EQ(MessageOf<ERegistryException>([&] { RegWriteIntegerLX(HKCU, scratch.Path(), tooLong, 1); }), expected);

  // A key that may be read but not changed cannot be opened for writing.
  scratch.SetString(L"ReadOnly", L"v", L"kept");
  scratch.Restrict(L"ReadOnly", KEY_READ);
  const std::wstring readOnly = scratch / L"ReadOnly";
  EXPECT_EQ(MessageOf<EHvInternalError>([&] { RegWriteStringLX(HKCU, readOnly, L"v", L"new"); }),
            UnableToOpen(L"\\" + readOnly));
  EXPECT_EQ(MessageOf<EHvInternalError>([&] { RegDeleteValueLX(HKCU, readOnly, L"v"); }),
            UnableToOpen(L"\\" + readOnly));
  EXPECT_EQ(RegReadStringLX(HKCU, readOnly, L"v"), L"kept");
  // Nothing to delete is no failure, even where nothing could be deleted.
  RegDeleteValueLX(HKCU, readOnly, L"Missing");
}

TEST(RegistryFunctions, DeleteValueRemovesOnlyTheValue) {
  ScratchKey scratch;
  scratch.SetString(L"K", L"V", L"x");
  scratch.SetDword(L"K", L"W", 1);
  const std::wstring key = scratch / L"K";

  RegDeleteValueLX(HKCU, key, L"V");
  EXPECT_FALSE(scratch.HasValue(L"K", L"V"));
  EXPECT_TRUE(scratch.HasValue(L"K", L"W"));
  RegDeleteValueLX(HKCU, L"\\" + key, L"W");
  EXPECT_FALSE(scratch.HasValue(L"K", L"W"));
  EXPECT_TRUE(scratch.HasKey(L"K"));  // an emptied key stays

  RegDeleteValueLX(HKCU, key, L"V");
  RegDeleteValueLX(HKCU, scratch / L"Missing", L"V");
  EXPECT_FALSE(scratch.HasKey(L"Missing"));
}

TEST(RegistryFunctions, DeleteKeyRemovesTheWholeTree) {
  ScratchKey scratch;
  for (const wchar_t* sub : {L"T\\A\\A1\\A11", L"T\\A\\A2", L"T\\B", L"T\\Ä日本\\x", L"Sibling"})
    scratch.SetString(sub, L"v", L"x");
  scratch.SetString(L"T", L"v", L"x");

  RegDeleteKeyLX(HKCU, scratch / L"T");
  EXPECT_FALSE(scratch.HasKey(L"T"));
  EXPECT_TRUE(scratch.HasKey(L"Sibling"));

  RegDeleteKeyLX(HKCU, scratch / L"T");  // already gone: nothing to do
  RegDeleteKeyLX(HKCU, L"\\" + scratch / L"Sibling");
  EXPECT_FALSE(scratch.HasKey(L"Sibling"));
}

TEST(RegistryFunctions, RefusedKeyDeletionRaisesAndKeepsWhatWasAlreadyDeleted) {
  ScratchKey scratch;
  for (const wchar_t* sub : {L"T\\A\\G", L"T\\B\\G", L"T\\C\\G"}) scratch.CreateKey(sub);
  const std::vector<std::wstring> order = scratch.SubKeys(L"T");
  const size_t refused = std::find(order.begin(), order.end(), L"B") - order.begin();
  ASSERT_LT(refused, order.size());

  const std::wstring key = scratch / L"T";
  {
    RefusedDeletions refuse(L"B");
    std::wstring message;
    try {
      RegDeleteKeyLX(HKCU, key);
      ADD_FAILURE() << "nothing raised";
    } catch (const EHvInternalError&) {
      ADD_FAILURE() << "a refusal is no programming error";
    } catch (const Exception& e) {
      EXPECT_EQ(e.ClassName(), L"Exception");
      message = e.Message();
    }
    EXPECT_EQ(message, L"Could not delete registry key: " + key);
  }
  EXPECT_TRUE(scratch.HasKey(L"T"));
  EXPECT_TRUE(scratch.HasKey(L"T\\B"));
  EXPECT_FALSE(scratch.HasKey(L"T\\B\\G"));
  // Sub-keys go from the highest index down: those after B went before the refusal; the walk
  // does not stop there, so the rest go as well.
  for (size_t i = 0; i < order.size(); ++i) {
    if (i == refused) continue;
    EXPECT_FALSE(scratch.HasKey(L"T\\" + order[i])) << testing::PrintToString(order[i]);
  }
}

TEST(RegistryFunctions, RefusedValueDeletionRaises) {
  ScratchKey scratch;
  scratch.SetString(L"K", L"V", L"x");
  const std::wstring key = scratch / L"K\\";  // reported as the caller wrote it
  RefusedDeletions refuse(L"V");
  EXPECT_EQ(MessageOf<Exception>([&] { RegDeleteValueLX(HKCU, key, L"V"); }),
            L"Could not delete registry value: " + key + L"\\V");
  EXPECT_TRUE(scratch.HasValue(L"K", L"V"));
}

TEST(RegistryFunctions, DeleteKeyNeverTouchesTheRoot) {
  // Every deletion is refused and recorded, so a fault here cannot cost the prefix its keys.
  RefusedDeletions refuseAll(L"*");
  EXPECT_EQ(MessageOf<Exception>([] { RegDeleteKeyLX(HKCU, L"\\"); }), L"Could not delete registry key: \\");
  RegDeleteKeyLX(HKCU, L"\\\\");
  EXPECT_TRUE(RefusedDeletions::Attempts().empty()) << testing::PrintToString(RefusedDeletions::Attempts());
}

TEST(RegistryFunctions, MachineKeysOfThis32BitProgramLiveInThe32BitView) {
  ScratchKey scratch(HKEY_LOCAL_MACHINE);
  const std::wstring key = scratch / L"App";
  RegWriteStringLX(HKEY_LOCAL_MACHINE, key, L"DisplayName", L"Product");

  // Seen from the 64-bit view, the key sits below Wow6432Node and nowhere else.
  const std::wstring inWow64Node = L"SOFTWARE\\Wow6432Node" + key.substr(std::wstring(L"SOFTWARE").size());
  wchar_t text[32];
  DWORD size = sizeof(text);
  HKEY node;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, inWow64Node.c_str(), 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY, &node),
            ERROR_SUCCESS);
  const LSTATUS read = RegGetValueW(node, nullptr, L"DisplayName", RRF_RT_REG_SZ, nullptr, text, &size);
  RegCloseKey(node);
  ASSERT_EQ(read, ERROR_SUCCESS);
  EXPECT_STREQ(text, L"Product");
  HKEY native;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &native), ERROR_FILE_NOT_FOUND);

  EXPECT_EQ(RegReadStringLX(HKEY_LOCAL_MACHINE, key, L"DisplayName"), L"Product");
  EXPECT_EQ(RegGetKeyNamesLX(HKEY_LOCAL_MACHINE, scratch.Path()), std::vector<std::wstring>{L"App"});
  RegDeleteKeyLX(HKEY_LOCAL_MACHINE, key);
  EXPECT_FALSE(scratch.HasKey(L"App"));
}

// Windows keeps the installer's product registrations once for both views; a 64-bit Wine prefix
// keeps them only in its 64-bit view, where its msiexec writes them.
TEST(RegistryFunctions, InstallerRegistrationsAreOpenedInThe64BitView) {
  const std::wstring key = L"Installer\\Products\\00HV5C0DE0000000000000000000000A";
  RegDeleteKeyLX(HKEY_CLASSES_ROOT, key);
  RegWriteStringLX(HKEY_CLASSES_ROOT, key + L"\\SourceList", L"PackageName", L"p.msi");
  RegWriteStringLX(HKEY_CLASSES_ROOT, key, L"ProductName", L"Product");

  HKEY opened;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &opened), ERROR_SUCCESS);
  RegCloseKey(opened);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | KEY_WOW64_32KEY, &opened), ERROR_FILE_NOT_FOUND)
      << "Wine's 32-bit view of HKCR is a key of its own";

  EXPECT_EQ(RegReadStringLX(HKEY_CLASSES_ROOT, key, L"ProductName"), L"Product");
  // The same key reached from HKLM, and from a parent that is not shared (opened in the
  // program's view) by a relative path.
  EXPECT_EQ(RegReadStringLX(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\" + key, L"ProductName"), L"Product");
  // A fresh prefix has no HKCR\Installer in the 32-bit view: the test makes one for the walk.
  HKEY parent32 = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(HKEY_CLASSES_ROOT, L"Installer", 0, nullptr, 0, KEY_READ | KEY_WOW64_32KEY, nullptr,
                            &parent32, &disposition),
            ERROR_SUCCESS);
  RegCloseKey(parent32);
  {
    THvRegistryLX registry(HKEY_CLASSES_ROOT, KEY_READ);
    registry.GotoKey(L"Installer", false);
    ASSERT_TRUE(registry.OpenKey(L"Products\\00HV5C0DE0000000000000000000000A", false));
    EXPECT_EQ(registry.ReadString(L"ProductName"), L"Product");
  }
  if (disposition == REG_CREATED_NEW_KEY) RegDeleteKeyExW(HKEY_CLASSES_ROOT, L"Installer", KEY_WOW64_32KEY, 0);

  RegDeleteKeyLX(HKEY_CLASSES_ROOT, key);
  EXPECT_EQ(RegOpenKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &opened), ERROR_FILE_NOT_FOUND);
}

TEST(RegistryFunctions, OnlyTheInstallerProductsFamilyIsShared) {
  const struct {
    HKEY root;
    const wchar_t* path;
    bool shared;
  } cases[] = {
      {HKEY_CLASSES_ROOT, L"Installer\\Products", true},
      {HKEY_CLASSES_ROOT, L"\\installer\\PRODUCTS\\X\\SourceList", true},
      {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Classes\\Installer\\Products\\X", true},
      {HKEY_CLASSES_ROOT, L"Installer", false},
      {HKEY_CLASSES_ROOT, L"Installer\\ProductsX", false},
      {HKEY_CLASSES_ROOT, L"Installer\\Features\\X", false},
      {HKEY_CURRENT_USER, L"Installer\\Products", false},
      // The user's own classes, read and deleted where they live, in the same view.
      {HKEY_CURRENT_USER, L"Software\\Classes\\Installer\\Products\\X\\SourceList", true},
      {HKEY_CURRENT_USER, L"Software\\Classes\\Installer", false},
      {HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall", false},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(IsKeySharedByViews(c.root, c.path), c.shared) << std::string(c.path, c.path + wcslen(c.path));
    EXPECT_EQ(ProgramRegistryViewFor(c.root, c.path), c.shared ? REGSAM(KEY_WOW64_64KEY) : kProgramRegistryView);
  }
}
