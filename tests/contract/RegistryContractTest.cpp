// TRegistry over a backend, against the registry that backend reaches.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <iterator>

#include "tests/contract/ContractEnv.h"

namespace halvane::test {
namespace {

std::vector<std::uint8_t> Utf16(std::u16string_view text, bool terminated) {
  std::vector<std::uint8_t> data = EncodeRegistryString(text);
  if (!terminated)
    data.resize(data.size() - 2);
  return data;
}

class RegistryContract : public ::testing::Test {
 protected:
  RegistryContract() : env(MakeRegistryContractEnv()), scratch(env->Scratch()) {}
  std::u16string Rooted(std::u16string_view below = u"") const {
    std::u16string path(1, u'\\');
    path += scratch;
    if (!below.empty()) {
      path += u'\\';
      path += below;
    }
    return path;
  }
  std::u16string Physical(std::u16string_view below = u"") const { return Rooted(below).substr(1); }

  std::unique_ptr<RegistryContractEnv> env;
  std::u16string scratch;
};

TEST_F(RegistryContract, OpenKeyReadOnlyOfMissingKeyFailsAndCreatesNothing) {
  TRegistry reg(env->Backend());
  EXPECT_FALSE(reg.OpenKeyReadOnly(Rooted(u"missing")));
  EXPECT_FALSE(reg.OpenKey(Rooted(u"missing"), false));
  EXPECT_FALSE(env->KeyExists(RootKey::CurrentUser, Physical(u"missing")));
}

TEST_F(RegistryContract, OpenKeyWithCreationMakesEveryMissingKeyAbove) {
  TRegistry reg(env->Backend());
  ASSERT_TRUE(reg.OpenKey(Rooted(u"a\\b\\c"), true));
  reg.WriteString(u"V", u"x");  // raises unless the key is open
  reg.CloseKey();
  EXPECT_TRUE(env->GetValue(RootKey::CurrentUser, Physical(u"a\\b\\c"), u"V"));
  EXPECT_TRUE(env->KeyExists(RootKey::CurrentUser, Physical(u"a")));
  EXPECT_TRUE(env->KeyExists(RootKey::CurrentUser, Physical(u"a\\b\\c")));
}

TEST_F(RegistryContract, GetDataTypeGivesTheStoredType) {
  env->PutValue(RootKey::CurrentUser, Physical(), u"Text", kRegSz, Utf16(u"C:\\Halvane", true));
  env->PutValue(RootKey::CurrentUser, Physical(), u"Empty", kRegSz, {});
  env->PutValue(RootKey::CurrentUser, Physical(), u"Expand", kRegExpandSz, Utf16(u"%x%", true));
  env->PutValue(RootKey::CurrentUser, Physical(), u"Number", kRegDword, {1, 0, 0, 0});
  TRegistry reg(env->Backend());
  EXPECT_EQ(reg.GetDataType(u"Text"), kRegNone) << "no key is open";
  ASSERT_TRUE(reg.OpenKeyReadOnly(Rooted()));
  struct Case {
    std::u16string name;
    std::uint32_t type;
  } const cases[] = {{u"Text", kRegSz},      {u"Empty", kRegSz},     {u"Expand", kRegExpandSz},
                     {u"Number", kRegDword}, {u"Missing", kRegNone}, {u"TEXT", kRegSz}};
  for (const Case& c : cases)
    EXPECT_EQ(reg.GetDataType(c.name), c.type) << std::string(c.name.begin(), c.name.end());
}

TEST_F(RegistryContract, WriteStringStoresTextAndTerminator) {
  struct Case {
    std::u16string text;
  } cases[] = {
      {u"C:\\Program Files\\Autodesk\\AutoCAD 2023\\acad.exe"}, {u""}, {u"図面 \U0001F3E0"}};
  TRegistry reg(env->Backend());
  ASSERT_TRUE(reg.OpenKey(Rooted(), true));
  for (const Case& c : cases) {
    reg.WriteString(u"Value", c.text);
    const std::optional<RawValue> stored =
        env->GetValue(RootKey::CurrentUser, Physical(), u"Value");
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->type, kRegSz);
    EXPECT_EQ(stored->data.size(), (c.text.size() + 1) * 2);
    EXPECT_EQ(stored->data, EncodeRegistryString(c.text));
    EXPECT_EQ(reg.ReadString(u"Value"), c.text);
  }
}

TEST_F(RegistryContract, WriteStringReplacesValueOfAnotherType) {
  env->PutValue(RootKey::CurrentUser, Physical(), u"AcadPath", kRegDword, {1, 0, 0, 0});
  TRegistry reg(env->Backend());
  ASSERT_TRUE(reg.OpenKey(Rooted(), false));
  reg.WriteString(u"AcadPath", u"C:\\x\\acad.exe");
  const std::optional<RawValue> stored =
      env->GetValue(RootKey::CurrentUser, Physical(), u"AcadPath");
  ASSERT_TRUE(stored);
  EXPECT_EQ(stored->type, kRegSz);
  EXPECT_EQ(reg.ReadString(u"acadpath"), u"C:\\x\\acad.exe");
}

TEST_F(RegistryContract, ReadStringDecodesStringTypesAndRefusesOthers) {
  struct Case {
    const char* label;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
    std::u16string expected;
    bool raises;
  };
  std::vector<std::uint8_t> odd = Utf16(u"abc", false);
  odd.push_back('d');
  std::vector<std::uint8_t> inner_zero = Utf16(u"before", false);
  inner_zero.insert(inner_zero.end(), {0, 0, 'x', 0, 0, 0});
  const std::u16string big(512 * 1024 - 1, u'A');
  const Case cases[] = {
      {"sz", kRegSz, Utf16(u"C:\\AutoCAD", true), u"C:\\AutoCAD", false},
      {"sz without terminator", kRegSz, Utf16(u"C:\\AutoCAD", false), u"C:\\AutoCAD", false},
      {"sz with odd byte count", kRegSz, odd, u"abc", false},
      {"sz with a zero inside", kRegSz, inner_zero, u"before", false},
      {"expand sz stays unexpanded", kRegExpandSz, Utf16(u"%ProgramFiles%\\AutoCAD", true),
       u"%ProgramFiles%\\AutoCAD", false},
      {"outside the basic plane", kRegSz, Utf16(u"\U00020BB7\\acad.exe", true),
       u"\U00020BB7\\acad.exe", false},
      {"one mebibyte", kRegSz, Utf16(big, true), big, false},
      {"empty sz", kRegSz, {}, u"", false},
      {"empty dword", kRegDword, {}, u"", false},
      {"empty binary", kRegBinary, {}, u"", false},
      {"empty none", kRegNone, {}, u"", false},
      {"dword", kRegDword, {6, 0, 0, 0}, u"", true},
      {"qword", kRegQword, {1, 2, 3, 4, 5, 6, 7, 8}, u"", true},
      {"binary of odd length", kRegBinary, {1, 2, 3}, u"", true},
      {"multi sz", kRegMultiSz, Utf16(u"a", true), u"", true},
      {"none with data", kRegNone, {1, 0}, u"", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    env->PutValue(RootKey::CurrentUser, Physical(), u"V", c.type, c.data);
    TRegistry reg(env->Backend());
    ASSERT_TRUE(reg.OpenKeyReadOnly(Rooted()));
    if (c.raises) {
      try {
        reg.ReadString(u"V");
        ADD_FAILURE() << "no error raised";
      } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), u"'V' のデータ型が不正です");
      }
    } else {
      EXPECT_EQ(reg.ReadString(u"V"), c.expected);
    }
  }
}

