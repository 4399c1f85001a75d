// The tables go where AutoCAD reads them: the folder each profile's
// plot-style search path names, each profile of each AutoCAD 2023 language,
// and each product's own roaming root, beside the folders found by name.
#include <gtest/gtest.h>

#include <functional>

#include "launcher/AutoCadProfiles.h"
#include "tests/unit/LauncherFixture.h"

namespace halvane::test {
namespace {

constexpr std::u16string_view kAcad = u"D:\\Autodesk\\AutoCAD 2023\\acad.exe";
constexpr std::u16string_view kRelease = u"SoftWare\\Autodesk\\AutoCAD\\R24.2";
constexpr std::u16string_view kJapanese = u"ACAD-6101:411";
constexpr std::u16string_view kEnglish = u"ACAD-6101:409";
constexpr std::u16string_view kUnnamed = u"<<Unnamed Profile>>";
constexpr std::u16string_view kOffice = u"C:\\CAD\\Plot Styles";
constexpr std::u16string_view kShare = u"\\\\server\\cad\\Plot Styles";

std::u16string ProductKey(std::u16string_view product) {
  return std::u16string(kRelease) + u"\\" + std::u16string(product);
}
std::u16string ProfileKey(std::u16string_view product, std::u16string_view profile) {
  return ProductKey(product) + u"\\Profiles\\" + std::u16string(profile);
}
// The Japanese profile's default plot-style folder, as AutoCAD makes it.
std::u16string DefaultFolder() {
  return std::u16string(kAppData) + u"\\Autodesk\\AutoCAD 2023\\R24.2\\jpn\\Plotters\\Plot Styles";
}

// A launcher whose AutoCAD is known, with the add-on installed, over
// AutoCAD's registry as each case makes it.
struct AutoCadUser : FreshLauncher {
  AutoCadUser() { PrepareLaterStart(*this, kAcad); }
  void Product(std::u16string_view product, std::u16string_view current) {
    registry.PutString(RootKey::CurrentUser, ProductKey(product) + u"\\Profiles", u"", current);
  }
  void SearchPath(std::u16string_view product,
                  std::u16string_view profile,
                  std::u16string_view path,
                  std::uint32_t type = kRegSz) {
    registry.PutValue(RootKey::CurrentUser, ProfileKey(product, profile) + u"\\General",
                      u"PrinterStyleSheetDir", type, EncodeRegistryString(path));
  }
  void RoamingRoot(std::u16string_view product, std::u16string_view root) {
    registry.PutString(RootKey::CurrentUser, ProductKey(product), u"RoamableRootFolder", root);
  }
  // The first start of AutoCAD with the Japanese profile: the default
  // folder with AutoCAD's own table, named by the current profile.
  void FirstAutoCadStart() {
    files.AddFile(DefaultFolder() + u"\\acad.ctb", "autocad");
    Product(kJapanese, kUnnamed);
    SearchPath(kJapanese, kUnnamed, DefaultFolder());
  }
};

struct Case {
  const char* label;
  std::function<void(AutoCadUser&)> arrange;
  std::vector<std::u16string> receive;    // each gets the three tables
  std::vector<std::u16string> untouched;  // each gets none, and is not made
};

TEST(ProfileFoldersTest, TablesGoWhereEachProfileReadsThem) {
  const std::u16string d = u"D:\\Plot Styles";
  const std::u16string office(kOffice);
  const std::u16string english_default =
      std::u16string(kAppData) + u"\\Autodesk\\AutoCAD 2023\\R24.2\\enu\\Plotters\\Plot Styles";
  const Case cases[] = {
      {"a profile naming the office's folder: there and in the default folder",
       [&](AutoCadUser& r) {
         r.FirstAutoCadStart();
         r.files.AddFolder(office);
         r.SearchPath(kJapanese, kUnnamed, office);
       },
       {office, DefaultFolder()},
       {}},
      {"the profile's folder holds no acad.ctb: the profile names it all the same",
       [&](AutoCadUser& r) {
         r.files.AddFolder(office);
         r.Product(kJapanese, kUnnamed);
         r.SearchPath(kJapanese, kUnnamed, office);
       },
       {office},
       {DefaultFolder()}},
      {"several folders: the first that exists; a missing one is not made",
       [&](AutoCadUser& r) {
         r.files.AddFolder(office);
         r.files.AddFolder(d);
         r.Product(kJapanese, kUnnamed);
         r.SearchPath(kJapanese, kUnnamed,
                      u"E:\\Gone\\Plot Styles; C:\\CAD\\Plot Styles\\;D:\\Plot Styles");
       },
       {office},
       {u"E:\\Gone\\Plot Styles", d}},
      {"a search path none of whose folders exists gives nothing",
       [&](AutoCadUser& r) {
         r.Product(kJapanese, kUnnamed);
         r.SearchPath(kJapanese, kUnnamed, u"E:\\Gone;F:\\Gone too");
       },
       {},
       {u"E:\\Gone", u"F:\\Gone too"}},
      {"a folder not named in full is passed over",
       [&](AutoCadUser& r) {
         r.files.AddFolder(std::u16string(kInstall) + u"\\Plot Styles\\x");
         r.files.AddFolder(office);
         r.Product(kJapanese, kUnnamed);
         r.SearchPath(kJapanese, kUnnamed, u"Plot Styles\\x;\\Plot Styles\\x;C:\\CAD\\Plot Styles");
       },
       {office},
       {std::u16string(kInstall) + u"\\Plot Styles\\x"}},
      {"REG_EXPAND_SZ with a variable",
       [&](AutoCadUser& r) {
         r.files.environment[u"CADROOT"] = u"C:\\CAD";
         r.files.AddFolder(office);
         r.Product(kJapanese, kUnnamed);
         r.SearchPath(kJapanese, kUnnamed, u"%CadRoot%\\Plot Styles", kRegExpandSz);
       },
       {office},
       {}},
      {"REG_SZ is expanded too",
       [&](AutoCadUser& r) {
         r.files.environment[u"CADROOT"] = u"C:\\CAD";
         r.files.AddFolder(office);
         r.Product(kJapanese, kUnnamed);
         r.SearchPath(kJapanese, kUnnamed, u"%CADROOT%\\Plot Styles");
       },
       {office},
       {}},
      {"a shared folder",
       [&](AutoCadUser& r) {
         r.files.AddFolder(kShare);
         r.Product(kJapanese, kUnnamed);
         r.SearchPath(kJapanese, kUnnamed, kShare);
       },
       {std::u16string(kShare)},
       {}},
      {"another current profile, and a second profile",
       [&](AutoCadUser& r) {
         r.files.AddFolder(office);
         r.files.AddFolder(d);
         r.Product(kJapanese, u"Halvane");
         r.SearchPath(kJapanese, u"Halvane", office);
         r.SearchPath(kJapanese, kUnnamed, d);
       },
       {office, d},
       {}},
      {"the English key beside the Japanese",
       [&](AutoCadUser& r) {
         r.FirstAutoCadStart();
         r.files.AddFile(english_default + u"\\acad.ctb");
         r.Product(kEnglish, kUnnamed);
         r.SearchPath(kEnglish, kUnnamed, english_default);
       },
       {DefaultFolder(), english_default},
       {}},
      {"a vertical's key is another program's",
       [&](AutoCadUser& r) {
         r.files.AddFolder(office);
         r.Product(u"ACAD-6100:411", kUnnamed);
         r.SearchPath(u"ACAD-6100:411", kUnnamed, office);
         r.Product(u"ACAD-6104:411", kUnnamed);
         r.SearchPath(u"ACAD-6104:411", kUnnamed, office);
         r.Product(u"ACAD-6101", kUnnamed);
         r.SearchPath(u"ACAD-6101", kUnnamed, office);
       },
       {},
       {office}},
      {"the product's name in other letter case",
       [&](AutoCadUser& r) {
         r.files.AddFolder(office);
         r.Product(u"acad-6101:411", kUnnamed);
         r.SearchPath(u"acad-6101:411", kUnnamed, office);
       },
       {office},
       {}},
      {"a roaming root of its own, where AutoCAD has made the folder",
       [&](AutoCadUser& r) {
         r.files.AddFile(u"E:\\Roaming\\jpn\\Plotters\\Plot Styles\\acad.ctb");
         r.RoamingRoot(kJapanese, u"E:\\Roaming\\jpn\\");
         r.files.AddFolder(u"F:\\Roaming\\enu\\Plotters\\Plot Styles");
         r.RoamingRoot(kEnglish, u"F:\\Roaming\\enu");
       },
       {u"E:\\Roaming\\jpn\\Plotters\\Plot Styles"},
       {u"F:\\Roaming\\enu\\Plotters\\Plot Styles"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    AutoCadUser run;
    c.arrange(run);
    run.FormCreate();
    for (const std::u16string& folder : c.receive)
      EXPECT_TRUE(HasAddOnTables(run.files, folder)) << Utf8(folder);
    for (const std::u16string& folder : c.untouched) {
      EXPECT_FALSE(run.files.Contents(folder + u"\\Hv_mono.ctb")) << Utf8(folder);
    }
    EXPECT_EQ(run.files.copies, 3 * static_cast<int>(c.receive.size())) << "each folder once";
    EXPECT_TRUE(run.log.Has("exec open|" + Utf8(kAcad) + "| /t Halvane.dwt|shown"));
    EXPECT_FALSE(run.log.HasPrefix("error ")) << "nothing is reported";
    EXPECT_EQ(run.registry.OpenKeys(), 0);
  }
}

// The current profile is the one AutoCAD runs with: its folder is served
// first, whatever the order of the profiles' keys.
TEST(ProfileFoldersTest, CurrentProfilesFolderIsServedFirst) {
  AutoCadUser run;
  const std::u16string office(kOffice);
  const std::u16string d = u"D:\\Plot Styles";
  run.files.AddFolder(office);
  run.files.AddFolder(d);
  run.Product(kJapanese, u"Halvane");
  run.SearchPath(kJapanese, u"Halvane", office);  // listed after "<<Unnamed Profile>>"
  run.SearchPath(kJapanese, kUnnamed, d);
  run.FormCreate();
  const auto copy_into = [&](const std::u16string& folder) {
    return run.log.IndexOf(Arrival(folder, u"Hv_color.ctb"));
  };
  ASSERT_GE(copy_into(office), 0);
  ASSERT_GE(copy_into(d), 0);
  EXPECT_LT(copy_into(office), copy_into(d));
}

// A table in a folder the profile names is the user's as anywhere else.
TEST(ProfileFoldersTest, ChangedTableInTheProfilesFolderIsKept) {
  AutoCadUser run;
  run.files.AddFile(std::u16string(kOffice) + u"\\Hv_mono.ctb", "the office's own");
  run.Product(kJapanese, kUnnamed);
  run.SearchPath(kJapanese, kUnnamed, kOffice);
  run.FormCreate();
  EXPECT_EQ(run.files.Contents(std::u16string(kOffice) + u"\\Hv_mono.ctb"), "the office's own");
  EXPECT_EQ(run.files.Contents(std::u16string(kOffice) + u"\\Hv_color.ctb"), "add-on Hv_color.ctb");
  EXPECT_EQ(run.files.Contents(std::u16string(kOffice) + u"\\Hv_mono2.ctb"), "add-on Hv_mono2.ctb");
}

// AutoCAD's data that cannot be read, or a folder that cannot take the
// tables, is passed over: the next folder still gets them, AutoCAD starts,
// and nothing is reported.
TEST(ProfileFoldersTest, WhatCannotBeReadOrWrittenIsPassedOverQuietly) {
  const std::u16string office(kOffice);
  const std::u16string second = u"D:\\Second\\Plot Styles";
  const Case cases[] = {
      {"a search path of another type",
       [&](AutoCadUser& r) {
         r.registry.PutValue(RootKey::CurrentUser, ProfileKey(kJapanese, kUnnamed) + u"\\General",
                             u"PrinterStyleSheetDir", kRegDword, {1, 0, 0, 0});
       },
       {second},
       {office}},
      {"a current profile of another type",
       [&](AutoCadUser& r) {
         r.registry.PutValue(RootKey::CurrentUser, ProductKey(kJapanese) + u"\\Profiles", u"",
                             kRegBinary, {1, 2, 3});
       },
       {office, second},
       {}},
      {"a roaming root of another type",
       [&](AutoCadUser& r) {
         r.registry.PutValue(RootKey::CurrentUser, ProductKey(kJapanese), u"RoamableRootFolder",
                             kRegMultiSz, EncodeRegistryString(u"E:\\Roaming"));
       },
       {office, second},
       {}},
      {"a profile without General",
       [&](AutoCadUser& r) {
         r.registry.PutKey(RootKey::CurrentUser, ProfileKey(kJapanese, u"Bare"));
       },
       {office, second},
       {}},
      {"a profile's key that does not open",
       [&](AutoCadUser& r) {
         r.registry.fail_open = [](std::u16string_view path) {
           return path.find(u"ACAD-6101:411\\Profiles\\<<Unnamed Profile>>\\General") !=
                  std::u16string_view::npos;
         };
       },
       {second},
       {office}},
      {"a product key that may not be listed",
       [&](AutoCadUser& r) {
         r.registry.MakeQueryOnly(RootKey::CurrentUser, ProductKey(kJapanese) + u"\\Profiles");
       },
       {second},
       {office}},
      {"the release key that does not open",
       [&](AutoCadUser& r) {
         r.registry.fail_open = [](std::u16string_view path) {
           return path == u"SoftWare\\Autodesk\\AutoCAD\\R24.2\\";
         };
       },
       {},
       {office, second}},
      {"an expansion that fails",
       [&](AutoCadUser& r) { r.files.fail_expand = true; },
       {},
       {office, second}},
      {"a folder that is gone",
       [&](AutoCadUser& r) { r.files.Remove(office); },
       {second},
       {office}},
      {"a folder that cannot be written",
       [&](AutoCadUser& r) {
         r.files.fail_copy = [&](std::u16string_view target) { return target.starts_with(office); };
       },
       {second},
       {office}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    AutoCadUser run;
    // The Japanese profile names the office's folder; the English one
    // another, so that what follows a failure is seen to go on.
    run.files.AddFolder(office);
    run.files.AddFolder(second);
    run.Product(kJapanese, kUnnamed);
    run.SearchPath(kJapanese, kUnnamed, office);
    run.Product(kEnglish, kUnnamed);
    run.SearchPath(kEnglish, kUnnamed, second);
    c.arrange(run);
    run.FormCreate();
    for (const std::u16string& folder : c.receive)
      EXPECT_TRUE(HasAddOnTables(run.files, folder)) << Utf8(folder);
    for (const std::u16string& folder : c.untouched)
      EXPECT_FALSE(run.files.Contents(folder + u"\\Hv_mono.ctb")) << Utf8(folder);
    EXPECT_TRUE(run.log.Has("exec open|" + Utf8(kAcad) + "| /t Halvane.dwt|shown"));
    EXPECT_FALSE(run.log.HasPrefix("error ")) << "nothing is reported";
    EXPECT_FALSE(run.log.HasPrefix("messagebox ")) << "nothing is reported";
    EXPECT_EQ(run.registry.OpenKeys(), 0);
    EXPECT_EQ(run.registry.Sets(), 0) << "AutoCAD's data is only read";
  }
}

TEST(ProfileFoldersTest, FirstExistingFolderOfASearchPath) {
  FakeFileSystem files;
  files.AddFolder(u"C:\\CAD\\Plot Styles");
  files.AddFolder(u"D:\\");
  files.AddFile(u"C:\\CAD\\a file");
  struct Case {
    std::u16string path, first;
  } const cases[] = {
      {u"C:\\CAD\\Plot Styles", u"C:\\CAD\\Plot Styles"},
      {u"C:\\CAD\\Plot Styles\\\\", u"C:\\CAD\\Plot Styles"},
      {u"  C:\\CAD\\Plot Styles  ", u"C:\\CAD\\Plot Styles"},
      {u";;E:\\x;C:\\CAD\\Plot Styles;D:\\", u"C:\\CAD\\Plot Styles"},
      {u"D:\\", u"D:\\"},
      {u"C:\\CAD\\a file", u""},
      {u"", u""},
      {u";", u""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(FirstExistingFolder(files, c.path), c.first) << Utf8(c.path);
}

TEST(ProfileFoldersTest, SameFolderIgnoresLetterCaseAndATrailingBackslash) {
  EXPECT_TRUE(SameFolder(u"C:\\CAD\\Plot Styles", u"c:\\cad\\plot styles\\"));
  EXPECT_TRUE(SameFolder(u"C:\\", u"c:\\"));
  EXPECT_FALSE(SameFolder(u"C:\\CAD\\Plot Styles", u"C:\\CAD\\Plot Styles 2"));
}

}  // namespace
}  // namespace halvane::test
