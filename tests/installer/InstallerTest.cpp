// The installer, installed: Halvane2023-<version>.msi under Wine's msiexec,
// in a prefix of its own. The tests run in order, as an administrator and a
// user would meet the package: install, start from the shortcut, upgrade,
// refused downgrade, uninstall, and a second install and uninstall with
// nothing of the user's in the way, and one into an administrator's folder.
#include <windows.h>

#include <gtest/gtest.h>
#include <msi.h>
#include <msiquery.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/installer/Installation.h"

namespace halvane::e2e {
namespace {

class Installer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  static void TearDownTestSuite() { CoUninitialize(); }

  static std::wstring Installed(const std::wstring& name) {
    return std::wstring(kInstallFolder) + L"\\" + name;
  }
  // Where the launcher leaves AutoCAD's copy of the tables, and AutoCAD's own.
  static std::wstring PlotStyles() {
    return Folder(CSIDL_APPDATA) + L"\\Autodesk\\AutoCAD\\R24.2\\jpn\\Plotters\\Plot Styles";
  }
  static std::wstring Record() { return Folder(CSIDL_APPDATA) + L"\\..\\standin-record.txt"; }
  static std::wstring Unrelated() { return L"C:\\users\\Public\\Unrelated Folder"; }
  static std::wstring DefaultAcad() {
    return L"C:\\Program Files\\Autodesk\\AutoCAD 2023\\acad.exe";
  }
  // A user with AutoCAD 2023 that has run once, and no launcher record.
  static void PrepareUser() {
    MakeFolders(DefaultAcad().substr(0, DefaultAcad().rfind(L'\\')));
    CopyFileW(ToWindowsPath(Env(L"HALVANE_STANDIN")).c_str(), DefaultAcad().c_str(), FALSE);
    RemoveTree(Folder(CSIDL_APPDATA) + L"\\Autodesk");
    MakeFolders(PlotStyles());
    WriteText(PlotStyles() + L"\\acad.ctb", "autocad's own table");
    RegDelete(HKEY_CURRENT_USER, kLauncherKey);
    DeleteFileW(Record().c_str());
    MakeFolders(Unrelated());
    SetEnvironmentVariableW(L"HALVANE_STANDIN_RECORD", Record().c_str());
    SetEnvironmentVariableW(L"HALVANE_STANDIN_SECONDS", L"0.3");
  }
  // What a start from the installation in `folder` leaves: the record names
  // it and AutoCAD's default path, the tables are copied, and the stand-in
  // ran in the installation folder with the template switch.
  static void ExpectStartedFromTheInstallation(const std::wstring& folder = kInstallFolder) {
    EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"LibPath"), folder);
    EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath"), DefaultAcad());
    for (const wchar_t* table : kTables) {
      EXPECT_EQ(ReadText(PlotStyles() + L"\\" + table),
                ReadText(folder + L"\\Plot Styles\\" + table));
    }
    const std::optional<std::string> raw = ReadText(Record());
    ASSERT_TRUE(raw && raw->size() > 2);
    const std::wstring record(reinterpret_cast<const wchar_t*>(raw->data() + 2),
                              (raw->size() - 2) / 2);
    EXPECT_NE(record.find(L"cwd=" + folder + L"\n"), std::wstring::npos);
    EXPECT_NE(record.find(L"arg=/t\narg=Halvane.dwt\n"), std::wstring::npos);
  }
  static void WaitForLauncher(HANDLE process) {
    ASSERT_NE(process, nullptr);
    EXPECT_EQ(WaitForSingleObject(process, kTimeout), WAIT_OBJECT_0);
    CloseHandle(process);
  }
  // Opens the desktop shortcut from an unrelated folder, as Explorer would:
  // the shortcut's "Start in" decides. Waits for the launcher's end.
  static void StartThroughTheDesktopShortcut() {
    ASSERT_TRUE(SetCurrentDirectoryW(Unrelated().c_str()));
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof(info);
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
    info.lpVerb = L"open";
    const std::wstring shortcut = DesktopShortcut();
    info.lpFile = shortcut.c_str();
    info.nShow = SW_SHOWNORMAL;
    ASSERT_TRUE(ShellExecuteExW(&info)) << GetLastError();
    // Wine's shell starts a shortcut's target without giving its handle.
    WaitForLauncher(info.hProcess ? info.hProcess : FindProcess(L"Halvane2023.exe"));
  }
};

const wchar_t kComments[] =
    L"AutoCAD 2023 用 Halvane 2023 のランチャー、テンプレートと印刷スタイル";

