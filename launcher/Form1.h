// TForm1: the launcher's state and its handlers. The window itself is
// ui/MainWindow; this class changes it only through LauncherView.
#pragma once

#include <string>
#include <string_view>
#include <vector>

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
// Autodesk's key of the release, under HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE alike; its "CurVer" names the product's sub-key.
inline constexpr std::u16string_view kAutodeskReleaseKey = u"\\SoftWare\\Autodesk\\AutoCAD\\R24.2";
inline constexpr std::u16string_view kAutodeskReleaseKey2 =
    u"\\SoftWare\\Wow6432Node\\Autodesk\\AutoCAD\\R24.2";
// The Japanese profile's plot-style folder below the roaming application
// data, as it has always been named.
inline constexpr std::u16string_view kPlotStylesBelowAppData =
    u"\\Autodesk\\AutoCAD\\R24.2\\jpn\\Plotters\\Plot Styles";
// AutoCAD 2023 keeps one profile per language below this folder, each named
// after the product's locale (jpn, enu, deu, ...), with its plot styles below
// the profile.
inline constexpr std::u16string_view kProfilesBelowAppData2023 = u"\\Autodesk\\AutoCAD 2023\\R24.2";
inline constexpr std::u16string_view kJapaneseProfile = u"jpn";
inline constexpr std::u16string_view kPlotStylesBelowProfile = u"\\Plotters\\Plot Styles";
// The add-on's drawing template: the installation folder is the one that holds it.
inline constexpr std::u16string_view kTemplateName = u"Halvane.dwt";

inline constexpr std::u16string_view kLaunchFailed = u"実行できません (";
// The file dialog could not be shown: followed by its HRESULT, "0x" and
// eight upper-case hex digits, and ")".
inline constexpr std::u16string_view kOpenDialogFailed = u"ファイルの選択画面を開けません (0x";
inline constexpr std::u16string_view kLaunchEnded = u"実行終了";
// The message panel when AutoCAD was not found: one line that fits it.
inline constexpr std::u16string_view kAcadNotFound = u"AutoCAD 2023 が見つかりません";
inline constexpr std::u16string_view kIconTip = u"Halvane2023 実行中";

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

  void GetACADPath();
  void GetACADPath2();
  void WriteAcadPath();

  StartupInfo SInfo;
  ProcessInformation PInfo;
  NotifyIconData FIconData;

 private:
  // The tests' look at the state fields; the program has none.
  friend struct TForm1Inspector;

  void Discover();
  void LookUp(std::u16string_view release_key, std::uint32_t machine_view);
  // The working folder when it holds the template, else the program file's
  // folder when that one does, else the working folder.
  std::u16string InstallationFolder();
  bool HoldsTemplate(std::u16string_view folder);
  // "LibPath" written again where the record names another folder than the
  // installation folder.
  void RecordInstallationFolder();
  // The plot-style folders of this user's AutoCAD 2023 profiles that AutoCAD
  // has made (each holds its acad.ctb), in the order they are preferred.
  std::vector<std::u16string> PlotStyleFolders();
  // Copies the tables that are missing into every such folder, and into
  // every folder that AutoCAD's profiles name (ProfilePlotStyleFolders);
  // gives the folders served (none without the add-on's Hv_mono.ctb).
  std::vector<std::u16string> InstallPlotStyles();
  // The same, and whether every folder served now holds every table.
  bool InstallPlotStylesEverywhere();

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

  // Whether the installation folder holds the template, and whether the
  // record found at start-up names another folder as "LibPath".
  bool installation_holds_template_ = false;
  bool recorded_folder_differs_ = false;
  // The add-on has tables to give, and the last look found no plot-style
  // folder of AutoCAD's: the launch watches for the one AutoCAD makes.
  bool tables_await_autocad_ = false;
};

}  // namespace halvane