TEST_F(RegistryContract, MissingValueAndMissingKeyReadAsEmpty) {
  TRegistry reg(env->Backend());
  EXPECT_EQ(reg.ReadString(u"AcadPath"), u"");
  ASSERT_TRUE(reg.OpenKey(Rooted(), true));
  EXPECT_EQ(reg.ReadString(u"AcadPath"), u"");
}

TEST_F(RegistryContract, ReadOnlyKeyOpensOnlyForReading) {
  env->PutValue(RootKey::CurrentUser, Physical(u"locked"), u"CurVer", kRegSz,
                Utf16(u"ACAD-6101:411", true));
  env->MakeReadOnly(RootKey::CurrentUser, Physical(u"locked"));
  TRegistry reg(env->Backend());
  EXPECT_FALSE(reg.OpenKey(Rooted(u"locked"), false));
  EXPECT_FALSE(reg.OpenKey(Rooted(u"locked"), true));
  ASSERT_TRUE(reg.OpenKeyReadOnly(Rooted(u"locked")));
  EXPECT_EQ(reg.ReadString(u"CurVer"), u"ACAD-6101:411");
  try {
    reg.WriteString(u"CurVer", u"x");
    ADD_FAILURE() << "no error raised";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message(), u"'CurVer' の設定に失敗しました");
  }
}