// Windows Installer reads the Japanese texts back whole: the database and
// the summary are in code page 932, and the package's language is Japanese.
TEST_F(Installer, JapaneseTextsReadBackWhole) {
  const std::wstring path = ToWindowsPath(Env(L"HALVANE_MSI"));
  MSIHANDLE database = 0;
  ASSERT_EQ(MsiOpenDatabaseW(path.c_str(), MSIDBOPEN_READONLY, &database), 0u);
  const auto query = [&](const wchar_t* sql) {
    MSIHANDLE view = 0, record = 0;
    std::wstring text;
    if (MsiDatabaseOpenViewW(database, sql, &view) == 0 && MsiViewExecute(view, 0) == 0 &&
        MsiViewFetch(view, &record) == 0) {
      wchar_t buffer[512] = {};
      DWORD length = 512;
      if (MsiRecordGetStringW(record, 1, buffer, &length) == 0)
        text = buffer;
      MsiCloseHandle(record);
    }
    if (view)
      MsiCloseHandle(view);
    return text;
  };
  EXPECT_EQ(query(L"SELECT `Description` FROM `LaunchCondition`"),
            L"より新しいバージョンの Halvane 2023 がすでにインストールされています。"
            L"インストールを中止します。");
  EXPECT_EQ(query(L"SELECT `Value` FROM `Property` WHERE `Property`='ARPCOMMENTS'"), kComments);
  EXPECT_EQ(query(L"SELECT `Description` FROM `Shortcut` WHERE `Shortcut`='DesktopShortcut'"),
            L"AutoCAD 2023 で Halvane 2023 を使います");
  EXPECT_EQ(query(L"SELECT `Name` FROM `Shortcut` WHERE `Shortcut`='GuideShortcut'"),
            L"Halvane 2023 の使い方");
  EXPECT_EQ(query(L"SELECT `Description` FROM `Feature`"),
            L"ランチャー、図面テンプレート、印刷スタイル テーブルと使い方");
  EXPECT_EQ(query(L"SELECT `Value` FROM `Property` WHERE `Property`='ProductLanguage'"), L"1041");
  EXPECT_EQ(query(L"SELECT `Value` FROM `Property` WHERE `Property`='ProductName'"),
            L"Halvane 2023");
  MsiCloseHandle(database);

  MSIHANDLE summary = 0;
  ASSERT_EQ(MsiGetSummaryInformationW(0, path.c_str(), 0, &summary), 0u);
  const auto property = [&](UINT id) {
    UINT type = 0;
    INT number = 0;
    FILETIME time{};
    wchar_t buffer[512] = {};
    DWORD length = 512;
    MsiSummaryInfoGetPropertyW(summary, id, &type, &number, &time, buffer, &length);
    return std::wstring(buffer);
  };
  EXPECT_EQ(property(PIDSI_TEMPLATE), L"Intel;1041");
  // The summary keeps ASCII (see the package source).
  EXPECT_EQ(property(PIDSI_COMMENTS),
            L"Halvane 2023: launcher, drawing template and plot styles for AutoCAD 2023");
  MsiCloseHandle(summary);
}

TEST_F(Installer, InstallsSilentlyWhereA32BitProgramBelongs) {
  ASSERT_TRUE(Entries().empty()) << "the prefix must start without the product";
  ASSERT_EQ(Msiexec(L"/i " + Package(L"HALVANE_MSI"), L"install"), 0u);
  for (const wchar_t* name : {L"Halvane2023.exe", L"Halvane.dwt", L"Plot Styles\\Hv_color.ctb",
                              L"Plot Styles\\Hv_mono.ctb", L"Plot Styles\\Hv_mono2.ctb",
                              L"Plot Styles\\released.sha256"}) {
    EXPECT_TRUE(Exists(Installed(name))) << name;
  }
  EXPECT_EQ(ReadText(Installed(L"Halvane.dwt")), "Halvane stand-in drawing template\n");
  EXPECT_FALSE(Exists(L"C:\\Program Files\\Fenwright")) << "nothing in the 64-bit Program Files";
  const std::vector<Entry> entries = Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].version, Env(L"HALVANE_VERSION"));
  EXPECT_EQ(entries[0].publisher, L"Fenwright");
  EXPECT_EQ(entries[0].comments, kComments);
  // Where it is, for the administrator and for the package's own later runs.
  EXPECT_EQ(entries[0].location, std::wstring(kInstallFolder) + L"\\");
  EXPECT_EQ(RegRead(HKEY_LOCAL_MACHINE, kInstallerKey, L"InstallFolder", KEY_WOW64_32KEY),
            std::wstring(kInstallFolder) + L"\\");
  // The entry's icon: the program's, which the installer keeps in its cache
  // (Windows names it in DisplayIcon; Wine 8 writes no DisplayIcon).
  const std::wstring cached = L"C:\\windows\\Installer\\" + entries[0].name + L"\\Halvane2023.exe";
  EXPECT_EQ(ReadText(cached), ReadText(Installed(L"Halvane2023.exe")));
  EXPECT_EQ(RegRead(HKEY_LOCAL_MACHINE, kUninstallKey + (L"\\" + entries[0].name), L"DisplayName",
                    KEY_WOW64_32KEY),
            L"Halvane 2023")
      << "the entry of a 32-bit package is in the 32-bit view";
}

