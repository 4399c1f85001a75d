// Halvane2023.exe itself under Wine, with a stand-in AutoCAD that records
// what it was given.
#include <gtest/gtest.h>

#include <algorithm>

#include "tests/fakes/Sha256.h"
#include "tests/win32/Scenario.h"

namespace halvane::e2e {
namespace {

constexpr DWORD kTimeout = 20000;
const wchar_t* const kTables[] = {L"Hv_color.ctb", L"Hv_mono.ctb", L"Hv_mono2.ctb"};

// A line of released.sha256 for a table of these bytes.
std::string Sha256Line(const std::string& bytes, const std::string& name) {
  return test::Sha256Hex(test::Sha256Of(bytes)) + "  " + name + "\r\n";
}

// The stand-in's window, once it shows.
HWND StandInWindow() {
  const DWORD start = GetTickCount();
  HWND window = nullptr;
  while (!(window = FindWindowW(L"HalvaneStandInAcad", nullptr)) &&
         GetTickCount() - start < kTimeout) {
    Sleep(50);
  }
  return window;
}

TEST(EndToEnd, FirstStartRecordsInstallsAndLaunchesWithTheTemplate) {
  Scenario s;
  s.PlaceStandIn(s.DefaultAcad());
  s.Start();
  // While AutoCAD runs, nothing of the launcher shows.
  HWND standin = StandInWindow();
  ASSERT_NE(standin, nullptr);
  Sleep(300);
  EXPECT_TRUE(s.VisibleWindows().empty());
  SaveScreenshot(L"while-autocad-runs");
  PostMessageW(standin, WM_CLOSE, 0, 0);
  const DWORD closed = GetTickCount();
  ASSERT_EQ(s.WaitForExit(kTimeout), 0u);
  const DWORD ended = GetTickCount() - closed;
  EXPECT_GE(ended, 900u) << "the pause after AutoCAD's end";
  EXPECT_LE(ended, 1500u) << "the launcher must end about a second after AutoCAD";

  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath"), s.DefaultAcad());
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"LibPath"), s.Install());
  for (const wchar_t* table : kTables) {
    EXPECT_EQ(ReadText(s.PlotStyles() + L"\\" + table), "add-on table");
  }
  const std::optional<Record> record = s.StandInRecord();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->args, (std::vector<std::wstring>{L"/t", L"Halvane.dwt"}));
  EXPECT_TRUE(record->cmdline.ends_with(L" /t Halvane.dwt"));
  EXPECT_EQ(record->cwd, s.Install());
}

// A later start takes the stored path as it stands, adds the tables that are
// missing, keeps the user's own, and mends a "LibPath" recorded from another
// folder; nothing else in the record changes.
TEST(EndToEnd, LaterStartTakesTheStoredPathAndAddsOnlyWhatIsMissing) {
  Scenario s;
  const std::wstring acad = L"C:\\Program Files\\Stand-in AutoCAD\\acad.exe";
  s.PlaceStandIn(acad);
  RegWrite(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath", acad);
  RegWrite(HKEY_CURRENT_USER, kLauncherKey, L"LibPath", L"D:\\earlier");
  WriteText(s.PlotStyles() + L"\\Hv_mono.ctb", "the user's own table");
  s.Start(L"", 0.3, L"", s.PlotStyles());
  ASSERT_EQ(s.WaitForExit(kTimeout), 0u);
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath"), acad);
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"LibPath"), s.Install());
  EXPECT_EQ(ReadText(s.PlotStyles() + L"\\Hv_color.ctb"), "add-on table");
  EXPECT_EQ(ReadText(s.PlotStyles() + L"\\Hv_mono.ctb"), "the user's own table");
  EXPECT_EQ(ReadText(s.PlotStyles() + L"\\Hv_mono2.ctb"), "add-on table");
  const std::optional<Record> record = s.StandInRecord();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->cwd, s.Install());
}

