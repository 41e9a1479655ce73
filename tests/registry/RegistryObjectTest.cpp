// TRegistry and THvRegistryLX against real keys under a private scratch key.
#include <gtest/gtest.h>

#include <cstring>
#include <optional>
#include <variant>

#include "HvLXRegistry.h"
#include "HvTestRegistry.h"
#include "RegistryTestSupport.h"

using namespace hv;
using hvtest::MessageOf;
using hvtest::RefusedDeletions;
using hvtest::ScratchKey;
using hvtest::Utf16Bytes;

namespace {

// Last component of a path.
std::wstring LeafOf(const std::wstring& path) { return path.substr(path.rfind(L'\\') + 1); }

// One stored form of a value: its type and raw bytes (no value at all when `missing`).
struct Stored {
  DWORD type;
  std::string bytes;
  bool missing;
};
Stored Value(DWORD type, std::string bytes) { return {type, std::move(bytes), false}; }
Stored Missing() { return {REG_NONE, {}, true}; }

std::string Bytes(const void* data, size_t size) { return std::string(static_cast<const char*>(data), size); }
template <class T>
std::string BytesOf(T value) {
  return Bytes(&value, sizeof(value));
}

void Plant(const ScratchKey& scratch, const std::wstring& name, const Stored& stored) {
  if (!stored.missing)
    scratch.SetValue(L"", name, stored.type, stored.bytes.data(), static_cast<DWORD>(stored.bytes.size()));
}

// The message of an ERegistryException a read raised.
struct Raised {
  std::wstring message;
  bool operator==(const Raised&) const = default;
};
[[maybe_unused]] void PrintTo(const Raised& raised, std::ostream* out) {
  *out << "raised " << testing::PrintToString(raised.message);
}

// What a read gave: its result or its exception.
template <class T>
using Outcome = std::variant<T, Raised>;

template <class T, class Read>
Outcome<T> OutcomeOf(Read read) {
  try {
    return read();
  } catch (const ERegistryException& e) {
    return Raised{e.Message()};
  }
}

template <class T>
struct ReadCase {
  Stored stored;
  Outcome<T> expected;
};

// Plants each case as the value "v" of the scratch key and reads it back with `read`.
template <class T, class Read>
void ExpectReads(const ScratchKey& scratch, const std::vector<ReadCase<T>>& cases, Read read) {
  for (size_t i = 0; i < cases.size(); ++i) {
    RegDeleteKeyValueW(HKEY_CURRENT_USER, scratch.Path().c_str(), L"v");
    Plant(scratch, L"v", cases[i].stored);
    TRegistry registry;
    ASSERT_TRUE(registry.OpenKey(scratch.Path(), false));
    EXPECT_EQ(OutcomeOf<T>([&] { return read(registry); }), cases[i].expected) << "case " << i;
  }
}

}  // namespace