TEST_F(Installer, ShortcutsStartTheProgramInItsFolderWithItsIcon) {
  for (const std::wstring& path : {MenuShortcut(), DesktopShortcut()}) {
    SCOPED_TRACE(std::string(path.begin(), path.end()));
    const std::optional<Link> link = ReadShortcut(path);
    ASSERT_TRUE(link);
    EXPECT_EQ(_wcsicmp(link->target.c_str(), Installed(L"Halvane2023.exe").c_str()), 0);
    // Windows Installer writes a folder with its closing backslash.
    std::wstring folder = link->folder;
    if (folder.ends_with(L"\\"))
      folder.pop_back();
    EXPECT_EQ(_wcsicmp(folder.c_str(), kInstallFolder), 0) << "Start in";
    EXPECT_FALSE(link->icon.empty());
    EXPECT_EQ(link->icon_index, 0);
  }
}

// The users' guide is installed with its pictures and opened from the Start
// menu, beside the launcher.
TEST_F(Installer, GuideShortcutOpensTheInstalledUsersGuide) {
  EXPECT_EQ(GuideProblems(kInstallFolder), L"");
  const std::optional<Link> link = ReadShortcut(GuideShortcut());
  ASSERT_TRUE(link) << "no 「Halvane 2023 の使い方」 in the Start menu";
  EXPECT_EQ(_wcsicmp(link->target.c_str(), Installed(L"Guide\\index.html").c_str()), 0)
      << link->target;
}

TEST_F(Installer, DesktopShortcutStartsTheLauncherInTheInstallationFolder) {
  PrepareUser();
  StartThroughTheDesktopShortcut();
  ExpectStartedFromTheInstallation();
}

// Started directly from an unrelated folder (a shortcut without "Start in",
// a script), the program still takes the folder that holds its template: a
// record made from the wrong folder is mended, the tables that are missing
// are added at this later start, and AutoCAD starts in the installation.
TEST_F(Installer, ProgramStartedElsewhereStillTakesItsInstallationFolder) {
  PrepareUser();
  RegWrite(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath", DefaultAcad());
  RegWrite(HKEY_CURRENT_USER, kLauncherKey, L"LibPath", Unrelated());
  const std::wstring exe = Installed(L"Halvane2023.exe");
  std::wstring command = L"\"" + exe + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             Unrelated().c_str(), &si, &pi));
  CloseHandle(pi.hThread);
  WaitForLauncher(pi.hProcess);
  ExpectStartedFromTheInstallation();
}

TEST_F(Installer, LaterReleaseReplacesTheInstalledOneAndKeepsTheUsersFiles) {
  WriteText(Installed(L"my notes.txt"), "the user's own file");
  const std::vector<Entry> before = Entries();
  ASSERT_EQ(before.size(), 1u);
  ASSERT_EQ(Msiexec(L"/i " + Package(L"HALVANE_MSI_LATER"), L"upgrade"), 0u);
  const std::vector<Entry> after = Entries();
  ASSERT_EQ(after.size(), 1u);
  EXPECT_EQ(after[0].version, Env(L"HALVANE_VERSION_LATER"));
  EXPECT_NE(after[0].name, before[0].name) << "a new product code replaced the old one";
  EXPECT_EQ(ReadText(Installed(L"Halvane.dwt")),
            "Halvane stand-in drawing template, a later release\n");
  EXPECT_TRUE(Exists(Installed(L"Halvane2023.exe")));
  EXPECT_TRUE(Exists(DesktopShortcut()));
  EXPECT_EQ(ReadText(Installed(L"my notes.txt")), "the user's own file");
}

TEST_F(Installer, EarlierReleaseIsRefusedOverALaterOne) {
  // Windows Installer's 1603 (fatal error); Wine's msiexec gives it back whole here.
  EXPECT_EQ(Msiexec(L"/i " + Package(L"HALVANE_MSI_EARLIER"), L"downgrade"), 1603u);
  const std::vector<Entry> entries = Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].version, Env(L"HALVANE_VERSION_LATER"));
  EXPECT_EQ(ReadText(Installed(L"Halvane.dwt")),
            "Halvane stand-in drawing template, a later release\n");
}