// A user who has never started AutoCAD: the first start records the path
// and finds no plot-style folder; AutoCAD's first start makes it, and the
// waiting launcher puts the tables in; when the launcher starts AutoCAD the
// next time, the tables are there and nothing is recorded again.
TEST(EndToEnd, TablesAreThereAtTheStartAfterAutoCadMadeTheProfile) {
  Scenario s;
  s.RemoveProfiles();
  s.PlaceStandIn(s.DefaultAcad());
  const std::wstring profile = Scenario::PlotStyles2023(L"jpn");
  s.Start(L"", 2.0, L"", profile);
  ASSERT_EQ(s.WaitForExit(kTimeout), 0u);
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath"), s.DefaultAcad());
  std::optional<Record> record = s.StandInRecord();
  ASSERT_TRUE(record);
  EXPECT_TRUE(record->had.empty()) << "the folder was not there at AutoCAD's first start";
  ASSERT_EQ(ReadText(profile + L"\\acad.ctb"), "autocad's own table");
  for (const wchar_t* table : kTables)
    EXPECT_TRUE(Exists(profile + L"\\" + table)) << "in during the first session";

  const std::wstring registry_before = RegistrySnapshot(HKEY_CURRENT_USER, kLauncherKey);
  s.Start(L"", 0.3, L"", profile);
  ASSERT_EQ(s.WaitForExit(kTimeout), 0u);
  record = s.StandInRecord();
  ASSERT_TRUE(record);
  std::sort(record->had.begin(), record->had.end());
  EXPECT_EQ(record->had, (std::vector<std::wstring>{L"Hv_color.ctb", L"Hv_mono.ctb",
                                                    L"Hv_mono2.ctb", L"acad.ctb"}));
  for (const wchar_t* table : kTables)
    EXPECT_EQ(ReadText(profile + L"\\" + table), "add-on table");
  EXPECT_EQ(RegistrySnapshot(HKEY_CURRENT_USER, kLauncherKey), registry_before);
}