TEST(TRegistry, OpenKeyFollowsThePathRulesAndFailsWithoutChanges) {
  ScratchKey scratch;
  scratch.CreateKey(L"A\\B");
  TRegistry registry;
  EXPECT_EQ(registry.RootKey(), HKEY_CURRENT_USER);
  EXPECT_EQ(registry.Access(), hv::WithProgramRegistryView(KEY_ALL_ACCESS));

  ASSERT_TRUE(registry.OpenKey(scratch.Path(), false));  // no key open: relative to the root
  EXPECT_EQ(registry.CurrentPath(), scratch.Path());
  ASSERT_TRUE(registry.OpenKey(L"A", false));
  EXPECT_EQ(registry.CurrentPath(), scratch / L"A");
  ASSERT_TRUE(registry.OpenKey(L"B", false));
  EXPECT_EQ(registry.CurrentPath(), scratch / L"A\\B");
  ASSERT_TRUE(registry.OpenKey(L"\\" + scratch / L"A", false));
  EXPECT_EQ(registry.CurrentPath(), scratch / L"A");

  const HKEY open = registry.CurrentKey();
  EXPECT_FALSE(registry.OpenKey(L"Missing", false));
  EXPECT_EQ(registry.LastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(registry.CurrentKey(), open);
  EXPECT_EQ(registry.CurrentPath(), scratch / L"A");
  EXPECT_FALSE(scratch.HasKey(L"A\\Missing"));

  ASSERT_TRUE(registry.OpenKey(L"New\\Deeper", true));
  EXPECT_EQ(registry.CurrentPath(), scratch / L"A\\New\\Deeper");
  EXPECT_TRUE(scratch.HasKey(L"A\\New\\Deeper"));

  registry.SetRootKey(HKEY_CURRENT_USER);  // same root: the key stays open
  EXPECT_NE(registry.CurrentKey(), nullptr);
  registry.SetRootKey(HKEY_LOCAL_MACHINE);
  EXPECT_EQ(registry.CurrentKey(), nullptr);
  EXPECT_EQ(registry.CurrentPath(), L"");
}

TEST(TRegistry, OpenKeyReadOnlyTakesTheStrongestReadMaskAndKeepsTheView) {
  ScratchKey scratch;
  constexpr REGSAM kReadOnly = STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;
  struct Case {
    std::optional<DWORD> restrictTo;
    REGSAM expected;
  } cases[] = {
      {std::nullopt, KEY_READ},
      {kReadOnly, kReadOnly},
      {KEY_QUERY_VALUE, KEY_QUERY_VALUE},
  };
  for (size_t i = 0; i < std::size(cases); ++i) {
    const std::wstring sub = L"K" + std::to_wstring(i);
    scratch.SetString(sub, L"v", L"readable");
    if (cases[i].restrictTo) scratch.Restrict(sub, *cases[i].restrictTo);

    TRegistry registry(KEY_ALL_ACCESS | KEY_WOW64_32KEY);
    ASSERT_TRUE(registry.OpenKeyReadOnly(scratch / sub)) << "case " << i;
    EXPECT_EQ(registry.Access(), cases[i].expected | KEY_WOW64_32KEY) << "case " << i;
    EXPECT_EQ(registry.CurrentPath(), scratch / sub) << "case " << i;
    EXPECT_EQ(registry.ReadString(L"v"), L"readable") << "case " << i;
  }

  TRegistry registry;
  EXPECT_FALSE(registry.OpenKeyReadOnly(scratch / L"Missing"));
  EXPECT_EQ(registry.Access(), hv::WithProgramRegistryView(KEY_ALL_ACCESS));
  EXPECT_EQ(registry.CurrentKey(), nullptr);
}

// The 64-bit build opens keys in the 32-bit programs' view unless the caller names a view.
TEST(TRegistry, AddsTheProgramViewUnlessTheAccessNamesOne) {
  EXPECT_EQ(TRegistry(KEY_READ).Access(), KEY_READ | kProgramRegistryView);
  EXPECT_EQ(TRegistry(KEY_READ | KEY_WOW64_64KEY).Access(), REGSAM(KEY_READ | KEY_WOW64_64KEY));
  TRegistry registry;
  registry.SetAccess(KEY_WRITE);
  EXPECT_EQ(registry.Access(), KEY_WRITE | kProgramRegistryView);
  EXPECT_EQ(kProgramRegistryView, sizeof(void*) == 8 ? REGSAM(KEY_WOW64_32KEY) : REGSAM(0));
}

TEST(TRegistry, KeyExistsLeavesTheOpenKeyAndAccessAlone) {
  ScratchKey scratch;
  scratch.CreateKey(L"A\\B");
  scratch.CreateKey(L"A\\Locked");
  scratch.Restrict(L"A\\Locked", STANDARD_RIGHTS_READ | KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS);
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(scratch / L"A", false));
  registry.SetAccess(KEY_QUERY_VALUE);
  const HKEY open = registry.CurrentKey();

  EXPECT_TRUE(registry.KeyExists(L"B"));
  EXPECT_TRUE(registry.KeyExists(L"\\" + scratch / L"A\\B"));
  EXPECT_TRUE(registry.KeyExists(L"Locked"));
  EXPECT_FALSE(registry.KeyExists(L"Missing"));
  EXPECT_EQ(registry.CurrentKey(), open);
  EXPECT_EQ(registry.CurrentPath(), scratch / L"A");
  EXPECT_EQ(registry.Access(), hv::WithProgramRegistryView(KEY_QUERY_VALUE));
}

TEST(TRegistry, GetKeyNamesReplacesTheList) {
  ScratchKey scratch;
  scratch.CreateKey(L"P\\One");
  scratch.CreateKey(L"P\\Two");
  std::vector<std::wstring> names{L"stale"};
  TRegistry registry;
  registry.GetKeyNames(names);  // no key open
  EXPECT_TRUE(names.empty());
  names = {L"stale"};
  ASSERT_TRUE(registry.OpenKey(scratch / L"P", false));
  registry.GetKeyNames(names);
  EXPECT_EQ(names, scratch.SubKeys(L"P"));
}