// A key that lets its users query values and nothing more: opening for
// reading still gets it (by asking for the query right alone, once the
// read right is refused), and its values read.
TEST_F(RegistryContract, KeyWithTheQueryRightAloneOpensForReading) {
  env->PutValue(RootKey::CurrentUser, Physical(u"query only"), u"CurVer", kRegSz,
                Utf16(u"ACAD-6101:411", true));
  env->MakeQueryOnly(RootKey::CurrentUser, Physical(u"query only"));
  TRegistry reg(env->Backend());
  EXPECT_FALSE(reg.OpenKey(Rooted(u"query only"), false));
  ASSERT_TRUE(reg.OpenKeyReadOnly(Rooted(u"query only")));
  EXPECT_EQ(reg.ReadString(u"CurVer"), u"ACAD-6101:411");
}

TEST_F(RegistryContract, WriteWithoutOpenKeyRaisesAndCloseKeyIsIdempotent) {
  TRegistry reg(env->Backend());
  reg.CloseKey();
  reg.CloseKey();
  try {
    reg.WriteString(u"LibPath", u"C:\\Halvane");
    ADD_FAILURE() << "no error raised";
  } catch (const ERegistryException& e) {
    EXPECT_EQ(e.Message(), u"'LibPath' の設定に失敗しました");
  }
  ASSERT_TRUE(reg.OpenKey(Rooted(), true));
  reg.CloseKey();
  reg.CloseKey();
  EXPECT_THROW(reg.WriteString(u"LibPath", u"C:\\Halvane"), ERegistryException)
      << "closed: nothing to write to";
}

TEST_F(RegistryContract, PathWithoutLeadingBackslashIsBelowTheOpenKey) {
  TRegistry reg(env->Backend());
  ASSERT_TRUE(reg.OpenKey(Rooted(), true));
  ASSERT_TRUE(reg.OpenKey(u"child", true));
  reg.WriteString(u"V", u"below");
  EXPECT_EQ(env->GetValue(RootKey::CurrentUser, Physical(u"child"), u"V")->data,
            EncodeRegistryString(u"below"));
  // A failed open leaves the current key as it was.
  EXPECT_FALSE(reg.OpenKeyReadOnly(u"nothing"));
  EXPECT_EQ(reg.ReadString(u"V"), u"below");
}

TEST_F(RegistryContract, NamesIgnoreLetterCase) {
  env->PutValue(RootKey::CurrentUser, Physical(u"Fenwright"), u"AcadPath", kRegSz,
                Utf16(u"C:\\a\\acad.exe", true));
  TRegistry reg(env->Backend());
  ASSERT_TRUE(reg.OpenKeyReadOnly(Rooted(u"FENWRIGHT")));
  EXPECT_EQ(reg.ReadString(u"ACADPATH"), u"C:\\a\\acad.exe");
}