// An office whose CAD manager points every profile at its own plot-style
// folder: AutoCAD reads the tables from there, so they must be there when
// AutoCAD starts.
TEST(EndToEnd, TablesReachTheFolderTheProfileNamesBeforeAutoCadStarts) {
  const std::wstring office = L"C:\\CAD\\Plot Styles";
  const std::wstring release = L"Software\\Autodesk\\AutoCAD\\R24.2\\ACAD-6101:411";
  Scenario s;
  RemoveTree(L"C:\\CAD");
  MakeFolders(office);
  // Each table with bytes of its own, none of them text.
  std::string bytes[3];
  for (int i = 0; i < 3; ++i) {
    for (int b = 0; b < 300; ++b)
      bytes[i].push_back(static_cast<char>((b * (i + 3)) & 0xFF));
    WriteText(s.Install() + L"\\Plot Styles\\" + kTables[i], bytes[i]);
  }
  RegWrite(HKEY_CURRENT_USER, release + L"\\Profiles", L"", L"<<Unnamed Profile>>");
  RegWrite(HKEY_CURRENT_USER, release + L"\\Profiles\\<<Unnamed Profile>>\\General",
           L"PrinterStyleSheetDir", office);
  s.PlaceStandIn(s.DefaultAcad());
  RegWrite(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath", s.DefaultAcad());
  s.Start(L"", 0.3, L"", office);
  const std::optional<DWORD> code = s.WaitForExit(kTimeout);
  std::optional<Record> record = s.StandInRecord();
  std::optional<std::string> copied[3];
  for (int i = 0; i < 3; ++i)
    copied[i] = ReadText(office + L"\\" + kTables[i]);
  RemoveTree(L"C:\\CAD");

  ASSERT_EQ(code, 0u);
  ASSERT_TRUE(record);
  std::sort(record->had.begin(), record->had.end());
  EXPECT_EQ(record->had,
            (std::vector<std::wstring>{L"Hv_color.ctb", L"Hv_mono.ctb", L"Hv_mono2.ctb"}))
      << "the tables, and nothing else, at AutoCAD's start";
  for (int i = 0; i < 3; ++i)
    EXPECT_EQ(copied[i], bytes[i]) << "byte for byte";
}

// Release A's tables reach the user's profile; the installation is then
// upgraded to release B, whose list names both releases' tables. At the next
// start AutoCAD finds B's table where the user had A's, and the table the
// user changed is still theirs.
TEST(EndToEnd, AnUpgradeBringsTheCopiesNobodyChangedUpToDate) {
  Scenario s;
  const std::wstring profile = s.PlotStyles();
  const std::wstring source = s.Install() + L"\\Plot Styles\\";
  const std::string mono_a = "release A's Hv_mono.ctb", mono_b = "release B's Hv_mono.ctb, longer";
  const std::string color_a = "release A's Hv_color.ctb", color_b = "release B's Hv_color.ctb!";
  WriteText(source + L"Hv_mono.ctb", mono_a);
  WriteText(source + L"Hv_color.ctb", color_a);
  s.PlaceStandIn(s.DefaultAcad());
  RegWrite(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath", s.DefaultAcad());
  s.Start(L"", 0.3);
  ASSERT_EQ(s.WaitForExit(kTimeout), 0u);
  ASSERT_EQ(ReadText(profile + L"\\Hv_mono.ctb"), mono_a);
  WriteText(profile + L"\\Hv_color.ctb", "the user's own colours");

  // The upgrade: B's tables, and the list of every release's.
  WriteText(source + L"Hv_mono.ctb", mono_b);
  WriteText(source + L"Hv_color.ctb", color_b);
  WriteText(source + L"released.sha256",
            Sha256Line(mono_a, "Hv_mono.ctb") + Sha256Line(color_a, "Hv_color.ctb") +
                Sha256Line(mono_b, "Hv_mono.ctb") + Sha256Line(color_b, "Hv_color.ctb"));
  s.Start(L"", 0.3, L"", profile);
  ASSERT_EQ(s.WaitForExit(kTimeout), 0u);
  const std::optional<Record> record = s.StandInRecord();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->had_size.at(L"Hv_mono.ctb"), mono_b.size()) << "B's table at AutoCAD's start";
  EXPECT_EQ(ReadText(profile + L"\\Hv_mono.ctb"), mono_b);
  EXPECT_EQ(ReadText(profile + L"\\Hv_color.ctb"), "the user's own colours");
  EXPECT_EQ(record->had.size(), 4u) << "no temporary copy beside the tables";
}

// A new user's first AutoCAD session: AutoCAD makes the plot-style folder
// after the launcher has looked, and the launcher, waiting, installs the
// tables there while AutoCAD runs. The end is as always: about a second
// after AutoCAD's.
TEST(EndToEnd, TablesArriveDuringTheFirstAutoCadSession) {
  Scenario s;
  s.RemoveProfiles();
  s.PlaceStandIn(s.DefaultAcad());
  RegWrite(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath", s.DefaultAcad());
  const std::wstring profile = Scenario::PlotStyles2023(L"jpn");
  s.Start(L"", 0, L"", profile);
  HWND standin = StandInWindow();
  ASSERT_NE(standin, nullptr);
  // The stand-in made the folder with acad.ctb at its start.
  bool arrived = false;
  for (const DWORD start = GetTickCount(); !arrived && GetTickCount() - start < kTimeout;) {
    Sleep(100);
    arrived = true;
    for (const wchar_t* table : kTables)
      arrived = arrived && ReadText(profile + L"\\" + table) == "add-on table";
  }
  EXPECT_TRUE(arrived) << "the tables, while AutoCAD runs";
  EXPECT_NE(FindWindowW(L"HalvaneStandInAcad", nullptr), nullptr) << "AutoCAD still runs";
  PostMessageW(standin, WM_CLOSE, 0, 0);
  const DWORD closed = GetTickCount();
  ASSERT_EQ(s.WaitForExit(kTimeout), 0u);
  const DWORD ended = GetTickCount() - closed;
  EXPECT_GE(ended, 900u) << "the pause after AutoCAD's end";
  EXPECT_LT(ended, 3000u);
  const std::optional<Record> record = s.StandInRecord();
  ASSERT_TRUE(record);
  EXPECT_TRUE(record->had.empty()) << "nothing there at AutoCAD's start";
  std::vector<std::wstring> at_end = record->had_at_end;
  std::sort(at_end.begin(), at_end.end());
  EXPECT_EQ(at_end, (std::vector<std::wstring>{L"Hv_color.ctb", L"Hv_mono.ctb", L"Hv_mono2.ctb",
                                               L"acad.ctb"}));
}

TEST(EndToEnd, WithoutTheSourceMonoTableTheFirstSessionGetsNoTable) {
  Scenario s;
  s.RemoveProfiles();
  DeleteFileW((s.Install() + L"\\Plot Styles\\Hv_mono.ctb").c_str());
  s.PlaceStandIn(s.DefaultAcad());
  RegWrite(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath", s.DefaultAcad());
  const std::wstring profile = Scenario::PlotStyles2023(L"jpn");
  s.Start(L"", 2.0, L"", profile);
  ASSERT_EQ(s.WaitForExit(kTimeout), 0u);
  const std::optional<Record> record = s.StandInRecord();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->had_at_end, std::vector<std::wstring>{L"acad.ctb"});
}

TEST(EndToEnd, ArgumentsReachAutoCadExactlyLastToFirst) {
  Scenario s;
  s.PlaceStandIn(s.DefaultAcad());
  RegWrite(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath", s.DefaultAcad());
  s.Start(L"\"C:\\My Drawings\\plan a.dwg\" b.dwg \"D:\\Drawings\\\" \"図面\\平面.dwg\"", 0.3);
  ASSERT_EQ(s.WaitForExit(kTimeout), 0u);
  const std::optional<Record> record = s.StandInRecord();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->args, (std::vector<std::wstring>{L"図面\\平面.dwg", L"D:\\Drawings\\", L"b.dwg",
                                                     L"C:\\My Drawings\\plan a.dwg"}));
}

// A CAD manager's shortcut: AutoCAD's own switches reach it in their order,
// with their values, and the template still follows.
TEST(EndToEnd, SwitchesReachAutoCadInTheirOrder) {
  Scenario s;
  s.PlaceStandIn(s.DefaultAcad());
  RegWrite(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath", s.DefaultAcad());
  s.Start(L"/p \"My Profile\"", 0.3);
  ASSERT_EQ(s.WaitForExit(kTimeout), 0u);
  const std::optional<Record> record = s.StandInRecord();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->args, (std::vector<std::wstring>{L"/p", L"My Profile", L"/t", L"Halvane.dwt"}));
}

// "Halvane2023.exe plan.dwg" typed in the drawings' folder: AutoCAD, which
// runs in the installation folder, gets the drawing's full name.
TEST(EndToEnd, RelativeDrawingFromAnotherFolderArrivesInFull) {
  Scenario s;
  s.PlaceStandIn(s.DefaultAcad());
  RegWrite(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath", s.DefaultAcad());
  // The program in its installation folder, as the package puts it.
  const std::wstring built = Env(L"HALVANE_EXE");
  const std::wstring installed = s.Install() + L"\\Halvane2023.exe";
  ASSERT_TRUE(CopyFileW(ToWindowsPath(built).c_str(), installed.c_str(), FALSE));
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring drawings = std::wstring(temp) + L"halvane-e2e-drawings";
  MakeFolders(drawings);
  SetEnvironmentVariableW(L"HALVANE_EXE", installed.c_str());
  s.Start(L"plan.dwg", 0.3, drawings);
  SetEnvironmentVariableW(L"HALVANE_EXE", built.c_str());
  const std::optional<DWORD> code = s.WaitForExit(kTimeout);
  RemoveTree(drawings);
  ASSERT_EQ(code, 0u);
  const std::optional<Record> record = s.StandInRecord();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->args, std::vector<std::wstring>{drawings + L"\\plan.dwg"});
  EXPECT_EQ(record->cwd, s.Install()) << "AutoCAD runs in the installation folder";
}

// AutoCAD was uninstalled from where the record says and installed again in
// the default folder: the launcher finds it, records it and starts it.
TEST(EndToEnd, StaleRecordIsReplacedByTheAutoCadFoundAgain) {
  Scenario s;
  RegWrite(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath", L"C:\\gone\\acad.exe");
  s.PlaceStandIn(s.DefaultAcad());
  s.Start(L"", 0.3);
  // A failure report would hold the launcher open until closed.
  ASSERT_EQ(s.WaitForExit(kTimeout), 0u);
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath"), s.DefaultAcad());
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"LibPath"), s.Install());
  const std::optional<Record> record = s.StandInRecord();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->args, (std::vector<std::wstring>{L"/t", L"Halvane.dwt"}));
}

