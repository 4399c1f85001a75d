// What every start does once AutoCAD's path is known: the plot-style tables
// go into each profile AutoCAD has made, and the installation folder is the
// one that holds the add-on's template.
#include <gtest/gtest.h>

#include "tests/unit/LauncherFixture.h"

namespace halvane::test {
namespace {

constexpr std::u16string_view kAcad = u"D:\\Autodesk\\AutoCAD 2023\\acad.exe";
constexpr std::u16string_view kProgramFolder = u"C:\\Program Files (x86)\\Fenwright\\Halvane2023";
constexpr std::u16string_view kDesktop = u"C:\\Users\\ken\\Desktop";

class EveryStartTest : public LauncherTest {
 protected:
  // The add-on as the package installs it: template and tables.
  void InstallAddOn() {
    files.AddFile(std::u16string(kInstall) + u"\\Halvane.dwt", "template");
    InstallTables();
  }
  bool AllInstalled(std::u16string_view folder) const { return HasAddOnTables(files, folder); }
  bool NoneInstalled(std::u16string_view folder) const {
    for (const char16_t* table : kTables) {
      if (files.Contents(std::u16string(folder) + u"\\" + table))
        return false;
    }
    return true;
  }
};

// Most users open the shortcut before they ever start AutoCAD, which makes
// their profile on its first start: the tables must follow at the next start.
TEST_F(EveryStartTest, TablesArriveAtTheStartAfterAutoCadMadeTheProfile) {
  InstallAddOn();
  files.AddFile(kDefaultAcad1);
  FormCreate();
  EXPECT_EQ(Stored(u"AcadPath"), kDefaultAcad1);
  EXPECT_EQ(Stored(u"LibPath"), kInstall);
  EXPECT_EQ(files.copies, 0) << "AutoCAD has made no plot-style folder yet";

  // AutoCAD's first start makes the Japanese profile.
  AutoCadProfile(PlotStyles2023(u"jpn"));
  log.entries.clear();
  for (int start = 2; start <= 3; ++start) {
    SCOPED_TRACE("start " + std::to_string(start));
    const int sets = registry.Sets();
    NextRun();
    FormCreate();
    EXPECT_TRUE(AllInstalled(PlotStyles2023(u"jpn")));
    EXPECT_EQ(State().ACADFolder2, PlotStyles2023(u"jpn"));
    EXPECT_EQ(registry.Sets(), sets) << "a later start records nothing";
    EXPECT_EQ(Stored(u"AcadPath"), kDefaultAcad1);
    EXPECT_EQ(Stored(u"LibPath"), kInstall);
    EXPECT_EQ(registry.ValueCount(RootKey::CurrentUser, kUserKeyPath), 2u);
    // Installed before AutoCAD is started.
    EXPECT_LT(log.IndexOf(Arrival(PlotStyles2023(u"jpn"), u"Hv_color.ctb")),
              log.IndexOf("exec open|" + Utf8(kDefaultAcad1) + "| /t Halvane.dwt|shown"));
    log.entries.clear();
  }
}

TEST_F(EveryStartTest, ChangedTableIsKeptAndADeletedOneIsAddedAgain) {
  InstallAddOn();
  StorePath(kAcad);
  AutoCadProfile(PlotStyles());
  files.AddFile(PlotStyles() + u"\\Hv_mono.ctb", "the user's own edit");
  files.AddFile(PlotStyles() + u"\\Hv_mono2.ctb", "add-on Hv_mono2.ctb");
  FormCreate();
  EXPECT_EQ(files.Contents(PlotStyles() + u"\\Hv_mono.ctb"), "the user's own edit");
  EXPECT_EQ(files.Contents(PlotStyles() + u"\\Hv_color.ctb"), "add-on Hv_color.ctb");
  EXPECT_EQ(files.Contents(PlotStyles() + u"\\Hv_mono2.ctb"), "add-on Hv_mono2.ctb");
  EXPECT_TRUE(log.Has("press Button1"));
}

TEST_F(EveryStartTest, EveryLanguageProfileOfAutoCad2023ReceivesTheTables) {
  struct Case {
    const char* label;
    bool older_folder;                        // the folder named after R24.2 alone
    std::vector<std::u16string> made;         // profiles with AutoCAD's acad.ctb
    std::vector<std::u16string> without_ctb;  // profile folders AutoCAD has not finished
    std::u16string first;                     // ACADFolder2
  } const cases[] = {
      {"English alone", false, {u"enu"}, {}, PlotStyles2023(u"enu")},
      {"Japanese with English", false, {u"enu", u"jpn"}, {}, PlotStyles2023(u"jpn")},
      {"Japanese in capitals", false, {u"deu", u"JPN"}, {}, PlotStyles2023(u"jpn")},
      {"the older folder first", true, {u"enu", u"jpn"}, {}, {}},
      {"a profile without acad.ctb is left alone",
       false,
       {u"jpn"},
       {u"chs"},
       PlotStyles2023(u"jpn")},
      {"no profile at all", false, {}, {u"enu"}, u""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FreshLauncher run;
    AddAddOnTables(run.files, kInstall);
    if (c.older_folder)
      run.files.AddFile(PlotStyles() + u"\\acad.ctb");
    for (const std::u16string& language : c.made)
      run.files.AddFile(PlotStyles2023(language) + u"\\acad.ctb");
    for (const std::u16string& language : c.without_ctb)
      run.files.AddFolder(PlotStyles2023(language));
    run.registry.PutString(RootKey::CurrentUser, kUserKeyPath, u"AcadPath", kAcad);
    run.files.AddFile(kAcad);
    run.FormCreate();

    EXPECT_EQ(Inspect(run.form).ACADFolder2, c.older_folder ? PlotStyles() : c.first);
    for (const std::u16string& language : c.made)
      EXPECT_TRUE(HasAddOnTables(run.files, PlotStyles2023(language))) << Utf8(language);
    if (c.older_folder) {
      EXPECT_TRUE(HasAddOnTables(run.files, PlotStyles()));
    }
    for (const std::u16string& language : c.without_ctb) {
      EXPECT_FALSE(run.files.Contents(PlotStyles2023(language) + u"\\Hv_mono.ctb"))
          << Utf8(language);
    }
    // Each folder once: three copies per folder, no more.
    const int folders = static_cast<int>(c.made.size()) + (c.older_folder ? 1 : 0);
    EXPECT_EQ(run.files.copies, 3 * folders);
  }
}

TEST_F(EveryStartTest, WithoutTheSourceMonoTableNoStartCopiesAnything) {
  files.AddFile(u"C:\\Halvane\\Halvane.dwt");
  files.AddFile(u"C:\\Halvane\\Plot Styles\\Hv_color.ctb");
  files.AddFile(u"C:\\Halvane\\Plot Styles\\Hv_mono2.ctb");
  AutoCadProfile(PlotStyles2023(u"jpn"));
  files.AddFile(kDefaultAcad1);
  FormCreate();
  NextRun();
  FormCreate();
  EXPECT_EQ(log.Count("press Button1"), 2);
  EXPECT_EQ(files.copies, 0);
  EXPECT_TRUE(NoneInstalled(PlotStyles2023(u"jpn")));
}

// A file named acad.ctb at the root of the drive is no plot-style folder of
// AutoCAD's and must not keep the tables from the profile.
TEST_F(EveryStartTest, AcadCtbAtTheDriveRootDoesNotHideTheProfile) {
  InstallAddOn();
  files.AddFile(u"C:\\acad.ctb");
  AutoCadProfile(PlotStyles2023(u"jpn"));
  files.AddFile(kDefaultAcad1);
  FormCreate();
  EXPECT_TRUE(AllInstalled(PlotStyles2023(u"jpn")));
  EXPECT_EQ(State().ACADFolder2, PlotStyles2023(u"jpn"));
}

TEST_F(EveryStartTest, InstallationFolderIsTheOneThatHoldsTheTemplate) {
  struct Case {
    const char* label;
    std::u16string working;
    bool working_has_template, program_folder_has_template;
    std::u16string expected;
  } const cases[] = {
      {"working folder with the template", std::u16string(kInstall), true, true,
       std::u16string(kInstall)},
      {"program folder with the template", std::u16string(kDesktop), false, true,
       std::u16string(kProgramFolder)},
      {"neither: the working folder", std::u16string(kDesktop), false, false,
       std::u16string(kDesktop)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FreshLauncher run;
    run.files.current_directory = c.working;
    run.files.program_file = std::u16string(kProgramFolder) + u"\\Halvane2023.exe";
    run.files.AddFile(run.files.program_file);
    run.files.AddFolder(kDesktop);
    // Each folder's tables say where they come from.
    for (const std::u16string& folder : {c.working, std::u16string(kProgramFolder)}) {
      for (const char16_t* table : kTables)
        run.files.AddFile(folder + u"\\Plot Styles\\" + table, Utf8(folder));
    }
    if (c.working_has_template)
      run.files.AddFile(c.working + u"\\Halvane.dwt");
    if (c.program_folder_has_template)
      run.files.AddFile(std::u16string(kProgramFolder) + u"\\Halvane.dwt");
    run.files.AddFile(PlotStyles() + u"\\acad.ctb");
    run.files.AddFile(kDefaultAcad1);
    run.FormCreate();
    EXPECT_EQ(Inspect(run.form).HALVdir0, c.expected);
    EXPECT_EQ(Inspect(run.form).HALVdir2, c.expected);
    const FakeRegistry::Value* lib_path = run.Recorded(u"LibPath");
    ASSERT_TRUE(lib_path);
    EXPECT_EQ(DecodeRegistryString(lib_path->data), c.expected);
    EXPECT_EQ(run.files.Contents(PlotStyles() + u"\\Hv_mono.ctb"), Utf8(c.expected))
        << "the tables come from the installation folder";
    EXPECT_EQ(run.shell.last_request_directory, c.expected) << "AutoCAD starts there";
  }
}

// AutoCAD starts in the installation folder: started from another folder
// (a drawing's own, with a relative name), the launcher gives AutoCAD the
// drawing's full name; started in the installation folder, the name as
// given. Switches and their values go as given either way.
TEST_F(EveryStartTest, RelativeDrawingsReachAutoCadStartedElsewhereInFull) {
  struct Case {
    const char* label;
    std::u16string working;
    std::string expected;
  } const cases[] = {
      {"from the drawings' folder", u"C:\\Users\\ken\\Drawings",
       "exec open|C:\\AutoCAD\\acad.exe| \"C:\\Users\\ken\\Drawings\\plan.dwg\" "
       "\"C:\\Users\\ken\\old\\a.dwg\" \"D:\\b.dwg\" /b \"start.scr\"|shown"},
      {"from the installation folder", std::u16string(kProgramFolder),
       "exec open|C:\\AutoCAD\\acad.exe| \"plan.dwg\" \"..\\old\\a.dwg\" \"D:\\b.dwg\" "
       "/b \"start.scr\"|shown"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FreshLauncher run;
    run.files.current_directory = c.working;
    run.files.AddFolder(c.working);
    run.files.program_file = std::u16string(kProgramFolder) + u"\\Halvane2023.exe";
    run.files.AddFile(run.files.program_file);
    run.files.AddFile(std::u16string(kProgramFolder) + u"\\Halvane.dwt");
    run.files.command_line =
        u"\"" + run.files.program_file + u"\" D:\\b.dwg ..\\old\\a.dwg /b start.scr plan.dwg";
    run.registry.PutString(RootKey::CurrentUser, kUserKeyPath, u"AcadPath",
                           u"C:\\AutoCAD\\acad.exe");
    run.files.AddFile(u"C:\\AutoCAD\\acad.exe");
    run.FormCreate();
    EXPECT_TRUE(run.log.Has(c.expected)) << run.log.entries.back();
    EXPECT_EQ(run.shell.last_request_directory, kProgramFolder) << "AutoCAD starts there";
  }
}

// The add-on inside AutoCAD finds its files through "LibPath": a record made
// from a wrong working folder is mended at a later start, but only towards a
// folder known to be the installation (it holds the template).
TEST_F(EveryStartTest, StaleLibPathIsWrittenAgainOnlyTowardsTheTemplatesFolder) {
  struct Case {
    const char* label;
    bool template_there;
    std::optional<std::vector<std::uint8_t>> recorded;  // LibPath's REG_SZ data, or missing
    std::uint32_t recorded_type;
    bool autocad_there;
    bool rewritten;
  } const cases[] = {
      {"another folder", true, EncodeRegistryString(kDesktop), kRegSz, true, true},
      {"another folder, no template", false, EncodeRegistryString(kDesktop), kRegSz, true, false},
      {"the same folder", true, EncodeRegistryString(kInstall), kRegSz, true, false},
      {"the same folder in other case", true, EncodeRegistryString(u"c:\\halvane"), kRegSz, true,
       true},
      {"no LibPath", true, std::nullopt, kRegSz, true, true},
      {"LibPath of another type", true, std::vector<std::uint8_t>{1, 0, 0, 0}, kRegDword, true,
       true},
      {"AutoCAD not found", true, EncodeRegistryString(kDesktop), kRegSz, false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FreshLauncher run;
    if (c.template_there)
      run.files.AddFile(u"C:\\Halvane\\Halvane.dwt");
    run.registry.PutString(RootKey::CurrentUser, kUserKeyPath, u"AcadPath", kAcad);
    if (c.recorded) {
      run.registry.PutValue(RootKey::CurrentUser, kUserKeyPath, u"LibPath", c.recorded_type,
                            *c.recorded);
    }
    if (c.autocad_there)
      run.files.AddFile(kAcad);
    run.FormCreate();
    EXPECT_FALSE(run.log.Has("error"));
    const FakeRegistry::Value* lib_path = run.Recorded(u"LibPath");
    if (c.rewritten) {
      ASSERT_TRUE(lib_path);
      EXPECT_EQ(lib_path->type, kRegSz);
      EXPECT_EQ(DecodeRegistryString(lib_path->data), kInstall);
      EXPECT_EQ(run.registry.Sets(), 1) << "nothing but LibPath";
    } else {
      EXPECT_EQ(run.registry.Sets(), 0);
    }
    const FakeRegistry::Value* acad_path = run.Recorded(u"AcadPath");
    ASSERT_TRUE(acad_path);
    EXPECT_EQ(DecodeRegistryString(acad_path->data), kAcad);
  }
}

TEST_F(EveryStartTest, RecordThatCannotBeWrittenIsLeftAndTheStartGoesOn) {
  InstallAddOn();
  StorePath(kAcad);
  registry.PutString(RootKey::CurrentUser, kUserKeyPath, u"LibPath", kDesktop);
  registry.MakeReadOnly(RootKey::CurrentUser, kUserKeyPath);
  FormCreate();
  EXPECT_EQ(Stored(u"LibPath"), kDesktop);
  EXPECT_FALSE(log.Has("error"));
  EXPECT_TRUE(log.Has("press Button1"));
}

TEST_F(EveryStartTest, FailedWriteOfLibPathIsReportedAndNothingStarts) {
  InstallAddOn();
  StorePath(kAcad);
  registry.PutString(RootKey::CurrentUser, kUserKeyPath, u"LibPath", kDesktop);
  registry.fail_set = [](std::u16string_view name) { return name == u"LibPath"; };
  FormCreate();
  EXPECT_TRUE(log.Has("error 'LibPath' の設定に失敗しました."));
  EXPECT_FALSE(log.Has("press Button1"));
  EXPECT_EQ(registry.OpenKeys(), 0);
}

}  // namespace
}  // namespace halvane::test
