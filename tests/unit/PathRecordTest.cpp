// Recording the path and installing the plot styles.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/unit/LauncherFixture.h"

namespace halvane::test {
namespace {

class PathRecordTest : public LauncherTest {
 protected:
  // A start that finds the first default path, so WriteAcadPath runs.
  void StartFindingAutoCad() {
    files.AddFile(kDefaultAcad1);
    FormCreate();
  }
  bool Installed(std::u16string_view table) const {
    return files.Contents(PlotStyles() + u"\\" + std::u16string(table)) == "add-on " + Utf8(table);
  }
};

TEST_F(PathRecordTest, CopyCondition) {
  struct Case {
    const char* label;
    bool color, mono, mono2, acad_ctb;
    bool expect_color, expect_mono, expect_mono2;
  } const cases[] = {
      {"all present", true, true, true, true, true, true, true},
      {"Hv_mono.ctb missing copies none", true, false, true, true, false, false, false},
      {"Hv_color.ctb missing", false, true, true, true, false, true, true},
      {"Hv_mono2.ctb missing", true, true, false, true, true, true, false},
      {"no acad.ctb copies none", true, true, true, false, false, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    FreshLauncher run;
    FakeFileSystem& fs = run.files;
    fs.AddFolder(PlotStyles());
    if (c.color)
      fs.AddFile(u"C:\\Halvane\\Plot Styles\\Hv_color.ctb", "add-on Hv_color.ctb");
    if (c.mono)
      fs.AddFile(u"C:\\Halvane\\Plot Styles\\Hv_mono.ctb", "add-on Hv_mono.ctb");
    if (c.mono2)
      fs.AddFile(u"C:\\Halvane\\Plot Styles\\Hv_mono2.ctb", "add-on Hv_mono2.ctb");
    if (c.acad_ctb)
      fs.AddFile(PlotStyles() + u"\\acad.ctb", "autocad");
    fs.AddFile(kDefaultAcad1);
    run.FormCreate();
    EXPECT_EQ(fs.Contents(PlotStyles() + u"\\Hv_color.ctb").has_value(), c.expect_color);
    EXPECT_EQ(fs.Contents(PlotStyles() + u"\\Hv_mono.ctb").has_value(), c.expect_mono);
    EXPECT_EQ(fs.Contents(PlotStyles() + u"\\Hv_mono2.ctb").has_value(), c.expect_mono2);
    // The values are written whatever happens to the tables.
    EXPECT_TRUE(run.Recorded(u"AcadPath"));
    EXPECT_TRUE(run.Recorded(u"LibPath"));
  }
}

TEST_F(PathRecordTest, CopiesMissingTablesInOrderAndNeverReplaces) {
  InstallTables();
  AutoCadProfile(PlotStyles());
  files.AddFile(PlotStyles() + u"\\Hv_mono.ctb", "user's older table");
  // A table that appears between the look and the copy's arrival is not
  // replaced either.
  files.fail_move = [this](std::u16string_view to) {
    if (to.ends_with(u"Hv_mono2.ctb"))
      files.AddFile(to, "user's table, just made");
    return false;
  };
  StartFindingAutoCad();
  const long color = log.IndexOf(Arrival(PlotStyles(), u"Hv_color.ctb"));
  const long mono2 = log.IndexOf(Arrival(PlotStyles(), u"Hv_mono2.ctb"));
  ASSERT_GE(color, 0);
  EXPECT_LT(color, mono2);
  EXPECT_EQ(log.IndexOf(Arrival(PlotStyles(), u"Hv_mono.ctb")), -1) << "the user's table";
  EXPECT_EQ(files.Contents(PlotStyles() + u"\\Hv_mono.ctb"), "user's older table");
  EXPECT_EQ(files.Contents(PlotStyles() + u"\\Hv_mono2.ctb"), "user's table, just made");
  EXPECT_FALSE(files.Contents(PlotStyles() + u"\\Hv_mono2.ctb.halvane-new"));
  EXPECT_TRUE(Installed(u"Hv_color.ctb"));
}

TEST_F(PathRecordTest, FailedCopyDoesNotStopTheNext) {
  InstallTables();
  AutoCadProfile(PlotStyles());
  files.fail_copy = [](std::u16string_view target) {
    return target.find(u"Hv_color.ctb") != std::u16string_view::npos;
  };
  StartFindingAutoCad();
  EXPECT_FALSE(Installed(u"Hv_color.ctb"));
  EXPECT_TRUE(Installed(u"Hv_mono.ctb"));
  EXPECT_TRUE(Installed(u"Hv_mono2.ctb"));
  EXPECT_TRUE(log.Has("press Button1"));
}

TEST_F(PathRecordTest, ProductYearFolderIsTheSecondCandidate) {
  const std::u16string year_folder = PlotStyles2023(u"jpn");
  InstallTables();
  AutoCadProfile(year_folder);
  StartFindingAutoCad();
  EXPECT_EQ(State().ACADFolder2, year_folder);
  EXPECT_EQ(files.Contents(year_folder + u"\\Hv_mono.ctb"), "add-on Hv_mono.ctb");
}

TEST_F(PathRecordTest, SpecifiedFolderIsPreferredWhenBothHoldAcadCtb) {
  InstallTables();
  AutoCadProfile(PlotStyles());
  AutoCadProfile(PlotStyles2023(u"jpn"));
  StartFindingAutoCad();
  EXPECT_EQ(State().ACADFolder2, PlotStyles());
}

TEST_F(PathRecordTest, FolderOnceFoundIsKeptForTheRun) {
  InstallTables();
  AutoCadProfile(PlotStyles());
  StartFindingAutoCad();
  files.special_folders.clear();
  files.AddFile(u"D:\\New\\x.exe");
  view.dialog_results.push_back(u"D:\\New\\x.exe");
  files.probed.clear();
  Run(&TForm1::Button2Click);
  EXPECT_EQ(State().ACADFolder2, PlotStyles());
  EXPECT_NE(std::find(files.probed.begin(), files.probed.end(), PlotStyles() + u"\\Hv_color.ctb"),
            files.probed.end())
      << "the stored folder must be used directly";
}

TEST_F(PathRecordTest, UnresolvableAppDataMakesTheProbeFail) {
  files.special_folders.clear();
  InstallTables();
  // Would be found if an empty folder were taken as a path on the current drive.
  AutoCadProfile(kPlotStylesBelowAppData);
  StartFindingAutoCad();
  EXPECT_EQ(files.copies, 0);
  EXPECT_EQ(State().ACADFolder2, u"");
}

TEST_F(PathRecordTest, KeyThatCannotBeCreatedSkipsOnlyTheRecord) {
  registry.MakeReadOnly(RootKey::CurrentUser, u"SoftWare\\Fenwright");
  InstallTables();
  AutoCadProfile(PlotStyles());
  StartFindingAutoCad();
  EXPECT_FALSE(registry.HasKey(RootKey::CurrentUser, kUserKeyPath));
  EXPECT_TRUE(Installed(u"Hv_mono.ctb"));
  EXPECT_FALSE(log.Has("error"));
  EXPECT_TRUE(log.Has("press Button1"));
}

TEST_F(PathRecordTest, FailedWriteReportsAndStopsTheRest) {
  registry.fail_set = [](std::u16string_view name) { return name == u"AcadPath"; };
  InstallTables();
  AutoCadProfile(PlotStyles());
  StartFindingAutoCad();
  EXPECT_TRUE(log.Has("error 'AcadPath' の設定に失敗しました."));
  EXPECT_EQ(Stored(u"LibPath"), kInstall);
  EXPECT_EQ(files.copies, 0);
  EXPECT_FALSE(log.Has("press Button1"));
  EXPECT_EQ(registry.OpenKeys(), 0);
}

TEST_F(PathRecordTest, PickedPathIsRecordedEvenWithoutAcadExe) {
  files.AddFile(u"D:\\Tools\\AutoCAD\\setup.exe");
  view.dialog_results.push_back(u"D:\\Tools\\AutoCAD\\setup.exe");
  FormCreate();
  Run(&TForm1::Button2Click);
  EXPECT_EQ(Stored(u"AcadPath"), u"D:\\Tools\\AutoCAD\\acad.exe");
  EXPECT_EQ(Stored(u"LibPath"), kInstall);
}

}  // namespace
}  // namespace halvane::test