// "<acad>" and the parameters must fit in 32,766 characters.
std::wstring ArgumentsMakingParameters(std::size_t parameters, std::vector<std::wstring>& given) {
  // Arguments of 200 characters, each " \"...\"" in the parameters, the last
  // one making up the rest.
  std::wstring line;
  std::size_t left = parameters;
  for (int i = 0; left > 0; ++i) {
    const std::size_t length = left >= 203 + 10 ? 200 : left - 3;
    std::wstring arg = L"D" + std::to_wstring(i) + L"_";
    arg.append(length - arg.size(), static_cast<wchar_t>(L'a' + i % 26));
    given.push_back(arg);
    line += (line.empty() ? L"" : L" ") + arg;
    left -= length + 3;
  }
  return line;
}

TEST(EndToEnd, LongestCommandLineThatFitsReachesAutoCadWhole) {
  Scenario s;
  s.PlaceStandIn(s.DefaultAcad());
  RegWrite(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath", s.DefaultAcad());
  std::vector<std::wstring> given;
  const std::wstring line = ArgumentsMakingParameters(32766 - (s.DefaultAcad().size() + 3), given);
  s.Start(line, 0.3);
  ASSERT_EQ(s.WaitForExit(kTimeout), 0u);
  const std::optional<Record> record = s.StandInRecord();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->cmdline.size(), 32766u);
  const std::vector<std::wstring> reversed(given.rbegin(), given.rend());
  EXPECT_TRUE(record->args == reversed) << "got " << record->args.size() << " of " << given.size();
}

