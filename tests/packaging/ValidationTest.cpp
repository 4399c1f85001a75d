// The package against the validation rules administrators' tools run
// (packaging/check-package): the package as built meets them, and for each
// rule a copy of its tables broken in one place is rejected for that rule.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "tests/packaging/PackagingTools.h"

namespace halvane::test {
namespace {

class Validation : public ::testing::Test {
 protected:
  // One package, and its tables exported once for the suite.
  static void SetUpTestSuite() {
    dir_ = fs::path(HALVANE_BINARY_DIR) / "validation-test";
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "tables");
    build_status_ = BuildTestPackage(dir_, SamplePayload(), "package.msi", "build.txt");
    Shell("cd " + Quote(dir_) +
          " && for t in $(msiinfo tables package.msi); do"
          " msiinfo export package.msi \"$t\" >\"tables/$t.idt\"; done");
  }

  // check-package on `source` (a package or a folder of tables): its exit
  // status and what it printed.
  static std::pair<int, std::string> Check(const fs::path& source) {
    const fs::path said = dir_ / "said.txt";
    fs::remove(said);
    const int status = Shell(Quote(fs::path(HALVANE_SOURCE_DIR) / "packaging" / "check-package") +
                             " " + Quote(source) + " >" + Quote(said) + " 2>&1");
    return {status, ReadAll(said)};
  }

  static fs::path dir_;
  static int build_status_;
};

fs::path Validation::dir_;
int Validation::build_status_ = -1;

TEST_F(Validation, BuiltPackageMeetsTheRules) {
  ASSERT_EQ(build_status_, 0) << ReadAll(dir_ / "build.txt");
  const auto [status, said] = Check(dir_ / "package.msi");
  EXPECT_EQ(status, 0) << said;
  // The tables exported from it, as the broken copies below are read.
  const auto [from_tables, said_of_tables] = Check(dir_ / "tables");
  EXPECT_EQ(from_tables, 0) << said_of_tables;
}

struct Breakage {
  const char* name;
  const char* table;
  std::string from, to;  // the first `from` in the table becomes `to`
  const char* rejected;  // the start of the line that says why
  const char* not_said;  // a rule the change does not break, or nullptr
};

class BrokenTables : public Validation, public ::testing::WithParamInterface<Breakage> {};

TEST_P(BrokenTables, AreRejectedForTheRuleTheyBreak) {
  ASSERT_EQ(build_status_, 0) << ReadAll(dir_ / "build.txt");
  const Breakage& b = GetParam();
  const fs::path copy = dir_ / (std::string("broken-") + b.name);
  fs::remove_all(copy);
  fs::copy(dir_ / "tables", copy);
  const fs::path file = copy / (std::string(b.table) + ".idt");
  std::string text = ReadAll(file);
  const std::size_t at = text.find(b.from);
  ASSERT_NE(at, std::string::npos) << b.from << " is not in " << b.table;
  text.replace(at, b.from.size(), b.to);
  std::ofstream(file, std::ios::binary | std::ios::trunc) << text;

  const auto [status, said] = Check(copy);
  EXPECT_EQ(status, 1) << said;
  EXPECT_NE(("\n" + said).find(std::string("\n") + b.rejected), std::string::npos)
      << "expected a line starting " << b.rejected << ", got:\n"
      << said;
  if (b.not_said) {
    EXPECT_EQ(said.find(b.not_said), std::string::npos) << said;
  }
}

const Breakage kBreakages[] = {
    // A component in the desktop folder keyed by an HKLM value (no shortcut).
    {"component_in_profile_keyed_by_hklm", "Component", "\tFenwrightFolder\t4",
     "\tDesktopFolder\t4", "ICE38: component MakerFolder", "ICE43"},
    // A shortcut whose component is keyed by its file, outside any profile.
    {"shortcut_in_a_file_component", "Shortcut", "\tDesktopShortcut\t[", "\tProgram\t[",
     "ICE43: component Program", "ICE38"},
    // The shortcut's own key in HKLM breaks both.
    {"shortcut_keyed_by_hklm", "Registry", "\t1\tSoftware\\Fenwright\\Halvane2023\\Installer\tDesk",
     "\t2\tSoftware\\Fenwright\\Halvane2023\\Installer\tDesk", "ICE43: component DesktopShortcut",
     nullptr},
    {"start_menu_folder_left", "RemoveFile", "\tMenuFolder\t2", "\tFenwrightFolder\t2",
     "ICE64: folder MenuFolder", nullptr},
    {"no_user_exit_dialog", "InstallUISequence", "\t-2", "\t-4",
     "ICE20: InstallUISequence has no dialog at -2", nullptr},
    {"files_in_use_lists_nothing", "Control", "FileInUseProcess", "FileInUse",
     "ICE20: FilesInUse has no ListBox", nullptr},
    {"files_in_use_cannot_retry", "ControlEvent", "EndDialog\tRetry", "EndDialog\tReturn",
     "ICE20: FilesInUse has no button that ends it with Retry", nullptr},
    {"error_dialog_yes_says_no", "ControlEvent", "\tY\tEndDialog\tErrorYes",
     "\tY\tEndDialog\tErrorNo", "ICE20: ErrorDlg has no button Y", nullptr},
    {"error_dialog_missing", "Property", "ErrorDialog\tErrorDlg", "ErrorDialog\tErrorDialog",
     "ICE20: ErrorDialog names ErrorDialog", nullptr},
    {"default_font_missing", "Property", "DefaultUIFont\tHvText", "DefaultUIFont\tHvTxt",
     "UI: DefaultUIFont", nullptr},
    {"heading_style_missing", "Control", "{\\HvHeading}", "{\\HvHead}",
     "UI: control WelcomeDlg.Heading names the text style HvHead", nullptr},
    // A Japanese text with brackets: Windows Installer would read a property.
    {"japanese_text_with_brackets", "Control", "インストール先:", "インストール先 [既定]:",
     "ICE03: Control WelcomeDlg.WhereLabel: [既定] names no property", nullptr},
    {"lone_bracket", "Control", "しばらくお待ちください。", "しばらくお待ちください [。",
     "ICE03: Control ProgressDlg.Wait: a bracket", nullptr},
    {"cancel_opens_no_dialog", "ControlEvent", "SpawnDialog\tCancelDlg",
     "SpawnDialog\tCancelDialog", "ICE17: WelcomeDlg.Cancel: SpawnDialog CancelDialog", nullptr},
    {"default_button_not_in_dialog", "Dialog", "\tInstall\tInstall\tCancel",
     "\tInstall\tInstal\tCancel", "ICE17: dialog WelcomeDlg: Control_Default", nullptr},
    {"sequence_runs_a_missing_dialog", "InstallUISequence", "WelcomeDlg\t", "WelcomDlg\t",
     "ICE17: InstallUISequence runs WelcomDlg", nullptr},
};

INSTANTIATE_TEST_SUITE_P(Rules,
                         BrokenTables,
                         ::testing::ValuesIn(kBreakages),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace halvane::test
