// The start-up sequence.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/unit/LauncherFixture.h"

namespace halvane::test {
namespace {

using Strings = std::vector<std::string>;

const std::string kStored = "C:\\AutoCAD\\acad.exe";

TEST_F(LauncherTest, StoredPathWhoseFileExistsIsTakenAndLaunchedAtOnce) {
  StorePath(u"C:\\AutoCAD\\acad.exe");
  FormCreate();
  const Strings start(log.entries.begin(), log.entries.begin() + 10);
  EXPECT_EQ(start, (Strings{"splash create", "splash show", "splash repaint", "sleep 800",
                            "splash release", "disable Button2", "edit4 " + kStored,
                            "disable Edit4", "press Button1", "startupinfo"}));
  EXPECT_TRUE(log.Has("exec open|" + kStored + "| /t Halvane.dwt|shown"));
  EXPECT_EQ(shell.last_request_directory, kInstall);
  // Nothing recorded, nothing searched: besides the template, the stored
  // file is the one thing looked at, and then only whether AutoCAD has made
  // a plot-style folder (it has not) and whether the add-on has tables to
  // give (it has not: nothing is copied, AutoCAD's profiles are not read).
  EXPECT_EQ(registry.ValueCount(RootKey::CurrentUser, kUserKeyPath), 1u);
  EXPECT_EQ(files.copies, 0);
  const std::u16string app_data(kAppData);
  EXPECT_EQ(files.probed,
            (std::vector<std::u16string>{
                u"C:\\Halvane\\Halvane.dwt", u"C:\\AutoCAD\\acad.exe",
                app_data + u"\\Autodesk\\AutoCAD\\R24.2\\jpn\\Plotters\\Plot Styles\\acad.ctb",
                app_data + u"\\Autodesk\\AutoCAD 2023\\R24.2\\jpn\\Plotters\\Plot Styles\\acad.ctb",
                u"C:\\Halvane\\Plot Styles\\Hv_mono.ctb"}));
  EXPECT_EQ(files.listed,
            std::vector<std::u16string>{app_data + u"\\Autodesk\\AutoCAD 2023\\R24.2"});
  EXPECT_EQ(State().ACADLocation, u"C:\\AutoCAD\\acad.exe");
  EXPECT_EQ(State().ACADpath, u"C:\\AutoCAD\\acad.exe");
  EXPECT_EQ(State().HALVdir0, kInstall);
  EXPECT_EQ(State().HALVdir2, kInstall);
  EXPECT_EQ(registry.OpenKeys(), 0);
}

TEST_F(LauncherTest, StoredValuesOfFiveCharactersOrFewerAreIgnored) {
  struct Case {
    std::u16string stored;
    bool taken;
  } const cases[] = {{u"", false}, {u"a.exe", false}, {u"C:\\acad", true}, {u"ab.exe", true}};
  for (const Case& c : cases) {
    EventLog fresh;
    log = fresh;
    FakeRegistry reg;
    FakeFileSystem fs;
    fs.current_directory = std::u16string(kInstall);
    reg.PutString(RootKey::CurrentUser, kUserKeyPath, u"AcadPath", c.stored);
    // Each file exists, so the length alone decides.
    if (!c.stored.empty())
      fs.AddFile(c.stored);
    TForm1 f(Platform{reg, fs, shell, app}, view);
    view.on_press_button1 = [&] { f.Button1Click(); };
    Dispatch(app, [&] { f.FormCreate(); });
    EXPECT_EQ(Inspect(f).ACADLocation, c.taken ? c.stored : u"") << Utf8(c.stored);
    const bool searched =
        std::find(fs.probed.begin(), fs.probed.end(), kDefaultAcad1) != fs.probed.end();
    EXPECT_EQ(searched, !c.taken) << "discovery runs only when the value is ignored";
    EXPECT_EQ(log.Has("press Button1"), c.taken);
  }
}

TEST_F(LauncherTest, FirstStartRecordsInstallsAndThenLaunches) {
  files.AddFile(kDefaultAcad1, "acad");
  InstallTables();
  AutoCadProfile(PlotStyles());
  FormCreate();
  EXPECT_EQ(Stored(u"AcadPath"), kDefaultAcad1);
  EXPECT_EQ(Stored(u"LibPath"), kInstall);
  EXPECT_EQ(files.Contents(PlotStyles() + u"\\Hv_mono.ctb"), "add-on Hv_mono.ctb");
  const long copied = log.IndexOf(Arrival(PlotStyles(), u"Hv_mono2.ctb"));
  ASSERT_GE(copied, 0);
  EXPECT_LT(copied, log.IndexOf("press Button1"));
  EXPECT_EQ(State().ACADpath, kDefaultAcad1);
  EXPECT_EQ(view.edit4, kDefaultAcad1);
  EXPECT_FALSE(view.Enabled(ViewControl::kButton2));
  EXPECT_FALSE(view.Enabled(ViewControl::kEdit4));
}

TEST_F(LauncherTest, WorkingFolderIsTheInstallationFolder) {
  files.current_directory = u"D:\\Elsewhere";
  files.AddFile(kDefaultAcad1);
  InstallTables(u"D:\\Elsewhere");
  AutoCadProfile(PlotStyles());
  FormCreate();
  EXPECT_EQ(Stored(u"LibPath"), u"D:\\Elsewhere");
  EXPECT_EQ(files.Contents(PlotStyles() + u"\\Hv_color.ctb"), "add-on Hv_color.ctb");
}

// AutoCAD uninstalled, moved, or reinstalled in the other default folder:
// the stale record counts as none, and what discovery finds replaces it.
enum class FoundAt { kDefault1, kDefault2, kRegistration, kWow6432Registration };

class StaleRecordTest : public LauncherTest, public ::testing::WithParamInterface<FoundAt> {};

TEST_P(StaleRecordTest, IsReplacedByWhatDiscoveryFinds) {
  const std::u16string folder = u"E:\\Apps\\AutoCAD 2023";
  std::u16string found = folder + u"\\acad.exe";
  const auto registration = [&](std::u16string_view user, std::u16string_view machine) {
    registry.PutString(RootKey::CurrentUser, user, u"CurVer", u"ACAD-6101:411");
    registry.PutString(RootKey::LocalMachine, std::u16string(machine) + u"ACAD-6101:411",
                       u"AcadLocation", folder);
    files.AddFile(found);
  };
  switch (GetParam()) {
    case FoundAt::kDefault1:
      found = kDefaultAcad1;
      files.AddFile(found);
      break;
    case FoundAt::kDefault2:
      found = kDefaultAcad2;
      files.AddFile(found);
      break;
    case FoundAt::kRegistration:
      registration(u"Software\\Autodesk\\AutoCAD\\R24.2", u"Software\\Autodesk\\AutoCAD\\R24.2\\");
      break;
    case FoundAt::kWow6432Registration:
      registration(u"Software\\Wow6432Node\\Autodesk\\AutoCAD\\R24.2",
                   u"Software\\Wow6432Node\\Autodesk\\AutoCAD\\R24.2\\");
      break;
  }
  InstallTables();
  AutoCadProfile(PlotStyles());
  StoreStalePath(u"C:\\Old AutoCAD\\acad.exe");
  FormCreate();
  EXPECT_FALSE(log.Has("messagebox 実行できません (2)"));
  EXPECT_TRUE(log.Has("exec open|" + Utf8(found) + "| /t Halvane.dwt|shown"));
  EXPECT_EQ(Stored(u"AcadPath"), found);
  EXPECT_EQ(Stored(u"LibPath"), kInstall);
  EXPECT_EQ(State().ACADpath, found);
  EXPECT_FALSE(view.Enabled(ViewControl::kButton2));
  // Recorded as on a first start: the tables come with it, before the launch.
  EXPECT_EQ(files.Contents(PlotStyles() + u"\\Hv_mono.ctb"), "add-on Hv_mono.ctb");
  const long copied = log.IndexOf(Arrival(PlotStyles(), u"Hv_color.ctb"));
  ASSERT_GE(copied, 0);
  EXPECT_LT(copied, log.IndexOf("press Button1"));
}

INSTANTIATE_TEST_SUITE_P(EachPlace,
                         StaleRecordTest,
                         ::testing::Values(FoundAt::kDefault1,
                                           FoundAt::kDefault2,
                                           FoundAt::kRegistration,
                                           FoundAt::kWow6432Registration));

TEST_F(LauncherTest, StoredPathThatIsGoneWithNothingFoundLeavesTheWindowAndTheRecord) {
  StoreStalePath(u"C:\\Old AutoCAD\\acad.exe");
  FormCreate();
  EXPECT_FALSE(log.Has("press Button1"));
  // No message box: the panel says why the window waits, nothing else.
  ASSERT_GE(log.entries.size(), 2u);
  EXPECT_EQ(log.entries[log.entries.size() - 2], "splash release");
  EXPECT_EQ(log.entries.back(), "panel1 AutoCAD 2023 が見つかりません");
  for (const ViewControl control :
       {ViewControl::kButton1, ViewControl::kButton2, ViewControl::kButton3, ViewControl::kEdit4}) {
    EXPECT_TRUE(view.Enabled(control));
  }
  EXPECT_EQ(view.edit4, u"");
  EXPECT_EQ(State().ACADLocation, u"");
  EXPECT_EQ(State().ACADpath, u"");
  // The stale value stays until the user picks AutoCAD; the pick replaces it.
  EXPECT_EQ(Stored(u"AcadPath"), u"C:\\Old AutoCAD\\acad.exe");
  EXPECT_FALSE(Stored(u"LibPath"));
  files.AddFile(u"F:\\AutoCAD 2023\\acad.exe");
  view.dialog_results.push_back(u"F:\\AutoCAD 2023\\acad.exe");
  Run(&TForm1::Button2Click);
  EXPECT_EQ(Stored(u"AcadPath"), u"F:\\AutoCAD 2023\\acad.exe");
}

TEST_F(LauncherTest, NothingFoundLeavesTheWindowToTheUser) {
  FormCreate();
  EXPECT_FALSE(log.Has("press Button1"));
  EXPECT_TRUE(log.Has("splash release"));
  EXPECT_TRUE(view.Enabled(ViewControl::kButton1));
  EXPECT_TRUE(view.Enabled(ViewControl::kButton2));
  EXPECT_TRUE(view.Enabled(ViewControl::kButton3));
  EXPECT_TRUE(view.Enabled(ViewControl::kEdit4));
  EXPECT_EQ(view.edit4, u"");
  EXPECT_EQ(view.panel1, u"AutoCAD 2023 が見つかりません") << "the window says why it waits";
  EXPECT_FALSE(Stored(u"AcadPath"));
  EXPECT_EQ(State().ACADLocation, u"");
}

TEST_F(LauncherTest, LaunchWithNothingFoundReportsTheFailureAndEnds) {
  FormCreate();
  shell.fail_with = 2;
  view.PressButton1();
  EXPECT_TRUE(log.Has("exec open|| /t Halvane.dwt|shown"));
  EXPECT_TRUE(log.Has("messagebox 実行できません (2)"));
  EXPECT_TRUE(log.Has("terminate"));
}

TEST_F(LauncherTest, StoredPathOfAnotherTypeReportsAndStopsTheSequence) {
  registry.PutValue(RootKey::CurrentUser, kUserKeyPath, u"AcadPath", kRegDword, {1, 0, 0, 0});
  files.AddFile(kDefaultAcad1);
  FormCreate();
  EXPECT_TRUE(log.Has("error 'AcadPath' のデータ型が不正です."));
  EXPECT_TRUE(std::find(files.probed.begin(), files.probed.end(), kDefaultAcad1) ==
              files.probed.end())
      << "discovery must not run";
  EXPECT_FALSE(log.Has("press Button1"));
  // The splash goes before the report shows, so it never covers the window.
  ASSERT_TRUE(log.Has("splash release"));
  EXPECT_LT(log.IndexOf("splash release"), log.IndexOf("error 'AcadPath' のデータ型が不正です."));
  EXPECT_EQ(State().HALVdir0, kInstall);
  EXPECT_EQ(registry.OpenKeys(), 0);
}

TEST_F(LauncherTest, LauncherKeyThatOnlyReadsStillGivesThePath) {
  StorePath(u"C:\\AutoCAD\\acad.exe");
  registry.MakeReadOnly(RootKey::CurrentUser, kUserKeyPath);
  FormCreate();
  EXPECT_EQ(State().ACADLocation, u"C:\\AutoCAD\\acad.exe");
  EXPECT_TRUE(log.Has("press Button1"));
}

TEST_F(LauncherTest, LauncherKeyThatDoesNotOpenMeansNothingStored) {
  StorePath(u"C:\\AutoCAD\\acad.exe");
  registry.fail_open = [](std::u16string_view path) {
    return path.find(u"Fenwright") != path.npos;
  };
  files.AddFile(kDefaultAcad2);
  FormCreate();
  EXPECT_EQ(State().ACADLocation, kDefaultAcad2);
  EXPECT_EQ(State().ACADpath, kDefaultAcad2);
}

}  // namespace
}  // namespace halvane::test
