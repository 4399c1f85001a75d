// The start-up sequence.
#include <gtest/gtest.h>

#include "tests/unit/LauncherFixture.h"

namespace halvane::test {
namespace {

using Strings = std::vector<std::string>;

const std::string kStored = "C:\\AutoCAD\\acad.exe";

TEST_F(LauncherTest, StoredPathIsTakenUncheckedAndLaunchedAtOnce) {
  StorePath(u"C:\\AutoCAD\\acad.exe");
  FormCreate();
  const Strings start(log.entries.begin(), log.entries.begin() + 10);
  EXPECT_EQ(start, (Strings{"splash create", "splash show", "splash repaint", "sleep 800",
                            "splash release", "disable Button2", "edit4 " + kStored,
                            "disable Edit4", "press Button1", "startupinfo"}));
  EXPECT_TRUE(log.Has("exec open|" + kStored + "| /t Halvane.dwt|5"));
  // Nothing recorded, nothing copied, nothing searched.
  EXPECT_EQ(registry.ValueCount(RootKey::CurrentUser, kUserKeyPath), 1u);
  EXPECT_EQ(files.copies, 0);
  EXPECT_EQ(files.probes, 0);
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
    TForm1 f(Platform{reg, fs, shell, app}, view);
    view.on_press_button1 = [&] { f.Button1Click(); };
    Dispatch(app, [&] { f.FormCreate(); });
    EXPECT_EQ(f.Snapshot().ACADLocation, c.taken ? c.stored : u"") << Utf8(c.stored);
    EXPECT_EQ(fs.probes > 0, !c.taken) << "discovery runs only when the value is ignored";
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
  const long copied = log.IndexOf("copy C:\\Halvane\\Plot Styles\\Hv_mono2.ctb -> " +
                                  Utf8(PlotStyles()) + "\\Hv_mono2.ctb");
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

TEST_F(LauncherTest, NothingFoundLeavesTheWindowToTheUser) {
  FormCreate();
  EXPECT_FALSE(log.Has("press Button1"));
  EXPECT_TRUE(log.Has("splash release"));
  EXPECT_TRUE(view.Enabled(ViewControl::kButton1));
  EXPECT_TRUE(view.Enabled(ViewControl::kButton2));
  EXPECT_TRUE(view.Enabled(ViewControl::kButton3));
  EXPECT_TRUE(view.Enabled(ViewControl::kEdit4));
  EXPECT_EQ(view.edit4, u"");
  EXPECT_FALSE(Stored(u"AcadPath"));
  EXPECT_EQ(State().ACADLocation, u"");
}

TEST_F(LauncherTest, LaunchWithNothingFoundReportsTheFailureAndEnds) {
  FormCreate();
  shell.fail_with = 2;
  view.PressButton1();
  EXPECT_TRUE(log.Has("exec open|| /t Halvane.dwt|5"));
  EXPECT_TRUE(log.Has("messagebox 実行できません (2)"));
  EXPECT_TRUE(log.Has("terminate"));
}

TEST_F(LauncherTest, StoredPathOfAnotherTypeReportsAndStopsTheSequence) {
  registry.PutValue(RootKey::CurrentUser, kUserKeyPath, u"AcadPath", kRegDword, {1, 0, 0, 0});
  files.AddFile(kDefaultAcad1);
  FormCreate();
  EXPECT_TRUE(log.Has("error 'AcadPath' のデータ型が不正です."));
  EXPECT_EQ(files.probes, 0) << "discovery must not run";
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
