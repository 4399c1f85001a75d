// The start-up sequence.
#include "launcher/Form1.h"

namespace halvane {
namespace {

// Releases the splash once: where the sequence asks for it, or on the way out
// when an error ends the sequence first, so the splash never covers the
// main window and its error report.
class SplashRelease {
 public:
  explicit SplashRelease(LauncherView& view) : view_(view) {}
  ~SplashRelease() { Release(); }
  SplashRelease(const SplashRelease&) = delete;
  SplashRelease& operator=(const SplashRelease&) = delete;
  void Release() {
    if (released_)
      return;
    released_ = true;
    view_.ReleaseSplash();
  }

 private:
  LauncherView& view_;
  bool released_ = false;
};

}  // namespace

TForm1::TForm1(const Platform& platform, LauncherView& view) : p_(platform), view_(view) {}

void TForm1::FormCreate() {
  view_.CreateSplash();
  view_.ShowSplash();
  view_.RepaintSplash();
  p_.shell.Sleep(800);
  SplashRelease splash(view_);

  HALVdir0 = InstallationFolder();
  HALVdir2 = HALVdir0;

  ACADLocation.clear();
  ACADpath.clear();
  ACADFolder2.clear();

  std::u16string stored;
  {
    TRegistry reg(p_.registry);
    if (reg.OpenKeyReadOnly(kLauncherKey)) {
      stored = reg.ReadString(u"AcadPath");
      // The add-on inside AutoCAD finds its files through "LibPath": a
      // record made from a wrong working folder is mended once the folder
      // that holds the template is known.
      if (installation_holds_template_) {
        recorded_folder_differs_ =
            reg.GetDataType(u"LibPath") != kRegSz || reg.ReadString(u"LibPath") != HALVdir0;
      }
      reg.CloseKey();
    }
  }
  // Anything of five characters or fewer cannot be a path to acad.exe. A
  // recorded AutoCAD that has since been uninstalled or moved counts as no
  // record: discovery then finds it again and records it over the stale
  // value, or the window lets the user pick it, instead of every start
  // failing for good.
  if (stored.size() > 5 && p_.files.FileExists(stored)) {
    ACADLocation = stored;
    ACADpath = stored;
  }

  splash.Release();

  if (ACADLocation.empty())
    Discover();

  // A newly found path is recorded whole below, "LibPath" with it.
  const bool newly_found = !ACADLocation.empty() && ACADpath.empty();
  if (recorded_folder_differs_ && !newly_found)
    RecordInstallationFolder();

  if (!ACADLocation.empty()) {
    view_.SetEnabled(ViewControl::kButton2, false);
    view_.SetEdit4Text(ACADLocation);
    view_.SetEnabled(ViewControl::kEdit4, false);
    if (newly_found) {
      WriteAcadPath();
      ACADpath = ACADLocation;
    } else {
      // AutoCAD makes a user's profile, and with it the plot-style folder,
      // on its own first start, which usually comes after the launcher's
      // first: the tables follow as soon as the folder is there, at a later
      // start or while the launch waits for AutoCAD.
      InstallPlotStyles();
    }
  }

  if (!ACADLocation.empty())
    view_.PressButton1();
  else
    view_.SetPanel1Text(kAcadNotFound);  // why the window waits for the user
}

std::u16string TForm1::InstallationFolder() {
  const std::u16string working = p_.files.CurrentDirectory();
  installation_holds_template_ = HoldsTemplate(working);
  if (installation_holds_template_)
    return working;
  // Started through a shortcut whose "Start in" is empty or wrong, or from a
  // script: the program's own folder, where the package put the template.
  const std::u16string program_folder = FolderOf(p_.files.ProgramFilePath());
  if (!SameAsciiName(program_folder, working) && HoldsTemplate(program_folder)) {
    installation_holds_template_ = true;
    return program_folder;
  }
  return working;
}

bool TForm1::HoldsTemplate(std::u16string_view folder) {
  return !folder.empty() &&
         p_.files.FileExists(std::u16string(folder) + u"\\" + std::u16string(kTemplateName));
}

void TForm1::Button3Click() {
  // The exit button is disabled while AutoCAD runs; the close box still
  // ends the launcher then, through the window, not through here.
  if (phase_ == LaunchPhase::kWaitingForAutoCad)
    return;
  view_.Close();
}

}  // namespace halvane
