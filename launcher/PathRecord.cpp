// Recording the path of acad.exe and the installation folder, and
// installing the add-on's plot styles.
#include <algorithm>

#include "launcher/AutoCadProfiles.h"
#include "launcher/Form1.h"
#include "launcher/TableInstaller.h"

namespace halvane {
namespace {

constexpr std::u16string_view kTables[] = {u"Hv_color.ctb", u"Hv_mono.ctb", u"Hv_mono2.ctb"};

}  // namespace

void TForm1::WriteAcadPath() {
  {
    TRegistry reg(p_.registry);
    if (reg.OpenKey(kLauncherKey, true)) {
      reg.WriteString(u"LibPath", HALVdir0);
      reg.WriteString(u"AcadPath", ACADLocation);
      recorded_folder_differs_ = false;
    }
    reg.CloseKey();
  }
  InstallPlotStyles();
}

void TForm1::RecordInstallationFolder() {
  // A record that cannot be opened for writing stays as it is, as in
  // WriteAcadPath; a failed write is reported.
  TRegistry reg(p_.registry);
  if (reg.OpenKey(kLauncherKey, false)) {
    reg.WriteString(u"LibPath", HALVdir0);
    recorded_folder_differs_ = false;
  }
  reg.CloseKey();
}

std::vector<std::u16string> TForm1::PlotStyleFolders() {
  std::vector<std::u16string> candidates;
  const std::u16string app_data = p_.files.SpecialFolderPath(kCsidlAppData);
  if (!app_data.empty()) {
    candidates.push_back(app_data + std::u16string(kPlotStylesBelowAppData));
    // Every language's profile of AutoCAD 2023, the Japanese one first.
    const std::u16string profiles = app_data + std::u16string(kProfilesBelowAppData2023);
    const auto below = [&](std::u16string_view language) {
      return profiles + u"\\" + std::u16string(language) + std::u16string(kPlotStylesBelowProfile);
    };
    candidates.push_back(below(kJapaneseProfile));
    // A listing that fails leaves the folders named above; nothing to report.
    for (const std::u16string& language : p_.files.SubFolders(profiles).names) {
      if (!SameAsciiName(language, kJapaneseProfile))
        candidates.push_back(below(language));
    }
  }
  // AutoCAD's own acad.ctb marks a plot-style folder that AutoCAD has made.
  std::erase_if(candidates, [this](const std::u16string& folder) {
    return !p_.files.FileExists(folder + u"\\acad.ctb");
  });
  return candidates;
}

std::vector<std::u16string> TForm1::InstallPlotStyles() {
  std::vector<std::u16string> served = PlotStyleFolders();
  // A folder taken earlier in this run is kept while it still holds
  // acad.ctb; otherwise the first folder found is taken.
  if (!ACADFolder2.empty() && p_.files.FileExists(ACADFolder2 + u"\\acad.ctb")) {
    if (std::find(served.begin(), served.end(), ACADFolder2) == served.end())
      served.insert(served.begin(), ACADFolder2);
  } else if (!served.empty()) {
    ACADFolder2 = served.front();
  }
  const bool have_tables = p_.files.FileExists(HALVdir2 + u"\\Plot Styles\\Hv_mono.ctb");
  // No plot-style folder yet: AutoCAD has not made one for this user.
  tables_await_autocad_ = have_tables && served.empty();
  if (!have_tables)
    return {};
  // First the folders AutoCAD's profiles name, which are where AutoCAD
  // looks, then the folders found by name; each once.
  std::vector<std::u16string> targets = ProfilePlotStyleFolders(p_.registry, p_.files);
  for (std::u16string& folder : served)
    AddFolderOnce(targets, std::move(folder));
  // A table a user changed is never replaced; a missing one is added and an
  // earlier release's copy brought up to date (TableInstaller). Failures
  // change nothing for the launch, so they are not looked at.
  TableInstaller tables(p_.files, HALVdir2 + u"\\Plot Styles");
  for (const std::u16string& folder : targets) {
    for (const std::u16string_view table : kTables)
      tables.Install(folder, table);
  }
  return targets;
}

bool TForm1::InstallPlotStylesEverywhere() {
  const std::vector<std::u16string> targets = InstallPlotStyles();
  return !targets.empty() && std::all_of(targets.begin(), targets.end(), [&](const auto& folder) {
    return std::all_of(std::begin(kTables), std::end(kTables), [&](std::u16string_view table) {
      return p_.files.FileExists(folder + u"\\" + std::u16string(table));
    });
  });
}

}  // namespace halvane