TEST(TRegistry, ReadStringTakesTextUpToItsFirstNulWithoutReadingPastTheData) {
  ScratchKey scratch;
  const std::wstring big(300000, L'b');
  const std::vector<ReadCase<std::wstring>> cases = {
      {Value(REG_SZ, Utf16Bytes(L"plain")), L"plain"},
      {Value(REG_EXPAND_SZ, Utf16Bytes(L"%SystemRoot%\\x")), L"%SystemRoot%\\x"},
      {Value(REG_SZ, Utf16Bytes(L"no nul", false)), L"no nul"},
      {Value(REG_SZ, Utf16Bytes(L"odd", false) + "d"), L"odd"},
      {Value(REG_SZ, Utf16Bytes(std::wstring(L"ab\0cd", 5))), L"ab"},
      {Value(REG_SZ, Utf16Bytes(big)), big},
      {Value(REG_SZ, ""), L""},
      {Value(REG_BINARY, ""), L""},  // zero bytes read as empty, whatever the type
      {Missing(), L""},
      {Value(REG_DWORD, BytesOf<DWORD>(1)), Raised{L"Invalid data type for 'v'"}},
      {Value(REG_BINARY, "abcd"), Raised{L"Invalid data type for 'v'"}},
      {Value(REG_MULTI_SZ, Utf16Bytes(L"a") + Utf16Bytes(L"")), Raised{L"Invalid data type for 'v'"}},
  };
  ExpectReads(scratch, cases, [](TRegistry& registry) { return registry.ReadString(L"v"); });
}

TEST(TRegistry, NumberReadsAcceptOnlyTheirExactStoredForm) {
  ScratchKey scratch;
  const Raised failed{L"Failed to get data for 'v'"}, invalid{L"Invalid data type for 'v'"};
  const std::vector<ReadCase<int>> integers = {
      {Value(REG_DWORD, BytesOf<DWORD>(0xFFFFFFF9)), -7},
      {Value(REG_DWORD, "\x01\x02"), invalid},  // a short DWORD would leave bytes unset
      {Value(REG_BINARY, BytesOf<DWORD>(1)), invalid},
      {Value(REG_SZ, Utf16Bytes(L"a")), invalid},
      {Value(REG_SZ, Utf16Bytes(L"long")), failed},
      {Value(REG_QWORD, BytesOf<ULONGLONG>(1)), failed},
      {Missing(), failed},
  };
  ExpectReads(scratch, integers, [](TRegistry& registry) { return registry.ReadInteger(L"v"); });

  const std::vector<ReadCase<double>> floats = {
      {Value(REG_BINARY, BytesOf(2.5)), 2.5},
      {Value(REG_BINARY, BytesOf(2.5) + "x"), invalid},
      {Value(REG_BINARY, BytesOf<DWORD>(1)), invalid},
      {Value(REG_DWORD, BytesOf<DWORD>(1)), invalid},
      {Value(REG_QWORD, BytesOf(2.5)), invalid},
      {Value(REG_SZ, Utf16Bytes(L"2.5")), invalid},
      {Missing(), failed},
  };
  ExpectReads(scratch, floats, [](TRegistry& registry) { return registry.ReadFloat(L"v"); });
}

TEST(TRegistry, ReadBinaryDataRejectsWhatDoesNotFitOrIsText) {
  ScratchKey scratch;
  scratch.SetValue(L"", L"Raw", REG_NONE, "abc", 3);
  scratch.SetValue(L"", L"Multi", REG_MULTI_SZ, "a\0\0\0\0\0", 6);
  scratch.SetValue(L"", L"Nine", REG_BINARY, "123456789", 9);
  scratch.SetString(L"", L"Text", L"x");
  scratch.SetString(L"", L"Expand", L"x", REG_EXPAND_SZ);
  scratch.SetDword(L"", L"Number", 1);
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(scratch.Path(), false));

  char buffer[8] = {};
  EXPECT_EQ(registry.ReadBinaryData(L"Missing", buffer, sizeof(buffer)), 0);
  EXPECT_EQ(registry.ReadBinaryData(L"Raw", buffer, sizeof(buffer)), 3);
  EXPECT_EQ(std::string(buffer, 3), "abc");
  EXPECT_EQ(registry.ReadBinaryData(L"Multi", buffer, sizeof(buffer)), 6);
  for (const wchar_t* name : {L"Nine", L"Text", L"Expand", L"Number"})
    EXPECT_EQ(MessageOf<ERegistryException>([&] { registry.ReadBinaryData(name, buffer, sizeof(buffer)); }),
              std::wstring(L"Invalid data type for '") + name + L"'");

  // Larger than any buffer a fixed size would suggest, both ways.
  std::string big(2 << 20, '\0');
  for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
  registry.WriteBinaryData(L"Big", big.data(), static_cast<int>(big.size()));
  std::string back(big.size(), '\0');
  EXPECT_EQ(registry.ReadBinaryData(L"Big", back.data(), static_cast<int>(back.size())), static_cast<int>(big.size()));
  EXPECT_TRUE(back == big);
}

