// Finding acad.exe, and the user's pick.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/unit/LauncherFixture.h"

namespace halvane::test {
namespace {

constexpr std::u16string_view kUser = u"Software\\Autodesk\\AutoCAD\\R24.2";
constexpr std::u16string_view kUser2 = u"Software\\Wow6432Node\\Autodesk\\AutoCAD\\R24.2";
// Physical machine keys: the 64-bit view, and the 32-bit view below Wow6432Node.
constexpr std::u16string_view kMachine64 = u"SOFTWARE\\Autodesk\\AutoCAD\\R24.2\\ACAD-6101:411";
constexpr std::u16string_view kMachine32 =
    u"SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD\\R24.2\\ACAD-6101:411";

class DiscoveryTest : public LauncherTest {
 protected:
  void Register(std::u16string_view user, std::u16string_view machine, std::u16string_view folder) {
    registry.PutString(RootKey::CurrentUser, user, u"CurVer", u"ACAD-6101:411");
    registry.PutString(RootKey::LocalMachine, machine, u"AcadLocation", folder);
  }
};

TEST_F(DiscoveryTest, PlacesAreTriedInOrder) {
  struct Case {
    const char* label;
    bool default1, default2, registered64, registered32;
    std::u16string expected;
  } const cases[] = {
      {"first default wins", true, true, true, true, std::u16string(kDefaultAcad1)},
      {"second default", false, true, true, true, std::u16string(kDefaultAcad2)},
      {"Autodesk's key, 64-bit view", false, false, true, true, u"D:\\AC64\\acad.exe"},
      {"Autodesk's key under Wow6432Node", false, false, false, true, u"D:\\AC32\\acad.exe"},
      {"nowhere", false, false, false, false, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    EventLog l;
    FakeRegistry reg;
    FakeFileSystem fs(&l);
    FakeShell sh(l);
    FakeApplication ap(l);
    RecordingView v(l);
    if (c.default1)
      fs.AddFile(kDefaultAcad1);
    if (c.default2)
      fs.AddFile(kDefaultAcad2);
    fs.AddFile(u"D:\\AC64\\acad.exe");
    fs.AddFile(u"D:\\AC32\\acad.exe");
    if (c.registered64) {
      reg.PutString(RootKey::CurrentUser, kUser, u"CurVer", u"ACAD-6101:411");
      reg.PutString(RootKey::LocalMachine, kMachine64, u"AcadLocation", u"D:\\AC64");
    }
    if (c.registered32) {
      reg.PutString(RootKey::CurrentUser, kUser2, u"CurVer", u"ACAD-6101:411");
      reg.PutString(RootKey::LocalMachine, kMachine32, u"AcadLocation", u"D:\\AC32");
    }
    TForm1 f(Platform{reg, fs, sh, ap}, v);
    Dispatch(ap, [&] { f.FormCreate(); });
    EXPECT_EQ(Inspect(f).ACADLocation, c.expected);
    if (c.default1) {
      EXPECT_EQ(reg.KeysOpened(), 1) << "only the launcher's own key may be opened";
    }
    EXPECT_EQ(reg.OpenKeys(), 0);
  }
}

TEST_F(DiscoveryTest, LookupPutsThePathIntoTheField) {
  Register(kUser, kMachine64, u"D:\\AC64");
  files.AddFile(u"D:\\AC64\\acad.exe");
  Run(&TForm1::GetACADPath);
  EXPECT_EQ(State().ACADLocation, u"D:\\AC64\\acad.exe");
  EXPECT_EQ(State().RegACADVer, u"ACAD-6101:411");
  EXPECT_EQ(log.entries, (std::vector<std::string>{"edit4 D:\\AC64\\acad.exe"}));
}

TEST_F(DiscoveryTest, FolderIsUsedUnchanged) {
  Register(kUser, kMachine64, u"D:\\AC64\\");
  files.AddFile(u"D:\\AC64\\acad.exe");
  Run(&TForm1::GetACADPath);
  EXPECT_EQ(State().ACADLocation, u"D:\\AC64\\\\acad.exe");
}

// A lookup that finds no folder probes nothing: "\acad.exe" would be a
// file at the root of the current drive, the installation's, which on a
// data drive any user may write to, and it would be started.
TEST_F(DiscoveryTest, FailedLookupProbesNoFileAtTheDrivesRoot) {
  struct Case {
    const char* label;
    bool user_key, cur_ver, machine_key;
  } const cases[] = {
      {"no user key", false, false, false},
      {"empty CurVer", true, false, false},
      {"CurVer names no machine key", true, true, false},
      {"the machine key has an empty AcadLocation", true, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FakeRegistry reg;
    if (c.user_key)
      reg.PutString(RootKey::CurrentUser, kUser, u"CurVer", c.cur_ver ? u"ACAD-6101:411" : u"");
    if (c.machine_key)
      reg.PutString(RootKey::LocalMachine, kMachine64, u"AcadLocation", u"");
    FakeFileSystem fs;
    fs.current_directory = u"E:\\work";
    fs.AddFile(u"E:\\acad.exe", "another user's program");
    TForm1 f(Platform{reg, fs, shell, app}, view);
    f.GetACADPath();
    EXPECT_EQ(Inspect(f).ACADLocation, u"");
    EXPECT_EQ(std::count(fs.probed.begin(), fs.probed.end(), u"\\acad.exe"), 0);
  }
}

// AutoCAD's keys are only read: a user key the user may only read (a
// locked-down profile) still gives the user's own "CurVer".
TEST_F(DiscoveryTest, AutoCadsKeysAreOpenedForReadingOnly) {
  registry.PutString(RootKey::CurrentUser, kUser, u"CurVer", u"ACAD-6101:409");
  registry.MakeReadOnly(RootKey::CurrentUser, kUser);
  registry.PutString(RootKey::LocalMachine, u"SOFTWARE\\Autodesk\\AutoCAD\\R24.2\\ACAD-6101:409",
                     u"AcadLocation", u"D:\\English");
  registry.PutString(RootKey::LocalMachine, u"SOFTWARE\\Autodesk\\AutoCAD\\R24.2", u"CurVer",
                     u"ACAD-6101:411");
  registry.PutString(RootKey::LocalMachine, kMachine64, u"AcadLocation", u"D:\\Japanese");
  files.AddFile(u"D:\\English\\acad.exe");
  files.AddFile(u"D:\\Japanese\\acad.exe");
  Run(&TForm1::GetACADPath);
  EXPECT_EQ(State().RegACADVer, u"ACAD-6101:409") << "the user's, not the machine's";
  EXPECT_EQ(State().ACADLocation, u"D:\\English\\acad.exe");
}
TEST_F(DiscoveryTest, EachLookupReadsCurVerAfresh) {
  registry.PutString(RootKey::CurrentUser, kUser, u"CurVer", u"ACAD-6101:411");
  registry.PutString(RootKey::CurrentUser, kUser2, u"CurVer", u"ACAD-OTHER");
  registry.PutString(RootKey::LocalMachine, kMachine32, u"AcadLocation", u"D:\\AC32");
  files.AddFile(u"D:\\AC32\\acad.exe");
  Run(&TForm1::GetACADPath2);
  EXPECT_EQ(State().RegACADVer, u"ACAD-OTHER");
  EXPECT_EQ(State().ACADLocation, u"");
}

// Until a user first starts AutoCAD, only the machine's key says which
// product is current; the user's own "CurVer", where there is one, comes first.
TEST_F(DiscoveryTest, MachineCurVerStandsInForTheUsers) {
  constexpr std::u16string_view kRelease64 = u"SOFTWARE\\Autodesk\\AutoCAD\\R24.2";
  constexpr std::u16string_view kRelease32 = u"SOFTWARE\\Wow6432Node\\Autodesk\\AutoCAD\\R24.2";
  struct Case {
    const char* label;
    void (TForm1::*lookup)();
    std::u16string_view machine_release;         // where the machine's CurVer is
    std::optional<std::u16string> user_cur_ver;  // in both user keys; nothing: no user key
    std::u16string expected;
  } const cases[] = {
      {"64-bit view", &TForm1::GetACADPath, kRelease64, std::nullopt, u"D:\\AC64\\acad.exe"},
      {"Wow6432Node", &TForm1::GetACADPath2, kRelease32, std::nullopt, u"D:\\AC32\\acad.exe"},
      {"user key with an empty CurVer", &TForm1::GetACADPath, kRelease64, u"",
       u"D:\\AC64\\acad.exe"},
      {"the user's CurVer first", &TForm1::GetACADPath, kRelease64, u"ACAD-USER",
       u"D:\\User\\acad.exe"},
      // Controls: each lookup reads the machine's key of its own view only.
      {"64-bit key for the Wow6432Node lookup", &TForm1::GetACADPath2, kRelease64, std::nullopt,
       u""},
      {"Wow6432Node key for the 64-bit lookup", &TForm1::GetACADPath, kRelease32, std::nullopt,
       u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FakeRegistry reg;
    FakeFileSystem fs;
    reg.PutString(RootKey::LocalMachine, c.machine_release, u"CurVer", u"ACAD-6101:411");
    reg.PutString(RootKey::LocalMachine, kMachine64, u"AcadLocation", u"D:\\AC64");
    reg.PutString(RootKey::LocalMachine, kMachine32, u"AcadLocation", u"D:\\AC32");
    reg.PutString(RootKey::LocalMachine, u"SOFTWARE\\Autodesk\\AutoCAD\\R24.2\\ACAD-USER",
                  u"AcadLocation", u"D:\\User");
    if (c.user_cur_ver) {
      reg.PutString(RootKey::CurrentUser, kUser, u"CurVer", *c.user_cur_ver);
      reg.PutString(RootKey::CurrentUser, kUser2, u"CurVer", *c.user_cur_ver);
    }
    for (const char16_t* acad :
         {u"D:\\AC64\\acad.exe", u"D:\\AC32\\acad.exe", u"D:\\User\\acad.exe"})
      fs.AddFile(acad);
    TForm1 f(Platform{reg, fs, shell, app}, view);
    (f.*c.lookup)();
    EXPECT_EQ(Inspect(f).ACADLocation, c.expected);
    EXPECT_EQ(reg.OpenKeys(), 0);
  }
}

TEST_F(DiscoveryTest, CurVerOfAnotherTypeIsReported) {
  registry.PutValue(RootKey::CurrentUser, kUser, u"CurVer", kRegDword, {1, 0, 0, 0});
  FormCreate();
  EXPECT_TRUE(log.Has("error 'CurVer' のデータ型が不正です."));
  EXPECT_FALSE(log.Has("press Button1"));
  EXPECT_EQ(registry.OpenKeys(), 0);
}

TEST_F(DiscoveryTest, PickTakesTheFolderOfTheChosenFile) {
  struct Case {
    std::optional<std::u16string> chosen;
    bool exists;
    std::u16string expected;
  } const cases[] = {
      {std::nullopt, false, u""},
      {u"D:\\Tools\\AutoCAD\\gone.exe", false, u""},
      {u"D:\\Tools\\AutoCAD\\setup.exe", true, u"D:\\Tools\\AutoCAD\\acad.exe"},
      {u"E:\\x.exe", true, u"E:\\acad.exe"},
  };
  for (const Case& c : cases) {
    EventLog l;
    FakeRegistry reg;
    FakeFileSystem fs(&l);
    RecordingView v(l);
    if (c.exists)
      fs.AddFile(*c.chosen);
    v.dialog_results.push_back(c.chosen);
    TForm1 f(Platform{reg, fs, shell, app}, v);
    f.Button2Click();
    EXPECT_EQ(Inspect(f).ACADLocation, c.expected);
    EXPECT_EQ(Inspect(f).ACADpath, u"");
    if (c.expected.empty()) {
      EXPECT_EQ(l.entries, (std::vector<std::string>{"dialog"}));
      EXPECT_FALSE(reg.HasKey(RootKey::CurrentUser, kUserKeyPath));
    } else {
      EXPECT_EQ(v.edit4, c.expected);
      EXPECT_TRUE(v.Enabled(ViewControl::kButton1));
      EXPECT_FALSE(v.Enabled(ViewControl::kButton3));
      EXPECT_TRUE(v.Enabled(ViewControl::kButton2));
      EXPECT_TRUE(v.Enabled(ViewControl::kEdit4));
      const FakeRegistry::Value* stored =
          reg.GetValue(RootKey::CurrentUser, kUserKeyPath, u"AcadPath");
      ASSERT_TRUE(stored);
      EXPECT_EQ(DecodeRegistryString(stored->data), c.expected);
    }
  }
}

// A dialog that cannot show is reported with its HRESULT, and the window
// goes on: nothing is recorded and the buttons stay as they were. A cancel
// (no path, no failure) says nothing.
TEST_F(DiscoveryTest, DialogThatFailsIsReportedWithItsCode) {
  struct Case {
    std::optional<std::uint32_t> failure;
    const char* said;
  } const cases[] = {
      {0x80070005u, "error ファイルの選択画面を開けません (0x80070005)"},
      {0x800401F0u, "error ファイルの選択画面を開けません (0x800401F0)"},
      {0x00000001u, "error ファイルの選択画面を開けません (0x00000001)"},
      {std::nullopt, nullptr},
  };
  for (const auto& c : cases) {
    EventLog l;
    FakeRegistry reg;
    FakeFileSystem fs(&l);
    RecordingView v(l);
    FakeApplication a(l);
    v.dialog_failure = c.failure;
    TForm1 f(Platform{reg, fs, shell, a}, v);
    f.Button2Click();
    f.Button2Click();
    const std::vector<std::string> expected =
        c.said ? std::vector<std::string>{"dialog", c.said, "dialog", c.said}
               : std::vector<std::string>{"dialog", "dialog"};
    EXPECT_EQ(l.entries, expected);
    EXPECT_EQ(Inspect(f).ACADLocation, u"");
    EXPECT_FALSE(reg.HasKey(RootKey::CurrentUser, kUserKeyPath));
  }
}

TEST_F(DiscoveryTest, SecondPickReplacesThePath) {
  files.AddFile(u"D:\\One\\a.exe");
  files.AddFile(u"D:\\Two\\b.exe");
  view.dialog_results = {u"D:\\One\\a.exe", u"D:\\Two\\b.exe"};
  Run(&TForm1::Button2Click);
  Run(&TForm1::Button2Click);
  EXPECT_EQ(State().ACADLocation, u"D:\\Two\\acad.exe");
  EXPECT_EQ(Stored(u"AcadPath"), u"D:\\Two\\acad.exe");
}

TEST_F(DiscoveryTest, ExitButtonClosesTheWindow) {
  Run(&TForm1::Button3Click);
  EXPECT_EQ(log.entries, (std::vector<std::string>{"close"}));
}

}  // namespace
}  // namespace halvane::test
