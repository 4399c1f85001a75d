// TForm1: the launcher's state and its handlers. The window itself is
// ui/MainWindow; this class changes it only through LauncherView.
#pragma once

#include <string>
#include <string_view>

#include "launcher/LauncherView.h"
#include "platform/Application.h"
#include "platform/Files.h"
#include "platform/Registry.h"
#include "platform/Shell.h"

namespace halvane {

struct Platform {
  RegistryBackend& registry;
  FileSystem& files;
  Shell& shell;
  Application& app;
};

// The launcher's own key, and where AutoCAD 2023 (R24.2) is looked for.
inline constexpr std::u16string_view kLauncherKey = u"\\SoftWare\\Fenwright\\Halvane2023";
inline constexpr std::u16string_view kDefaultAcad1 =
    u"C:\\Program Files\\Autodesk\\AutoCAD 2023\\acad.exe";
inline constexpr std::u16string_view kDefaultAcad2 =
    u"C:\\Program Files\\Autodesk\\AutoCAD 2023 - Japanese\\acad.exe";
inline constexpr std::u16string_view kAutodeskUserKey = u"\\SoftWare\\Autodesk\\AutoCAD\\R24.2";
inline constexpr std::u16string_view kAutodeskMachinePrefix =
    u"\\SoftWare\\Autodesk\\AutoCAD\\R24.2\\";
inline constexpr std::u16string_view kAutodeskUserKey2 =
    u"\\SoftWare\\Wow6432Node\\Autodesk\\AutoCAD\\R24.2";
inline constexpr std::u16string_view kAutodeskMachinePrefix2 =
    u"\\SoftWare\\Wow6432Node\\Autodesk\\AutoCAD\\R24.2\\";
// The Japanese profile's plot-style folder below the roaming application
// data: first as it has always been named, then as AutoCAD 2023 names its
// per-user folder (after the product and year).
inline constexpr std::u16string_view kPlotStylesBelowAppData =
    u"\\Autodesk\\AutoCAD\\R24.2\\jpn\\Plotters\\Plot Styles";
inline constexpr std::u16string_view kPlotStylesBelowAppData2023 =
    u"\\Autodesk\\AutoCAD 2023\\R24.2\\jpn\\Plotters\\Plot Styles";

inline constexpr std::u16string_view kLaunchFailed = u"実行できません (";
inline constexpr std::u16string_view kLaunchEnded = u"実行終了";
inline constexpr std::u16string_view kIconTip = u"Halvane2023 実行中";

// A copy of the state fields, for whoever needs to look at them.
struct LauncherSnapshot {
  std::u16string HALVdir0, HALVdir2, ACADLocation, ACADpath, ACADFolder2, RegACADVer;
};

class TForm1 {
 public:
  TForm1(const Platform& platform, LauncherView& view);
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  void FormCreate();
  void Button1Click();
  void Button2Click();
  void Button3Click();
  void ICONMessage(const TMessage& msg);
  // The taskbar was re-created (Explorer restarted): the icon must be added again.
  void TaskbarCreated();

  void GetACADPath();
  void GetACADPath2();
  void WriteAcadPath();

  LauncherSnapshot Snapshot() const;

  StartupInfo SInfo;
  ProcessInformation PInfo;
  NotifyIconData FIconData;

 private:
  void Discover();
  void LookUp(std::u16string_view user_key,
              std::u16string_view machine_prefix,
              std::uint32_t machine_view);

  Platform p_;
  LauncherView& view_;

  std::u16string HALVdir0;
  std::u16string HALVdir2;
  std::u16string ACADLocation;
  std::u16string ACADpath;
  std::u16string ACADFolder2;
  std::u16string RegACADVer;

  // Where the launch is: every handler asks. A launch runs once; while it
  // waits for AutoCAD the window can come back through the icon, and then
  // neither button starts or records anything.
  enum class LaunchPhase { kNotStarted, kWaitingForAutoCad, kEnded };
  LaunchPhase phase_ = LaunchPhase::kNotStarted;
  bool icon_shown_ = false;
};

}  // namespace halvane