TEST(TRegistry, WritesFailLoudlyWithoutAWritableKey) {
  ScratchKey scratch;
  TRegistry registry;
  EXPECT_EQ(MessageOf<ERegistryException>([&] { registry.WriteString(L"v", L"x"); }), L"Failed to set data for 'v'");
  ASSERT_TRUE(registry.OpenKeyReadOnly(scratch.Path()));
  EXPECT_EQ(MessageOf<ERegistryException>([&] { registry.WriteInteger(L"n", 1); }), L"Failed to set data for 'n'");
  EXPECT_EQ(MessageOf<ERegistryException>([&] { registry.WriteBool(L"b", true); }), L"Failed to set data for 'b'");
  EXPECT_FALSE(scratch.HasValue(L"", L"n"));
}

TEST(TRegistry, DeleteKeyWorksRelativeToTheOpenKeyButNeverOnItsBase) {
  ScratchKey scratch;
  scratch.CreateKey(L"Open\\Child\\Grandchild");
  scratch.CreateKey(L"Open\\Other");
  TRegistry registry;
  ASSERT_TRUE(registry.OpenKey(scratch / L"Open", false));
  {
    // "" and "\" would name the open key and the root themselves.
    RefusedDeletions refuseAll(L"*");
    EXPECT_FALSE(registry.DeleteKey(L""));
    EXPECT_FALSE(registry.DeleteKey(L"\\"));
    EXPECT_TRUE(RefusedDeletions::Attempts().empty()) << testing::PrintToString(RefusedDeletions::Attempts());
  }
  EXPECT_TRUE(registry.DeleteKey(L"Child"));
  EXPECT_FALSE(scratch.HasKey(L"Open\\Child"));
  EXPECT_TRUE(scratch.HasKey(L"Open\\Other"));
  EXPECT_FALSE(registry.DeleteKey(L"Child"));
  EXPECT_EQ(registry.LastError(), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(registry.CurrentPath(), scratch / L"Open");
}

TEST(THvRegistryLX, WalksDownFromTheRootAndBackUp) {
  ScratchKey scratch;
  THvRegistryLX registry;
  registry.Descend(L"Software", false);
  EXPECT_EQ(registry.CurrentPath(), L"Software");
  registry.Descend(L"HvTests", false);
  registry.Descend(LeafOf(scratch.Path()), false);
  EXPECT_EQ(registry.CurrentPath(), scratch.Path());

  registry.Ascend();
  EXPECT_EQ(registry.CurrentPath(), L"Software\\HvTests");
  registry.Ascend();
  EXPECT_EQ(registry.CurrentPath(), L"Software");
  registry.Ascend();
  EXPECT_EQ(registry.CurrentPath(), L"");
  EXPECT_NE(registry.CurrentKey(), nullptr);  // the root itself is open
  registry.Descend(L"Software", false);
  EXPECT_EQ(registry.CurrentPath(), L"Software");
  registry.Ascend();
  EXPECT_EQ(MessageOf<EHvInternalError>([&] { registry.Ascend(); }), L"Internal Error: Cannot ascend any more.");
  THvRegistryLX fresh;
  EXPECT_EQ(MessageOf<EHvInternalError>([&] { fresh.Ascend(); }), L"Internal Error: Cannot ascend any more.");
}

TEST(THvRegistryLX, FailedMovesKeepTheOpenKey) {
  ScratchKey scratch;
  THvRegistryLX registry;
  registry.GotoKey(scratch.Path() + L"\\", false);
  EXPECT_EQ(registry.CurrentPath(), scratch.Path());
  const HKEY open = registry.CurrentKey();

  const std::wstring backslash = L"Internal Error: Key contains a backslash: A\\B\r\n  Path = \\" + scratch.Path();
  EXPECT_EQ(MessageOf<EHvInternalError>([&] { registry.Descend(L"A\\B", true); }), backslash);
  EXPECT_EQ(MessageOf<EHvInternalError>([&] { registry.CanDescend(L"A\\B"); }), backslash);
  EXPECT_FALSE(scratch.HasKey(L"A"));
  EXPECT_EQ(MessageOf<EHvInternalError>([&] { registry.Descend(L"Missing", false); }),
            L"Internal Error: Unable to open key: \\" + scratch / L"Missing");
  EXPECT_EQ(MessageOf<EHvInternalError>([&] { registry.GotoKey(scratch / L"Missing", false); }),
            L"Internal Error: Unable to open key: \\" + scratch / L"Missing");
  EXPECT_EQ(registry.CurrentKey(), open);
  EXPECT_EQ(registry.CurrentPath(), scratch.Path());

  registry.Descend(L"Made", true);
  EXPECT_TRUE(scratch.HasKey(L"Made"));
}

TEST(THvRegistryLX, CanDescendOnlyIntoChildrenItMayChange) {
  ScratchKey scratch;
  scratch.CreateKey(L"Free");
  scratch.CreateKey(L"ReadOnly");
  scratch.Restrict(L"ReadOnly", KEY_READ);
  THvRegistryLX registry;
  registry.GotoKey(scratch.Path(), false);
  EXPECT_TRUE(registry.CanDescend(L"Free"));
  EXPECT_FALSE(registry.CanDescend(L"ReadOnly"));
  EXPECT_FALSE(registry.CanDescend(L"Missing"));
  EXPECT_EQ(registry.CurrentPath(), scratch.Path());
}

TEST(THvRegistryLX, DescendingFromAReadOnlyOpenStaysReadOnly) {
  ScratchKey scratch;
  scratch.SetString(L"Child", L"v", L"x");
  THvRegistryLX registry;
  ASSERT_TRUE(registry.OpenKeyReadOnly(scratch.Path()));
  registry.Descend(L"Child", false);
  EXPECT_EQ(registry.Access(), hv::WithProgramRegistryView(KEY_READ));
  EXPECT_EQ(registry.ReadString(L"v"), L"x");
  EXPECT_THROW(registry.WriteString(L"v", L"changed"), ERegistryException);
}

TEST(THvRegistryLX, ReadsWithDefaultsDefaultOnlyForMissingValues) {
  ScratchKey scratch;
  scratch.SetDword(L"", L"Top", 250);
  scratch.SetString(L"", L"Empty", L"");
  scratch.SetValue(L"", L"Ratio", REG_BINARY, BytesOf(0.75).data(), sizeof(double));
  scratch.SetString(L"", L"Text", L"a");
  THvRegistryLX registry;
  registry.GotoKey(scratch.Path(), false);

  EXPECT_EQ(registry.ReadIntegerDef(L"Top", 10), 250);
  EXPECT_EQ(registry.ReadIntegerDef(L"Left", 10), 10);
  EXPECT_TRUE(registry.ReadBoolDef(L"Top", false));
  EXPECT_TRUE(registry.ReadBoolDef(L"Left", true));
  EXPECT_EQ(registry.ReadStringDef(L"Empty", L"def"), L"");
  EXPECT_EQ(registry.ReadStringDef(L"Missing", L"def"), L"def");
  EXPECT_EQ(registry.ReadFloatDef(L"Ratio", 1.5), 0.75);
  EXPECT_EQ(registry.ReadFloatDef(L"Missing", 1.5), 1.5);

  EXPECT_EQ(MessageOf<ERegistryException>([&] { registry.ReadFloatDef(L"Top", 1.5); }), L"Invalid data type for 'Top'");
  EXPECT_EQ(MessageOf<ERegistryException>([&] { registry.ReadIntegerDef(L"Text", 1); }),
            L"Invalid data type for 'Text'");
  EXPECT_EQ(MessageOf<ERegistryException>([&] { registry.ReadStringDef(L"Top", L""); }), L"Invalid data type for 'Top'");
}

TEST(UniqueHKey, OwnsOneKeyAndClosesItWithoutLosingTheLastError) {
  ScratchKey scratch;
  HKEY raw = nullptr;
  ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, scratch.Path().c_str(), 0, KEY_READ, &raw), ERROR_SUCCESS);
  UniqueHKey first(raw);
  UniqueHKey second(std::move(first));
  EXPECT_FALSE(first);
  EXPECT_EQ(second.get(), raw);

  HKEY released = second.release();
  EXPECT_FALSE(second);
  EXPECT_EQ(RegQueryInfoKeyW(released, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr),
            ERROR_SUCCESS);

  second.reset(released);
  SetLastError(ERROR_SHARING_VIOLATION);
  second.reset();
  EXPECT_EQ(GetLastError(), DWORD(ERROR_SHARING_VIOLATION));
  EXPECT_NE(RegQueryInfoKeyW(released, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, nullptr),
            ERROR_SUCCESS);
}