TEST(EndToEnd, CommandLineTooLongForWindowsIsReportedAndNothingStarts) {
  Scenario s;
  s.PlaceStandIn(s.DefaultAcad());
  RegWrite(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath", s.DefaultAcad());
  // Nine thousand drawings dropped on the shortcut.
  std::wstring line;
  for (int i = 0; i < 9000; ++i)
    line += (i ? L" " : L"") + std::to_wstring(i % 10);
  s.Start(line, 0.3);
  HWND box = s.FindWindowOf(L"#32770", L"Halvane2023", kTimeout);
  ASSERT_NE(box, nullptr);
  wchar_t text[256] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 256);
  EXPECT_EQ(std::wstring(text), L"実行できません (206)");
  SaveScreenshot(L"launch-failed");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  ASSERT_EQ(s.WaitForExit(kTimeout), 0u);
  EXPECT_FALSE(s.StandInRecord()) << "AutoCAD must not start with drawings missing";
}

// The launcher started from a stored path, waiting while the stand-in
// AutoCAD runs; the stand-in is closed when the test ends.
struct WhileAutoCadRuns {
  explicit WhileAutoCadRuns(Scenario& s) {
    s.PlaceStandIn(s.DefaultAcad());
    RegWrite(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath", s.DefaultAcad());
    s.Start();
    standin = StandInWindow();
    for (int i = 0; i < 100 && standin && !window; ++i, Sleep(50))
      window = FindWindowW(L"TForm1", L"Halvane 2023");
    if (window)
      application = GetWindow(window, GW_OWNER);
    // AutoCAD's window can come before the launcher has hidden its own.
    for (int i = 0; i < 100 && application && IsWindowVisible(application); ++i)
      Sleep(50);
  }
  ~WhileAutoCadRuns() {
    if (standin)
      PostMessageW(standin, WM_CLOSE, 0, 0);
  }
  bool Ready() const { return standin && window && application; }

  HWND standin = nullptr;      // AutoCAD's window
  HWND window = nullptr;       // the launcher's main window, hidden
  HWND application = nullptr;  // the launcher's application window, hidden
};

// Closing the launcher while AutoCAD runs (its icon clicked, then its
// taskbar button closed, the one way back after a launch at start-up): the
// launcher ends after its closing steps, AutoCAD runs on.
TEST(EndToEnd, ClosingTheLauncherWhileAutoCadRunsLeavesAutoCadRunning) {
  Scenario s;
  WhileAutoCadRuns running(s);
  ASSERT_TRUE(running.Ready());
  const HWND standin = running.standin, window = running.window, application = running.application;
  EXPECT_FALSE(IsWindowVisible(application)) << "hidden while AutoCAD runs";
  SendMessageTimeoutW(window, 1124, 1, WM_LBUTTONDOWN, SMTO_BLOCK, 3000, nullptr);
  EXPECT_TRUE(IsWindowVisible(application)) << "the taskbar button is back";
  PostMessageW(application, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(s.WaitForExit(kTimeout), 0u);
  EXPECT_TRUE(IsWindow(standin)) << "AutoCAD must run on";
}

TEST(EndToEnd, AutoCadIsFoundThroughItsSixtyFourBitRegistration) {
  Scenario s;
  const std::wstring folder = L"C:\\Autodesk Elsewhere\\AutoCAD 2023";
  s.PlaceStandIn(folder + L"\\acad.exe");
  RegWrite(HKEY_CURRENT_USER, L"Software\\Autodesk\\AutoCAD\\R24.2", L"CurVer", L"ACAD-6101:411");
  RegWrite(HKEY_LOCAL_MACHINE, L"Software\\Autodesk\\AutoCAD\\R24.2\\ACAD-6101:411",
           L"AcadLocation", folder, KEY_WOW64_64KEY);
  s.Start(L"", 0.3);
  ASSERT_EQ(s.WaitForExit(kTimeout), 0u);
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath"), folder + L"\\acad.exe");
  ASSERT_TRUE(s.StandInRecord());
}

// AutoCAD installed outside the default folders, for a user who has never
// started it: only the machine's key names the product.
TEST(EndToEnd, AutoCadIsFoundThroughTheMachinesKeyAlone) {
  Scenario s;
  const std::wstring folder = L"C:\\CAD\\AutoCAD 2023";
  s.PlaceStandIn(folder + L"\\acad.exe");
  RegWrite(HKEY_LOCAL_MACHINE, L"Software\\Autodesk\\AutoCAD\\R24.2", L"CurVer", L"ACAD-6101:411",
           KEY_WOW64_64KEY);
  RegWrite(HKEY_LOCAL_MACHINE, L"Software\\Autodesk\\AutoCAD\\R24.2\\ACAD-6101:411",
           L"AcadLocation", folder, KEY_WOW64_64KEY);
  ASSERT_FALSE(RegRead(HKEY_CURRENT_USER, L"Software\\Autodesk\\AutoCAD\\R24.2", L"CurVer"));
  s.Start(L"", 1.5);
  ASSERT_NE(StandInWindow(), nullptr);
  EXPECT_TRUE(s.VisibleWindows().empty()) << "no window asks the user for AutoCAD";
  ASSERT_EQ(s.WaitForExit(kTimeout), 0u);
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath"), folder + L"\\acad.exe");
  const std::optional<Record> record = s.StandInRecord();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->args, (std::vector<std::wstring>{L"/t", L"Halvane.dwt"}));
}

// Spaces, Japanese and characters outside the Basic Multilingual Plane, in
// the installation folder and in AutoCAD's; and nothing but the two values
// and the missing tables may change.
TEST(EndToEnd, UnusualPathsAreRecordedAndCopiedExactlyAndNothingElseChanges) {
  const std::wstring odd = L"設計 \U0002000B ハルヴァン";
  Scenario s(L"Halvane " + odd);
  const std::wstring acad = L"C:\\Program Files\\Autodesk\\AutoCAD 2023\\acad.exe";
  s.PlaceStandIn(acad);
  // The user's own table stays as it is, bytes and time stamps.
  WriteText(s.PlotStyles() + L"\\Hv_mono.ctb", "the user's own table");
  HANDLE file = CreateFileW((s.PlotStyles() + L"\\Hv_mono.ctb").c_str(), FILE_WRITE_ATTRIBUTES, 0,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  FILETIME old_time{0x10000000, 0x01D00000};
  SetFileTime(file, &old_time, &old_time, &old_time);
  CloseHandle(file);
  RegWrite(HKEY_CURRENT_USER, kLauncherKey, L"Other", L"kept");
  RegWrite(HKEY_CURRENT_USER, L"Software\\Autodesk\\AutoCAD\\R24.2", L"CurVer", L"ACAD-6101:411");
  const std::wstring autodesk_before = RegistrySnapshot(HKEY_CURRENT_USER, L"Software\\Autodesk");
  const std::wstring profile_before = FolderSnapshot(s.PlotStyles());

  s.Start(L"", 0.3);
  ASSERT_EQ(s.WaitForExit(kTimeout), 0u);
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"LibPath"), s.Install());
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath"), acad);
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"Other"), L"kept");
  EXPECT_EQ(RegistrySnapshot(HKEY_CURRENT_USER, L"Software\\Autodesk"), autodesk_before);
  // Only the two missing tables were added.
  std::wstring expected = profile_before;
  std::wstring after = FolderSnapshot(s.PlotStyles());
  for (const wchar_t* table : {L"Hv_color.ctb", L"Hv_mono2.ctb"}) {
    EXPECT_EQ(ReadText(s.PlotStyles() + L"\\" + table), "add-on table");
    const std::size_t at = after.find(s.PlotStyles() + L"\\" + table + L" ");
    ASSERT_NE(at, std::wstring::npos);
    after.erase(at, after.find(L'\n', at) + 1 - at);
  }
  EXPECT_TRUE(after == expected) << "the profile folder changed beyond the two new tables";
  const std::optional<Record> record = s.StandInRecord();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->cwd, s.Install());
}

