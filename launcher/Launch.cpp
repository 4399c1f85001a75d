// Starting AutoCAD, the notification icon, and the wait for AutoCAD's end.
#include <optional>
#include <string>
#include <utility>

#include "launcher/AutoCadProfiles.h"
#include "launcher/Form1.h"
#include "launcher/ParameterText.h"
#include "launcher/PlotStyleWatch.h"

namespace halvane {

void TForm1::Button1Click() {
  // The launch is one-way: a second press starts nothing.
  if (phase_ != LaunchPhase::kNotStarted)
    return;
  phase_ = LaunchPhase::kWaitingForAutoCad;

  // AutoCAD starts in the installation folder. When that is not the folder
  // the launcher was started in, a drawing named relative to the latter is
  // made full, so that AutoCAD finds it; otherwise every name goes as given.
  FullPathOf full_path;
  if (!SameFolder(HALVdir0, p_.files.CurrentDirectory()))
    full_path = [this](std::u16string_view name) { return p_.files.FullPath(name); };
  const std::u16string parameters = BuildParameterText(p_.files.CommandLine(), full_path);
  p_.shell.ReadStartupInfo(SInfo);

  // A command line longer than Windows can pass would start AutoCAD with
  // part of the user's drawings silently dropped: that start is refused and
  // reported as any other failed start.
  std::optional<std::uint32_t> failure;
  if (!FitsOnACommandLine(ACADLocation, parameters)) {
    failure = kErrorFilenameExcedRange;
  } else {
    // AutoCAD starts in the installation folder, where " /t Halvane.dwt"
    // finds the template.
    StartResult started = p_.shell.Execute(
        {view_.Handle(), u"open", ACADLocation, parameters, WindowState::kShown, HALVdir0});
    PInfo = std::move(started.info);
    if (started.error != 0)
      failure = started.error;
  }
  if (failure)
    p_.app.ShowMessage(std::u16string(kLaunchFailed) + Decimal(*failure) + u")");

  FIconData = NotifyIconData{view_.Handle(),
                             1,
                             kNifMessage | kNifIcon | kNifTip,
                             kIconCallbackMessage,
                             p_.app.Icon(),
                             std::u16string(kIconTip)};
  // An add that fails (no taskbar yet) is deliberately passed over: the
  // shell adds the icon again when the taskbar is created.
  p_.shell.ShowIcon(FIconData);

  view_.SetEnabled(ViewControl::kButton3, false);

  p_.app.ShowApplicationWindow(WindowState::kMinimized);
  p_.app.ShowApplicationWindow(WindowState::kHidden);
  p_.app.ProcessMessages();

  // AutoCAD's first start makes the user's plot-style folder after the
  // launcher looked: while AutoCAD runs, the launcher watches for it and
  // installs the tables as soon as it is there.
  std::optional<PlotStyleWatch> watch;
  if (PInfo.process && tables_await_autocad_) {
    const std::u16string app_data = p_.files.SpecialFolderPath(kCsidlAppData);
    if (!app_data.empty()) {
      watch.emplace(p_.files, app_data, [this] { return InstallPlotStylesEverywhere(); });
      watch->Start();
    }
  }
  const WaitResult waited =
      p_.app.WaitForProcess(PInfo.process.get(), watch && watch->Watching() ? &*watch : nullptr);
  watch.reset();
  phase_ = LaunchPhase::kEnded;
  if (waited == WaitResult::kSessionEnding) {
    // The session ends, or an installation closes the launcher to replace
    // its file: it ends at once, as at logoff, without the pause and without
    // coming back on screen. AutoCAD runs on.
    p_.shell.RemoveIcon(FIconData);
    p_.app.Terminate();
    return;
  }
  p_.shell.Sleep(1000);
  if (waited == WaitResult::kProcessEnded)
    view_.SetPanel1Text(kLaunchEnded);

  p_.shell.RemoveIcon(FIconData);
  p_.app.ShowApplicationWindow(WindowState::kNormal);
  view_.SetEnabled(ViewControl::kButton3, true);
  p_.app.Terminate();
}

void TForm1::ICONMessage(const TMessage& msg) {
  if (!IsIconClick(msg))
    return;
  p_.shell.RemoveIcon(FIconData);
  p_.app.ShowApplicationWindow(WindowState::kNormal);
}

}  // namespace halvane