// The same refusal as a user meets it, opening the older package: a box
// with the Japanese reason, and nothing changed.
TEST_F(Installer, EarlierReleaseOpenedByAUserSaysWhyInJapanese) {
  std::wstring command =
      L"C:\\windows\\system32\\msiexec.exe /i " + Package(L"HALVANE_MSI_EARLIER");
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &si, &pi));
  CloseHandle(pi.hThread);
  HWND box = nullptr;
  for (int i = 0; i < 300 && !(box = MessageBoxOf(pi.dwProcessId)); ++i)
    Sleep(50);
  EXPECT_NE(box, nullptr) << "no message box";
  if (box) {
    wchar_t text[512] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 512);
    EXPECT_STREQ(text,
                 L"より新しいバージョンの Halvane 2023 がすでにインストールされています。"
                 L"インストールを中止します。");
    Sleep(300);
    SaveScreenshot(L"installer-refuses-an-older-release");
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    // Then the setup window's last page says it could not finish.
    HWND page = WaitForPage(L"セットアップを完了できませんでした");
    EXPECT_NE(page, nullptr);
    if (page) {
      Sleep(300);
      SaveScreenshot(L"setup-failed");
      EXPECT_TRUE(Press(page, VK_RETURN));
    }
  } else {
    TerminateProcess(pi.hProcess, 1);
  }
  EXPECT_EQ(ExitCodeOf(pi.hProcess), 1603u);
  ASSERT_EQ(Entries().size(), 1u);
  EXPECT_EQ(Entries()[0].version, Env(L"HALVANE_VERSION_LATER"));
}

TEST_F(Installer, UninstallRemovesWhatItInstalledAndLeavesTheUsersData) {
  ASSERT_EQ(Msiexec(L"/x " + Package(L"HALVANE_MSI_LATER"), L"uninstall"), 0u);
  EXPECT_TRUE(Entries().empty());
  // The user's file stays, and with it the folder that holds it; nothing else.
  EXPECT_EQ(Names(kInstallFolder), std::vector<std::wstring>{L"my notes.txt"});
  EXPECT_FALSE(Exists(MenuShortcut()));
  EXPECT_FALSE(Exists(GuideShortcut()));
  EXPECT_FALSE(Exists(MenuFolder()));
  EXPECT_FALSE(Exists(DesktopShortcut()));
  // The shortcuts' keys are the user's; the folder's record is the machine's.
  EXPECT_FALSE(RegRead(HKEY_CURRENT_USER, kInstallerKey, L"MenuShortcut", KEY_WOW64_32KEY));
  EXPECT_FALSE(RegRead(HKEY_CURRENT_USER, kInstallerKey, L"DesktopShortcut", KEY_WOW64_32KEY));
  EXPECT_FALSE(RegRead(HKEY_CURRENT_USER, kInstallerKey, L"GuideShortcut", KEY_WOW64_32KEY));
  EXPECT_FALSE(RegRead(HKEY_LOCAL_MACHINE, kInstallerKey, L"InstallFolder", KEY_WOW64_32KEY));
  // The launcher's own record and the tables copied for AutoCAD belong to the user.
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"LibPath"), kInstallFolder);
  EXPECT_TRUE(Exists(PlotStyles() + L"\\Hv_mono.ctb"));
}

TEST_F(Installer, UninstallLeavesNoEmptyFolder) {
  RemoveTree(kMakerFolder);
  ASSERT_EQ(Msiexec(L"/i " + Package(L"HALVANE_MSI"), L"install-again"), 0u);
  ASSERT_TRUE(Exists(Installed(L"Plot Styles\\Hv_mono.ctb")));
  ASSERT_EQ(Msiexec(L"/x " + Package(L"HALVANE_MSI"), L"uninstall-again"), 0u);
  EXPECT_FALSE(Exists(kInstallFolder));
  EXPECT_FALSE(Exists(kMakerFolder));
  EXPECT_FALSE(Exists(MenuFolder()));
  EXPECT_TRUE(Entries().empty());
}

// An administrator's folder, with a Japanese name: the shortcut starts the
// launcher there and the launcher records it; a removal that does not name
// the folder again still takes everything from it.
TEST_F(Installer, AdministratorsFolderIsWhereTheShortcutStartsTheLauncher) {
  const std::wstring folder = L"C:\\設計ツール\\Halvane 2023";
  ASSERT_EQ(Msiexec(L"/i " + Package(L"HALVANE_MSI") + L" INSTALLFOLDER=\"" + folder + L"\"",
                    L"install-administrators-folder"),
            0u);
  ASSERT_TRUE(Exists(folder + L"\\Halvane2023.exe"));
  EXPECT_FALSE(Exists(kInstallFolder));
  PrepareUser();
  StartThroughTheDesktopShortcut();
  ExpectStartedFromTheInstallation(folder);

  ASSERT_EQ(Msiexec(L"/x " + Package(L"HALVANE_MSI"), L"uninstall-administrators-folder"), 0u);
  EXPECT_FALSE(Exists(folder));
  EXPECT_TRUE(Entries().empty());
}

}  // namespace
}  // namespace halvane::e2e