TEST(EndToEnd, InstallationAtADriveRootIsRecordedAndCopiedFrom) {
  Scenario s;
  s.PlaceStandIn(s.DefaultAcad());
  const std::wstring tables = L"C:\\Plot Styles";
  MakeFolders(tables);
  for (const wchar_t* table : kTables)
    WriteText(tables + L"\\" + table, "from the root");
  s.Start(L"", 0.3, L"C:\\");
  const std::optional<DWORD> code = s.WaitForExit(kTimeout);
  const std::optional<std::string> copied = ReadText(s.PlotStyles() + L"\\Hv_mono2.ctb");
  RemoveTree(tables);
  ASSERT_EQ(code, 0u);
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"LibPath"), L"C:\\");
  EXPECT_EQ(copied, "from the root");
  const std::optional<Record> record = s.StandInRecord();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->cwd, L"C:\\");
}

TEST(EndToEnd, WithoutAutoCadTheMainWindowWaitsForTheUser) {
  Scenario s;
  s.Start();
  HWND window = s.FindWindowOf(L"TForm1", L"Halvane 2023", kTimeout);
  ASSERT_NE(window, nullptr);
  Sleep(500);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 440);
  EXPECT_EQ(client.bottom, 301);
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, 101)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, 102)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, 103)));
  EXPECT_TRUE(IsWindowEnabled(GetDlgItem(window, 105)));
  EXPECT_EQ(GetWindowTextLengthW(GetDlgItem(window, 105)), 0);
  SaveScreenshot(L"main-window");
  PostMessageW(window, WM_CLOSE, 0, 0);
  ASSERT_EQ(s.WaitForExit(kTimeout), 0u);
  EXPECT_FALSE(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath"));
}

