// The package as a user opens it and an administrator deploys it, without
// starting the launcher: the Japanese setup window driven with the keyboard
// (install, repair, removal, a cancel, each page photographed), the users'
// guide and its shortcut, and an administrator's folder kept for repair and
// removal. The tests run in
// order, from a prefix without the product, and leave it without.
#include <windows.h>

#include <gtest/gtest.h>
#include <objbase.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <optional>
#include <string>
#include <vector>

#include "tests/installer/Installation.h"

namespace halvane::e2e {
namespace {

bool Shows(HWND page, const std::wstring& text) {
  const std::vector<std::wstring> texts = ControlTexts(page);
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

std::wstring WithoutClosingBackslash(std::wstring folder) {
  if (folder.ends_with(L"\\"))
    folder.pop_back();
  return folder;
}

class SetupWindow : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  static void TearDownTestSuite() { CoUninitialize(); }

  static std::wstring Installed(const std::wstring& name) {
    return std::wstring(kInstallFolder) + L"\\" + name;
  }
  // The launcher's record, as the 32-bit launcher sees it.
  static std::wstring LauncherRecord() {
    return RegRead(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath", KEY_WOW64_32KEY).value_or(L"-") +
           L"|" +
           RegRead(HKEY_CURRENT_USER, kLauncherKey, L"LibPath", KEY_WOW64_32KEY).value_or(L"-");
  }
  // Waits for the page that shows `text`, photographs it as `shot` once it
  // has settled for `settle` ms.
  static HWND Page(const std::wstring& text, const wchar_t* shot, DWORD settle = 300) {
    HWND page = WaitForPage(text);
    if (page && shot) {
      Sleep(settle);
      SaveScreenshot(shot);
    }
    return page;
  }
};

TEST_F(SetupWindow, OpenedPackageSaysWhatGoesWhereAndInstalls) {
  ASSERT_TRUE(Entries().empty()) << "the prefix must start without the product";
  // As a double-click does: the shell opens the package.
  const std::wstring package = ToWindowsPath(Env(L"HALVANE_MSI"));
  SHELLEXECUTEINFOW info{};
  info.cbSize = sizeof(info);
  info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  info.lpVerb = L"open";
  info.lpFile = package.c_str();
  info.nShow = SW_SHOWNORMAL;
  ASSERT_TRUE(ShellExecuteExW(&info)) << GetLastError();
  HANDLE process = info.hProcess ? info.hProcess : FindProcess(L"msiexec.exe");
  ASSERT_NE(process, nullptr);

  HWND welcome = Page(L"Halvane 2023 をインストールします", L"setup-welcome");
  ASSERT_NE(welcome, nullptr) << "no welcome page";
  EXPECT_TRUE(Shows(welcome, std::wstring(kInstallFolder) + L"\\")) << "where it goes";
  EXPECT_TRUE(Shows(welcome, L"・ランチャー Halvane2023.exe と図面テンプレート Halvane.dwt"));
  EXPECT_TRUE(Shows(welcome, L"・使い方の説明 (スタート メニューの「Halvane 2023 の使い方」)"));
  EXPECT_TRUE(Shows(welcome, L"インストール(&I)"));
  EXPECT_TRUE(Shows(welcome, L"キャンセル"));
  ASSERT_TRUE(Press(welcome, 'I', true));

  // The progress shows from the start of the work to its end, with the
  // current action in words. Photographed at once: it is there for a second.
  HWND progress = Page(L"Halvane 2023 をインストールしています", L"setup-progress", 0);
  EXPECT_NE(progress, nullptr) << "no progress page";
  bool action_shown = false;
  while (progress && !action_shown && IsWindow(progress)) {
    for (const std::wstring& text : ControlTexts(progress)) {
      action_shown = action_shown || text == L"ファイルをコピーしています" ||
                     text == L"インストールの内容を確認しています" ||
                     text == L"インストールを準備しています" ||
                     text == L"ショートカットを作成しています" ||
                     text == L"レジストリに書き込んでいます" || text == L"製品を登録しています";
    }
    Sleep(5);
  }
  EXPECT_TRUE(action_shown) << "no current action on the progress page";
  HWND finished = Page(L"Halvane 2023 をインストールしました", L"setup-finished");
  ASSERT_NE(finished, nullptr) << "no last page";
  EXPECT_TRUE(Shows(finished,
                    L"デスクトップかスタート メニューの「Halvane 2023」から AutoCAD 2023 "
                    L"を起動してください。"));
  EXPECT_TRUE(Shows(finished, L"完了(&F)"));
  ASSERT_TRUE(Press(finished, VK_RETURN));
  EXPECT_EQ(ExitCodeOf(process), 0u);

  EXPECT_EQ(ReadText(Installed(L"Halvane.dwt")), "Halvane stand-in drawing template\n");
  EXPECT_TRUE(Exists(Installed(L"Plot Styles\\Hv_mono2.ctb")));
  EXPECT_TRUE(Exists(DesktopShortcut()));
  ASSERT_EQ(Entries().size(), 1u);
  // The users' guide, and the shortcut users open it by.
  EXPECT_EQ(GuideProblems(kInstallFolder), L"");
  const std::optional<Link> guide = ReadShortcut(GuideShortcut());
  ASSERT_TRUE(guide) << "no 「Halvane 2023 の使い方」 beside the launcher's shortcut";
  EXPECT_EQ(_wcsicmp(guide->target.c_str(), Installed(L"Guide\\index.html").c_str()), 0)
      << guide->target;
}

// Repair from the setup window puts back what was deleted, and leaves the
// user's own file and the launcher's record as they were.
TEST_F(SetupWindow, InstalledPackageOffersARepairThatPutsBackWhatWasDeleted) {
  ASSERT_EQ(Entries().size(), 1u);
  const std::optional<std::string> mono = ReadText(Installed(L"Plot Styles\\Hv_mono.ctb"));
  ASSERT_TRUE(mono);
  ASSERT_TRUE(DeleteFileW(Installed(L"Halvane.dwt").c_str()));
  ASSERT_TRUE(DeleteFileW(Installed(L"Plot Styles\\Hv_mono.ctb").c_str()));
  ASSERT_TRUE(DeleteFileW(DesktopShortcut().c_str()));
  ASSERT_TRUE(DeleteFileW(Installed(L"Guide\\index.html").c_str()));
  ASSERT_TRUE(DeleteFileW(Installed(L"Guide\\not-found.png").c_str()));
  ASSERT_TRUE(DeleteFileW(GuideShortcut().c_str()));
  ASSERT_NE(GuideProblems(kInstallFolder), L"") << "the control: the guide is gone";
  WriteText(Installed(L"my notes.txt"), "the user's own file");
  RegWrite(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath", L"C:\\AutoCAD 2023\\acad.exe",
           KEY_WOW64_32KEY);
  RegWrite(HKEY_CURRENT_USER, kLauncherKey, L"LibPath", kInstallFolder, KEY_WOW64_32KEY);
  const std::wstring record = LauncherRecord();

  HANDLE process = StartMsiexec(L"/i " + Package(L"HALVANE_MSI"), L"repair-window");
  HWND choice = Page(L"Halvane 2023 の修復または削除", L"setup-maintenance");
  ASSERT_NE(choice, nullptr) << "no choice of repair or removal";
  EXPECT_TRUE(Shows(choice, L"修復(&R)"));
  EXPECT_TRUE(Shows(choice, L"削除(&M)"));
  ASSERT_TRUE(Press(choice, 'R', true));
  HWND finished = Page(L"Halvane 2023 を修復しました", L"setup-repaired");
  ASSERT_NE(finished, nullptr);
  ASSERT_TRUE(Press(finished, VK_RETURN));
  EXPECT_EQ(ExitCodeOf(process), 0u);

  EXPECT_EQ(ReadText(Installed(L"Halvane.dwt")), "Halvane stand-in drawing template\n");
  EXPECT_EQ(ReadText(Installed(L"Plot Styles\\Hv_mono.ctb")), mono);
  EXPECT_TRUE(Exists(DesktopShortcut()));
  EXPECT_EQ(GuideProblems(kInstallFolder), L"");
  EXPECT_TRUE(Exists(GuideShortcut()));
  EXPECT_EQ(ReadText(Installed(L"my notes.txt")), "the user's own file");
  EXPECT_EQ(LauncherRecord(), record);
  ASSERT_EQ(Entries().size(), 1u);
}

// Opened for removal, the window asks which; removal takes what the
// package installed and nothing of the user's.
TEST_F(SetupWindow, RemovalFromTheSetupWindowTakesWhatItInstalled) {
  const std::wstring record = LauncherRecord();
  HANDLE process = StartMsiexec(L"/x " + Package(L"HALVANE_MSI"), L"remove-window");
  HWND choice = Page(L"Halvane 2023 の修復または削除", nullptr);
  ASSERT_NE(choice, nullptr);
  ASSERT_TRUE(Press(choice, 'M', true));
  HWND finished = Page(L"Halvane 2023 を削除しました", L"setup-removed");
  ASSERT_NE(finished, nullptr);
  ASSERT_TRUE(Press(finished, VK_RETURN));
  EXPECT_EQ(ExitCodeOf(process), 0u);

  EXPECT_TRUE(Entries().empty());
  EXPECT_EQ(Names(kInstallFolder), std::vector<std::wstring>{L"my notes.txt"});
  EXPECT_FALSE(Exists(DesktopShortcut()));
  EXPECT_FALSE(Exists(MenuFolder()));
  EXPECT_EQ(LauncherRecord(), record);
  RemoveTree(kMakerFolder);
  RegDelete(HKEY_CURRENT_USER, kLauncherKey, KEY_WOW64_32KEY);
}

// A cancel asks first: "no" goes back to the page, "yes" ends the setup
// with its own page and exit code 1602, the computer unchanged.
TEST_F(SetupWindow, CancelAsksFirstAndLeavesTheComputerAsItWas) {
  HANDLE process = StartMsiexec(L"/i " + Package(L"HALVANE_MSI"), L"cancel-window");
  HWND welcome = Page(L"Halvane 2023 をインストールします", nullptr);
  ASSERT_NE(welcome, nullptr);
  ASSERT_TRUE(Press(welcome, VK_ESCAPE));
  HWND question = Page(L"Halvane 2023 のセットアップを中止しますか?", L"setup-cancel-question");
  ASSERT_NE(question, nullptr) << "a cancel did not ask";
  EXPECT_TRUE(Shows(question, L"はい(&Y)"));
  EXPECT_TRUE(Shows(question, L"いいえ(&N)"));
  ASSERT_TRUE(Press(question, 'N', true));
  for (int i = 0; i < 100 && IsWindow(question) && IsWindowVisible(question); ++i)
    Sleep(50);
  EXPECT_FALSE(IsWindow(question) && IsWindowVisible(question)) << "the question stayed";
  ASSERT_TRUE(IsWindowVisible(welcome)) << "no goes back to the welcome";

  ASSERT_TRUE(Press(welcome, VK_ESCAPE));
  question = Page(L"Halvane 2023 のセットアップを中止しますか?", nullptr);
  ASSERT_NE(question, nullptr);
  ASSERT_TRUE(Press(question, 'Y', true));
  HWND cancelled = Page(L"セットアップを中止しました", L"setup-cancelled");
  ASSERT_NE(cancelled, nullptr);
  ASSERT_TRUE(Press(cancelled, VK_RETURN));
  EXPECT_EQ(ExitCodeOf(process), 1602u);
  EXPECT_TRUE(Entries().empty());
  EXPECT_FALSE(Exists(kInstallFolder));
}

// An administrator's folder (a Japanese name): files and shortcuts follow
// it, and a repair and a removal that do not name it again act on it.
TEST_F(SetupWindow, AdministratorsFolderIsKeptForRepairAndRemoval) {
  const std::wstring folder = L"C:\\設計ツール\\Halvane 2023";
  ASSERT_EQ(Msiexec(L"/i " + Package(L"HALVANE_MSI") + L" INSTALLFOLDER=\"" + folder + L"\"",
                    L"install-elsewhere"),
            0u);
  EXPECT_EQ(ReadText(folder + L"\\Halvane.dwt"), "Halvane stand-in drawing template\n");
  EXPECT_FALSE(Exists(kInstallFolder));
  const std::vector<Entry> entries = Entries();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].location, folder + L"\\");
  for (const std::wstring& path : {MenuShortcut(), DesktopShortcut()}) {
    const std::optional<Link> link = ReadShortcut(path);
    ASSERT_TRUE(link);
    EXPECT_EQ(_wcsicmp(WithoutClosingBackslash(link->folder).c_str(), folder.c_str()), 0)
        << "Start in";
    EXPECT_EQ(_wcsicmp(link->target.c_str(), (folder + L"\\Halvane2023.exe").c_str()), 0);
  }
  EXPECT_EQ(GuideProblems(folder), L"");
  const std::optional<Link> guide = ReadShortcut(GuideShortcut());
  ASSERT_TRUE(guide);
  EXPECT_EQ(_wcsicmp(guide->target.c_str(), (folder + L"\\Guide\\index.html").c_str()), 0)
      << "the guide follows the folder";

  // Repair, as Apps & Features runs it, without the folder.
  ASSERT_TRUE(DeleteFileW((folder + L"\\Halvane.dwt").c_str()));
  ASSERT_EQ(Msiexec(L"/i " + Package(L"HALVANE_MSI") + L" REINSTALL=ALL REINSTALLMODE=omus",
                    L"repair-elsewhere"),
            0u);
  EXPECT_EQ(ReadText(folder + L"\\Halvane.dwt"), "Halvane stand-in drawing template\n");
  EXPECT_FALSE(Exists(kInstallFolder));

  ASSERT_EQ(Msiexec(L"/x " + Package(L"HALVANE_MSI"), L"remove-elsewhere"), 0u);
  EXPECT_FALSE(Exists(folder)) << "the removal left the administrator's folder";
  EXPECT_TRUE(Entries().empty());
  RemoveTree(L"C:\\設計ツール");
}

}  // namespace
}  // namespace halvane::e2e