// Letters of other scripts match without case as Windows folds them, in
// both directions; a letter that would fold into two ("ß", "SS") does not.
TEST_F(RegistryContract, NonAsciiNamesIgnoreLetterCaseAsWindowsFoldsThem) {
  struct Case {
    const char* label;
    std::u16string key, value, key_asked, value_asked;
    bool found;
  } const cases[] = {
      {"Latin-1, stored lower", u"ärger", u"größe", u"ÄRGER", u"GRÖßE", true},
      {"Latin-1, stored upper", u"ÉCOLE", u"ÜBER", u"école", u"über", true},
      {"Greek", u"Σοφια", u"ΟΜΕΓΑ", u"ΣΟΦΙΑ", u"ομεγα", true},
      {"Cyrillic", u"привет", u"Ёлка", u"ПРИВЕТ", u"ёЛКА", true},
      {"full-width Latin", u"Ｈａｌｖａｎｅ", u"ａｃａｄ", u"ｈＡＬＶＡＮＥ", u"ＡＣＡＤ", true},
      {"Japanese has no case", u"設計ツール", u"図面パス", u"設計ツール", u"図面パス", true},
      {"no letter folds into two", u"straße", u"weiß", u"straße", u"WEISS", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    env->PutValue(RootKey::CurrentUser, Physical(c.key), c.value, kRegSz,
                  Utf16(u"C:\\a\\acad.exe", true));
    TRegistry reg(env->Backend());
    ASSERT_TRUE(reg.OpenKeyReadOnly(Rooted(c.key_asked)));
    EXPECT_EQ(reg.ReadString(c.value_asked), c.found ? u"C:\\a\\acad.exe" : u"");
  }
}

// The backend's calls give back Windows' own statuses, and a query writes
// no byte past the data it reports (a sentinel fills the rest of the
// buffer, as Wine's registry tests check).
TEST_F(RegistryContract, BackendCallsGiveWindowsStatusesAndLeaveTheRestOfTheBuffer) {
  env->PutValue(RootKey::CurrentUser, Physical(), u"V", kRegSz, Utf16(u"abc", true));
  RegistryBackend& backend = env->Backend();
  EXPECT_EQ(backend.Open(RootKey::CurrentUser, Physical(u"missing"), kKeyRead).status,
            kRegistryNotFound);
  OpenedKey opened = backend.Open(RootKey::CurrentUser, Physical(), kKeyRead);
  ASSERT_EQ(opened.status, kRegistrySuccess);
  ASSERT_TRUE(opened.key);
  RegistryKey& key = *opened.key;

  const ValueQuery size = key.Query(u"V", {});
  EXPECT_EQ(size.status, kRegistrySuccess);
  EXPECT_EQ(size.type, kRegSz);
  EXPECT_EQ(size.size, 8u);

  constexpr std::uint8_t kSentinel = 0xA5;
  std::vector<std::uint8_t> buffer(16, kSentinel);
  const ValueQuery read = key.Query(u"V", buffer);
  EXPECT_EQ(read.status, kRegistrySuccess);
  ASSERT_EQ(read.size, 8u);
  EXPECT_EQ(std::vector<std::uint8_t>(buffer.begin(), buffer.begin() + 8), Utf16(u"abc", true));
  for (std::size_t i = 8; i < buffer.size(); ++i)
    EXPECT_EQ(buffer[i], kSentinel) << "byte " << i;

  std::vector<std::uint8_t> small(4, kSentinel);
  const ValueQuery more = key.Query(u"V", small);
  EXPECT_EQ(more.status, kRegistryMoreData);
  EXPECT_EQ(more.size, 8u) << "the size the data needs";

  EXPECT_EQ(key.Query(u"missing", {}).status, kRegistryNotFound);
  EXPECT_EQ(key.Set(u"W", kRegSz, Utf16(u"x", true)), kRegistryAccessDenied)
      << "a key opened for reading";
  EXPECT_FALSE(env->GetValue(RootKey::CurrentUser, Physical(), u"W"));
}

// Sub-keys come back with the names they were made with, whatever their
// script; the listing of a key that may not be listed, and of no key, is
// empty.
TEST_F(RegistryContract, GetKeyNamesListsTheSubKeysWithTheirNames) {
  const std::u16string names[] = {u"ACAD-6101:411", u"ACAD-6101:409", u"<<Unnamed Profile>>",
                                  u"設計 \U0002000B", u"Ärger"};
  for (const std::u16string& name : names)
    env->PutValue(RootKey::CurrentUser, Physical(u"products\\" + name), u"V", kRegSz, {});
  env->PutValue(RootKey::CurrentUser, Physical(u"products\\ACAD-6101:411\\Profiles"), u"", kRegSz,
                Utf16(u"x", true));
  TRegistry reg(env->Backend());
  EXPECT_TRUE(reg.GetKeyNames().empty()) << "no key is open";
  ASSERT_TRUE(reg.OpenKeyReadOnly(Rooted(u"products")));
  std::vector<std::u16string> listed = reg.GetKeyNames();
  std::vector<std::u16string> expected(std::begin(names), std::end(names));
  std::sort(listed.begin(), listed.end());
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(listed, expected) << "one level down, each name as it was made";
  ASSERT_TRUE(reg.OpenKeyReadOnly(Rooted(u"products\\ACAD-6101:409")));
  EXPECT_TRUE(reg.GetKeyNames().empty());

  env->MakeQueryOnly(RootKey::CurrentUser, Physical(u"products"));
  ASSERT_TRUE(reg.OpenKeyReadOnly(Rooted(u"products")));
  EXPECT_TRUE(reg.GetKeyNames().empty()) << "a key opened without the right to list";
}

// The backend's listing: Windows' statuses, a name of 255 characters whole.
TEST_F(RegistryContract, EnumKeyGivesEachNameThenNoMoreItems) {
  const std::u16string longest(255, u'k');
  env->PutValue(RootKey::CurrentUser, Physical(longest), u"V", kRegSz, {});
  OpenedKey opened = env->Backend().Open(RootKey::CurrentUser, Physical(), kKeyRead);
  ASSERT_EQ(opened.status, kRegistrySuccess);
  SubKeyName first = opened.key->EnumKey(0);
  EXPECT_EQ(first.status, kRegistrySuccess);
  EXPECT_EQ(first.name, longest);
  SubKeyName end{kRegistrySuccess, u"sentinel"};
  end = opened.key->EnumKey(1);
  EXPECT_EQ(end.status, kRegistryNoMoreItems);
  EXPECT_TRUE(end.name.empty());

  OpenedKey query_only = env->Backend().Open(RootKey::CurrentUser, Physical(), kKeyQueryValue);
  ASSERT_EQ(query_only.status, kRegistrySuccess);
  EXPECT_EQ(query_only.key->EnumKey(0).status, kRegistryAccessDenied);
}

// Data that is not the launcher's own is read without raising: a string of
// either type, the default value, and nothing for anything else.
TEST_F(RegistryContract, TryReadStringGivesStringsAndNothingElseWithoutRaising) {
  struct Case {
    const char* label;
    std::u16string name;
    std::uint32_t type;
    std::vector<std::uint8_t> data;
    std::optional<std::u16string> expected;
  } const cases[] = {
      {"sz", u"PrinterStyleSheetDir", kRegSz, Utf16(u"C:\\CAD\\Plot Styles", true),
       u"C:\\CAD\\Plot Styles"},
      {"expand sz, unexpanded", u"PrinterStyleSheetDir", kRegExpandSz,
       Utf16(u"%APPDATA%\\Plot Styles", true), u"%APPDATA%\\Plot Styles"},
      {"the default value", u"", kRegSz, Utf16(u"<<Unnamed Profile>>", true),
       u"<<Unnamed Profile>>"},
      {"empty sz", u"V", kRegSz, {}, u""},
      {"dword", u"V", kRegDword, {1, 0, 0, 0}, std::nullopt},
      {"empty dword", u"V", kRegDword, {}, std::nullopt},
      {"multi sz", u"V", kRegMultiSz, Utf16(u"a", true), std::nullopt},
      {"binary", u"V", kRegBinary, {1, 2, 3}, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const std::u16string key = u"try\\" + std::u16string(c.label, c.label + std::strlen(c.label));
    env->PutValue(RootKey::CurrentUser, Physical(key), c.name, c.type, c.data);
    TRegistry reg(env->Backend());
    ASSERT_TRUE(reg.OpenKeyReadOnly(Rooted(key)));
    EXPECT_EQ(reg.TryReadString(c.name), c.expected);
    EXPECT_EQ(reg.TryReadString(u"missing"), std::nullopt);
  }
  TRegistry closed(env->Backend());
  EXPECT_EQ(closed.TryReadString(u"V"), std::nullopt) << "no key is open";
}

TEST_F(RegistryContract, ChangingTheRootClosesTheKey) {
  env->PutValue(RootKey::CurrentUser, Physical(), u"V", kRegSz, Utf16(u"x", true));
  TRegistry reg(env->Backend());
  ASSERT_TRUE(reg.OpenKey(Rooted(), true));
  reg.SetRootKey(RootKey::CurrentUser);
  EXPECT_EQ(reg.ReadString(u"V"), u"x") << "the same root: the key stays open";
  reg.SetRootKey(RootKey::LocalMachine);
  EXPECT_EQ(reg.ReadString(u"V"), u"") << "another root: the key is closed";
}

TEST_F(RegistryContract, MachineKeyOfTheSixtyFourBitViewNeedsThatView) {
#if defined(_WIN64)
  GTEST_SKIP() << "a 64-bit build sees the 64-bit view as its own: the launcher is 32-bit";
#endif
  env->PutValue(RootKey::LocalMachine, Physical(u"R24.2\\ACAD-6101:411"), u"AcadLocation", kRegSz,
                Utf16(u"C:\\Program Files\\Autodesk\\AutoCAD 2023", true), /*view64=*/true);
  TRegistry process_view(env->Backend());
  process_view.SetRootKey(RootKey::LocalMachine);
  EXPECT_FALSE(process_view.OpenKeyReadOnly(Rooted(u"R24.2\\ACAD-6101:411")));

  TRegistry native_view(env->Backend(), kKeyWow64_64Key);
  native_view.SetRootKey(RootKey::LocalMachine);
  ASSERT_TRUE(native_view.OpenKeyReadOnly(Rooted(u"R24.2\\ACAD-6101:411")));
  EXPECT_EQ(native_view.ReadString(u"AcadLocation"), u"C:\\Program Files\\Autodesk\\AutoCAD 2023");
}

}  // namespace
}  // namespace halvane::test