// What Restart Manager sends a program whose file an installation replaces,
// to each of its top-level windows, hidden ones included; whether each
// window agreed to end.
bool CloseAsRestartManagerDoes(const std::vector<HWND>& windows) {
  bool agreed = true;
  for (HWND window : windows) {
    DWORD_PTR answer = 0;
    agreed = SendMessageTimeoutW(window, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP, SMTO_BLOCK,
                                 5000, &answer) &&
             answer && agreed;
  }
  for (HWND window : windows) {
    SendMessageTimeoutW(window, WM_ENDSESSION, TRUE, ENDSESSION_CLOSEAPP, SMTO_BLOCK, 5000,
                        nullptr);
  }
  return agreed;
}

// An upgrade while AutoCAD runs: Restart Manager closes the launcher, which
// holds its program file, as the end of a session does: at once, without
// coming back on screen. AutoCAD runs on.
TEST(EndToEnd, RestartManagerClosesTheLauncherWhileAutoCadRunsOn) {
  Scenario s;
  WhileAutoCadRuns running(s);
  ASSERT_TRUE(running.Ready());
  const HWND standin = running.standin, window = running.window, application = running.application;

  const DWORD asked = GetTickCount();
  EXPECT_TRUE(CloseAsRestartManagerDoes({application, window}));
  ASSERT_EQ(s.WaitForExit(kTimeout), 0u);
  EXPECT_LT(GetTickCount() - asked, 900u) << "no pause: the launcher ends at once";
  EXPECT_TRUE(IsWindow(standin)) << "AutoCAD must run on";
  EXPECT_TRUE(s.VisibleWindows().empty());
}

// The same while the window waits for the user to point at AutoCAD: the
// launcher ends, nothing recorded.
TEST(EndToEnd, RestartManagerClosesTheWaitingWindow) {
  Scenario s;
  s.Start();
  HWND window = s.FindWindowOf(L"TForm1", L"Halvane 2023", kTimeout);
  ASSERT_NE(window, nullptr);
  EXPECT_TRUE(CloseAsRestartManagerDoes({GetWindow(window, GW_OWNER), window}));
  EXPECT_EQ(s.WaitForExit(kTimeout), 0u);
  EXPECT_FALSE(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath"));
}

}  // namespace
}  // namespace halvane::e2e
