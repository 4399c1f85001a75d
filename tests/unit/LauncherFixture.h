// The launcher's logic over the fakes: one TForm1 with a recording view.
#pragma once

#include <gtest/gtest.h>

#include "launcher/Form1.h"
#include "platform/EventDispatch.h"
#include "tests/fakes/FakePlatform.h"

namespace halvane {

// A copy of the launcher's state fields, for the tests to look at.
struct LauncherSnapshot {
  std::u16string HALVdir0, HALVdir2, ACADLocation, ACADpath, ACADFolder2, RegACADVer;
};

struct TForm1Inspector {
  static LauncherSnapshot Of(const TForm1& form) {
    return {form.HALVdir0, form.HALVdir2,    form.ACADLocation,
            form.ACADpath, form.ACADFolder2, form.RegACADVer};
  }
};

}  // namespace halvane

namespace halvane::test {

inline LauncherSnapshot Inspect(const TForm1& form) {
  return TForm1Inspector::Of(form);
}

inline constexpr std::u16string_view kAppData = u"C:\\Users\\ken\\AppData\\Roaming";
inline constexpr std::u16string_view kInstall = u"C:\\Halvane";
inline constexpr std::u16string_view kUserKeyPath = u"SoftWare\\Fenwright\\Halvane2023";

inline constexpr const char16_t* kTables[] = {u"Hv_color.ctb", u"Hv_mono.ctb", u"Hv_mono2.ctb"};

// The add-on's three tables below `folder`\Plot Styles, each holding its
// own name, as the other helpers expect them.
inline void AddAddOnTables(FakeFileSystem& fs, std::u16string_view folder) {
  for (const char16_t* table : kTables)
    fs.AddFile(std::u16string(folder) + u"\\Plot Styles\\" + table, "add-on " + Utf8(table));
}
// Whether all three tables stand in `folder` as the add-on ships them.
inline bool HasAddOnTables(const FakeFileSystem& fs, std::u16string_view folder) {
  for (const char16_t* table : kTables) {
    if (fs.Contents(std::u16string(folder) + u"\\" + table) != "add-on " + Utf8(table))
      return false;
  }
  return true;
}

// The log's entry of `table` arriving in `folder`: copied under a temporary
// name, then renamed into place.
inline std::string Arrival(std::u16string_view folder, std::u16string_view table) {
  const std::string target = Utf8(folder) + "\\" + Utf8(table);
  return "move " + target + ".halvane-new -> " + target;
}

// The fakes of one launcher, recording into one log: the working folder
// kInstall, the user's application data kAppData.
struct Fakes {
  Fakes() {
    files.current_directory = std::u16string(kInstall);
    files.special_folders[kCsidlAppData] = std::u16string(kAppData);
  }
  Platform Services() { return Platform{registry, files, shell, app}; }

  EventLog log;
  FakeRegistry registry;
  FakeFileSystem files{&log};
  FakeShell shell{log};
  FakeApplication app{log};
  RecordingView view{log};
};

// A later start: the add-on installed in kInstall (template and tables),
// and the launcher's record naming `acad`, which exists, and kInstall.
inline void PrepareLaterStart(Fakes& fakes, std::u16string_view acad) {
  AddAddOnTables(fakes.files, kInstall);
  fakes.files.AddFile(std::u16string(kInstall) + u"\\Halvane.dwt");
  fakes.registry.PutString(RootKey::CurrentUser, kUserKeyPath, u"AcadPath", acad);
  fakes.registry.PutString(RootKey::CurrentUser, kUserKeyPath, u"LibPath", kInstall);
  fakes.files.AddFile(acad);
}

// A launcher of its own over fresh fakes, for one case of a table.
struct FreshLauncher : Fakes {
  FreshLauncher() {
    view.on_press_button1 = [this] { Dispatch(app, [this] { form.Button1Click(); }); };
  }
  void FormCreate() {
    Dispatch(app, [this] { form.FormCreate(); });
  }
  // A value of the launcher's own key, or null.
  const FakeRegistry::Value* Recorded(std::u16string_view name) const {
    return registry.GetValue(RootKey::CurrentUser, kUserKeyPath, name);
  }

  TForm1 form{Services(), view};
};

class LauncherTest : public ::testing::Test, protected Fakes {
 protected:
  LauncherTest() {
    view.on_press_button1 = [this] { Dispatch(app, [this] { form->Button1Click(); }); };
    NextRun();
  }

  // A new run of the launcher over the same registry and files.
  void NextRun() { form = std::make_unique<TForm1>(Services(), view); }

  void FormCreate() {
    Dispatch(app, [this] { form->FormCreate(); });
  }
  void Run(void (TForm1::*handler)()) {
    Dispatch(app, [this, handler] { (form.get()->*handler)(); });
  }

  std::u16string PlotStyles() const {
    return std::u16string(kAppData) + std::u16string(kPlotStylesBelowAppData);
  }
  // The plot-style folder of AutoCAD 2023's profile for `language`.
  static std::u16string PlotStyles2023(std::u16string_view language) {
    return std::u16string(kAppData) + u"\\Autodesk\\AutoCAD 2023\\R24.2\\" +
           std::u16string(language) + u"\\Plotters\\Plot Styles";
  }
  // The add-on's tables in the installation folder, and AutoCAD's own table.
  void InstallTables(std::u16string_view folder = kInstall) { AddAddOnTables(files, folder); }
  void AutoCadProfile(std::u16string_view plot_styles) {
    files.AddFile(std::u16string(plot_styles) + u"\\acad.ctb", "autocad");
  }
  std::optional<std::u16string> Stored(std::u16string_view name) const {
    const FakeRegistry::Value* value = registry.GetValue(RootKey::CurrentUser, kUserKeyPath, name);
    if (!value)
      return std::nullopt;
    return DecodeRegistryString(value->data);
  }
  // A stored path, and the AutoCAD it names.
  void StorePath(std::u16string_view path) {
    StoreStalePath(path);
    files.AddFile(path, "acad");
  }
  // A stored path whose AutoCAD has gone (uninstalled or moved).
  void StoreStalePath(std::u16string_view path) {
    registry.PutString(RootKey::CurrentUser, kUserKeyPath, u"AcadPath", path);
  }
  LauncherSnapshot State() const { return Inspect(*form); }

  std::unique_ptr<TForm1> form;
};

}  // namespace halvane::test
