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

LauncherSnapshot TForm1::Snapshot() const {
  return {HALVdir0, HALVdir2, ACADLocation, ACADpath, ACADFolder2, RegACADVer};
}

void TForm1::FormCreate() {
  view_.CreateSplash();
  view_.ShowSplash();
  view_.RepaintSplash();
  p_.shell.Sleep(800);
  SplashRelease splash(view_);

  HALVdir0 = p_.files.CurrentDirectory();
  HALVdir2 = HALVdir0;

  ACADLocation.clear();
  ACADpath.clear();
  ACADFolder2.clear();

  std::u16string stored;
  {
    TRegistry reg(p_.registry);
    if (reg.OpenKeyReadOnly(kLauncherKey)) {
      stored = reg.ReadString(u"AcadPath");
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

  if (!ACADLocation.empty()) {
    view_.SetEnabled(ViewControl::kButton2, false);
    view_.SetEdit4Text(ACADLocation);
    view_.SetEnabled(ViewControl::kEdit4, false);
    if (ACADpath.empty()) {
      WriteAcadPath();
      ACADpath = ACADLocation;
    }
  }

  if (!ACADLocation.empty())
    view_.PressButton1();
}

void TForm1::Button3Click() {
  // The exit button is disabled while AutoCAD runs; the close box still
  // ends the launcher then, through the window, not through here.
  if (phase_ == LaunchPhase::kWaitingForAutoCad)
    return;
  view_.Close();
}

}  // namespace halvane
