// What a person sees and does with the main window, the splash and the file
// dialog, driven from outside the launcher's process as a user would.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/win32/Scenario.h"
#include "ui/MainWindow.h"

namespace halvane::e2e {
namespace {

constexpr DWORD kTimeout = 20000;
using ui::kIdButton1;
using ui::kIdButton2;
using ui::kIdButton3;
using ui::kIdEdit4;
using ui::kIdImage1;
using ui::kIdLabel1;
using ui::kIdLabel5;
using ui::kIdPanel1;

std::wstring Text(HWND window) {
  wchar_t buffer[1024] = {};
  SendMessageTimeoutW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(buffer), SMTO_BLOCK, 2000,
                      nullptr);
  return buffer;
}

RECT ClientRectOf(HWND parent, HWND child) {
  RECT r{};
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

HWND Focus(HWND window) {
  GUITHREADINFO info{};
  info.cbSize = sizeof(info);
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
  return info.hwndFocus;
}

// Keys as the launcher's message loop receives them.
void Key(HWND target, UINT vk) {
  PostMessageW(target, WM_KEYDOWN, vk, 1);
  PostMessageW(target, WM_KEYUP, vk, 0xC0000001);
}
void Char(HWND target, wchar_t c) {
  PostMessageW(target, WM_CHAR, c, 1);
}
void AltChar(HWND target, wchar_t c) {
  PostMessageW(target, WM_SYSCHAR, c, 0x20000001);
}

bool Settle(HWND window) {
  DWORD_PTR result = 0;
  Sleep(150);
  return SendMessageTimeoutW(window, WM_NULL, 0, 0, SMTO_BLOCK, 3000, &result) != 0;
}

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    scenario.Start();
    window = scenario.FindWindowOf(L"TForm1", L"Halvane 2023", kTimeout);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(Settle(window));
  }
  HWND Item(int id) const { return GetDlgItem(window, id); }
  bool Running() { return !scenario.WaitForExit(600).has_value(); }

  // The dialog of the AutoCAD search, and its file-name box.
  HWND OpenDialog() {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(kIdButton2, BN_CLICKED),
                 reinterpret_cast<LPARAM>(Item(kIdButton2)));
    return scenario.FindWindowOf(L"#32770", nullptr, kTimeout);
  }
  struct EditSearch {
    std::wstring text;
    HWND found;
  };
  static BOOL CALLBACK MatchEdit(HWND child, LPARAM param) {
    auto& search = *reinterpret_cast<EditSearch*>(param);
    wchar_t cls[32];
    GetClassNameW(child, cls, 32);
    if (_wcsicmp(cls, L"Edit") == 0 && Text(child) == search.text) {
      search.found = child;
      return FALSE;
    }
    return TRUE;
  }
  static HWND EditHolding(HWND dialog, const std::wstring& text) {
    EditSearch search{text, nullptr};
    EnumChildWindows(dialog, &MatchEdit, reinterpret_cast<LPARAM>(&search));
    return search.found;
  }

  Scenario scenario;
  HWND window = nullptr;
};

TEST_F(MainWindowTest, LayoutTextsAndStatesAreAsDesigned) {
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right, 440);
  EXPECT_EQ(client.bottom, 301);
  const LONG style = GetWindowLongW(window, GWL_STYLE);
  EXPECT_TRUE(style & WS_MINIMIZEBOX);
  EXPECT_FALSE(style & WS_MAXIMIZEBOX);
  EXPECT_FALSE(style & WS_THICKFRAME);
  EXPECT_EQ(GetWindow(window, GW_OWNER) != nullptr, true) << "owned by the application window";
  wchar_t owner_title[64] = {};
  GetWindowTextW(GetWindow(window, GW_OWNER), owner_title, 64);
  EXPECT_STREQ(owner_title, L"Halvane2023");

  struct Control {
    int id;
    RECT rect;  // left, top, right, bottom
    const wchar_t* text;
    bool tab_stop;
  } const controls[] = {
      {kIdImage1, {15, 12, 48, 45}, L"", false},
      {kIdButton1, {106, 10, 432, 47}, L"Halvane 2023 を起動 (&R)", true},
      {kIdPanel1, {106, 114, 429, 135}, L"AutoCAD 2023 が見つかりません", false},
      {kIdButton2, {8, 227, 96, 252}, L"AutoCAD検索", true},
      {kIdEdit4, {107, 229, 429, 250}, L"", true},
      {kIdButton3, {296, 265, 432, 290}, L"終了 (&X)", false},
  };
  for (const Control& c : controls) {
    SCOPED_TRACE(c.id);
    const RECT r = ClientRectOf(window, Item(c.id));
    EXPECT_EQ(r.left, c.rect.left);
    EXPECT_EQ(r.top, c.rect.top);
    EXPECT_EQ(r.right, c.rect.right);
    EXPECT_EQ(r.bottom, c.rect.bottom);
    EXPECT_EQ(Text(Item(c.id)), c.text);
    EXPECT_EQ((GetWindowLongW(Item(c.id), GWL_STYLE) & WS_TABSTOP) != 0, c.tab_stop);
    EXPECT_TRUE(IsWindowEnabled(Item(c.id)));
  }
  // The panel's message is one line that fits its 323 pixels (it cuts longer text).
  {
    HWND panel = Item(kIdPanel1);
    HDC dc = GetDC(panel);
    const HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(panel, WM_GETFONT, 0, 0)));
    const std::wstring text = Text(panel);
    SIZE size{};
    ASSERT_TRUE(GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size));
    SelectObject(dc, old);
    ReleaseDC(panel, dc);
    EXPECT_GT(size.cx, 0);
    EXPECT_LE(size.cx, 323);
  }
  // The labels fit their text and keep their right edges.
  EXPECT_EQ(ClientRectOf(window, Item(kIdLabel1)).right, 100);
  EXPECT_EQ(ClientRectOf(window, Item(kIdLabel5)).right, 274);
  EXPECT_EQ(Text(Item(kIdLabel1)), L"メッセージ ：");
  EXPECT_GT(
      ClientRectOf(window, Item(kIdLabel1)).right - ClientRectOf(window, Item(kIdLabel1)).left, 20);
  // Centred on the work area.
  RECT work{}, frame{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(window, &frame);
  EXPECT_NEAR((frame.left + frame.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2, (work.top + work.bottom) / 2, 1);
  SaveScreenshot(L"main-window");
}

TEST_F(MainWindowTest, SplashWasReleasedOnceTheWindowShowed) {
  EXPECT_EQ(FindWindowW(L"TSplash", nullptr), nullptr);
}

TEST_F(MainWindowTest, TabOrderSkipsTheExitButton) {
  EXPECT_EQ(Focus(window), Item(kIdButton1));
  Key(Item(kIdButton1), VK_TAB);
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(Focus(window), Item(kIdEdit4));
  Key(Item(kIdEdit4), VK_TAB);
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(Focus(window), Item(kIdButton2));
  Key(Item(kIdButton2), VK_TAB);
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(Focus(window), Item(kIdButton1));
}

TEST_F(MainWindowTest, LetterAloneTypesIntoThePathField) {
  Key(Item(kIdButton1), VK_TAB);
  ASSERT_TRUE(Settle(window));
  ASSERT_EQ(Focus(window), Item(kIdEdit4));
  Char(Item(kIdEdit4), L'r');
  ASSERT_TRUE(Settle(window));
  EXPECT_EQ(Text(Item(kIdEdit4)), L"r");
  EXPECT_TRUE(Running());
}

TEST_F(MainWindowTest, LetterAloneOnAButtonPressesTheLaunch) {
  Char(Item(kIdButton1), L'r');
  // Nothing was found, so the launch fails with its message and ends.
  HWND box = scenario.FindWindowOf(L"#32770", L"Halvane2023", kTimeout);
  ASSERT_NE(box, nullptr);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(scenario.WaitForExit(kTimeout), 0u);
}

TEST_F(MainWindowTest, EnterAndEscapeOutsideAButtonDoNothing) {
  Key(Item(kIdButton1), VK_TAB);
  ASSERT_TRUE(Settle(window));
  Key(Item(kIdEdit4), VK_RETURN);
  Key(Item(kIdEdit4), VK_ESCAPE);
  ASSERT_TRUE(Settle(window));
  EXPECT_TRUE(Running());
  EXPECT_EQ(scenario.FindWindowOf(L"#32770", nullptr, 300), nullptr);
}

// Real keyboard input, to whatever window has the focus, as a person types.
void Type(const std::vector<WORD>& keys) {
  for (const WORD vk : keys) {
    INPUT input[2] = {};
    input[0].type = INPUT_KEYBOARD;
    input[0].ki.wVk = vk;
    input[1] = input[0];
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
    Sleep(60);
  }
}

bool BringToFront(HWND window) {
  for (int i = 0; i < 40 && GetForegroundWindow() != window; ++i) {
    SetForegroundWindow(window);
    Sleep(50);
  }
  return GetForegroundWindow() == window;
}

struct KeyCase {
  const char* label;
  bool deactivate_first;  // another window takes the activation, then the launcher gets it back
  std::vector<WORD> keys;
  bool launches;
};

void PrintTo(const KeyCase& c, std::ostream* out) {
  *out << c.label;
}

class MainWindowKeys : public MainWindowTest, public ::testing::WithParamInterface<KeyCase> {};

// Nothing was found, so a launch fails with its message and ends the program.
TEST_P(MainWindowKeys, PressTheFocusedButtonAsTheDialogManagerDoes) {
  const KeyCase& c = GetParam();
  ASSERT_TRUE(BringToFront(window));
  if (c.deactivate_first) {
    HWND other = CreateWindowExW(0, L"STATIC", L"another program", WS_POPUP | WS_VISIBLE, 0, 0, 80,
                                 40, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(BringToFront(other));
    ASSERT_TRUE(Settle(window));
    ASSERT_TRUE(BringToFront(window));
    DestroyWindow(other);
  }
  ASSERT_TRUE(Settle(window));
  ASSERT_EQ(Focus(window), Item(kIdButton1));
  Type(c.keys);
  HWND box = scenario.FindWindowOf(L"#32770", L"Halvane2023", c.launches ? kTimeout : 800);
  if (!c.launches) {
    EXPECT_EQ(box, nullptr);
    EXPECT_TRUE(Running());
    return;
  }
  ASSERT_NE(box, nullptr) << "the key did not press the launch button";
  wchar_t text[256] = {};
  GetDlgItemTextW(box, 0xFFFF, text, 256);
  EXPECT_STREQ(text, L"実行できません (2)");
  PostMessageW(box, WM_COMMAND, IDOK, 0);
  EXPECT_EQ(scenario.WaitForExit(kTimeout), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    RealKeyboard,
    MainWindowKeys,
    ::testing::Values(
        KeyCase{"EnterOnTheFirstFocus", false, {VK_RETURN}, true},
        KeyCase{"EnterAfterTabWentRound", false, {VK_TAB, VK_TAB, VK_TAB, VK_RETURN}, true},
        KeyCase{"EnterAfterReactivation", true, {VK_RETURN}, true},
        KeyCase{"Space", false, {VK_SPACE}, true},
        KeyCase{"EscapeDoesNothing", false, {VK_ESCAPE}, false}),
    [](const ::testing::TestParamInfo<KeyCase>& info) { return std::string(info.param.label); });

TEST_F(MainWindowTest, AltXEndsTheProgram) {
  AltChar(Item(kIdButton1), L'x');
  EXPECT_EQ(scenario.WaitForExit(kTimeout), 0u);
}

TEST_F(MainWindowTest, PickThroughTheDialogThenLaunch) {
  const std::wstring folder = L"C:\\Tools\\AutoCAD Pick";
  scenario.PlaceStandIn(folder + L"\\acad.exe");
  WriteText(folder + L"\\setup.exe", "not a program");

  HWND dialog = OpenDialog();
  ASSERT_NE(dialog, nullptr);
  HWND name = EditHolding(dialog, L"acad.exe");
  ASSERT_NE(name, nullptr) << "the file-name box must hold acad.exe at the first opening";
  Sleep(1000);  // let the dialog finish painting
  SaveScreenshot(L"file-dialog");
  SendMessageW(name, WM_SETTEXT, 0, reinterpret_cast<LPARAM>((folder + L"\\setup.exe").c_str()));
  PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  ASSERT_TRUE(Settle(window));
  for (int i = 0; i < 40 && IsWindow(dialog); ++i)
    Sleep(50);

  EXPECT_EQ(Text(Item(kIdEdit4)), folder + L"\\acad.exe");
  EXPECT_FALSE(IsWindowEnabled(Item(kIdButton3)));
  EXPECT_TRUE(IsWindowEnabled(Item(kIdButton2)));
  EXPECT_TRUE(IsWindowEnabled(Item(kIdEdit4)));
  EXPECT_EQ(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath"), folder + L"\\acad.exe");

  // The exit button's access key does nothing while it is disabled.
  AltChar(Item(kIdButton1), L'x');
  ASSERT_TRUE(Settle(window));
  EXPECT_TRUE(Running());

  // The next opening shows the path chosen before.
  dialog = OpenDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_NE(EditHolding(dialog, folder + L"\\setup.exe"), nullptr);
  PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  ASSERT_TRUE(Settle(window));
  for (int i = 0; i < 40 && IsWindow(dialog); ++i)
    Sleep(50);
  EXPECT_EQ(Text(Item(kIdEdit4)), folder + L"\\acad.exe");

  PostMessageW(window, WM_COMMAND, MAKEWPARAM(kIdButton1, BN_CLICKED),
               reinterpret_cast<LPARAM>(Item(kIdButton1)));
  HWND standin = nullptr;
  for (int i = 0; i < 200 && !(standin = FindWindowW(L"HalvaneStandInAcad", nullptr)); ++i)
    Sleep(50);
  ASSERT_NE(standin, nullptr);
  Sleep(300);
  EXPECT_FALSE(IsWindowVisible(window)) << "hidden while AutoCAD runs";
  // A click on the icon brings the window back while AutoCAD still runs.
  SendMessageTimeoutW(window, 1124, 1, WM_LBUTTONDOWN, SMTO_BLOCK, 3000, nullptr);
  ASSERT_TRUE(Settle(window));
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_EQ(Text(Item(kIdEdit4)), folder + L"\\acad.exe");
  // A second press while AutoCAD runs starts nothing.
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(kIdButton1, BN_CLICKED),
               reinterpret_cast<LPARAM>(Item(kIdButton1)));
  ASSERT_TRUE(Settle(window));
  Sleep(500);
  int standins = 0;
  for (HWND w = nullptr; (w = FindWindowExW(nullptr, w, L"HalvaneStandInAcad", nullptr));)
    ++standins;
  EXPECT_EQ(standins, 1);
  // Nor does the search open its dialog then.
  PostMessageW(window, WM_COMMAND, MAKEWPARAM(kIdButton2, BN_CLICKED),
               reinterpret_cast<LPARAM>(Item(kIdButton2)));
  EXPECT_EQ(scenario.FindWindowOf(L"#32770", nullptr, 800), nullptr);
  PostMessageW(standin, WM_CLOSE, 0, 0);
  EXPECT_EQ(scenario.WaitForExit(kTimeout), 0u);
  const std::optional<Record> record = scenario.StandInRecord();
  ASSERT_TRUE(record);
  EXPECT_EQ(record->args, (std::vector<std::wstring>{L"/t", L"Halvane.dwt"}));
  RemoveTree(folder);
}

TEST_F(MainWindowTest, MinimisingGoesToTheApplicationsTaskbarButton) {
  HWND app = GetWindow(window, GW_OWNER);
  PostMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(Settle(window));
  EXPECT_TRUE(IsIconic(app));
  EXPECT_FALSE(IsWindowVisible(window));
  PostMessageW(app, WM_SYSCOMMAND, SC_RESTORE, 0);
  ASSERT_TRUE(Settle(window));
  EXPECT_FALSE(IsIconic(app));
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_FALSE(IsIconic(window));
}

TEST_F(MainWindowTest, CloseBoxEndsTheProgramEvenWithTheExitButtonDisabled) {
  EnableWindow(Item(kIdButton3), FALSE);
  PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(scenario.WaitForExit(kTimeout), 0u);
}

COLORREF ScreenPixel(int x, int y) {
  HDC screen = GetDC(nullptr);
  const COLORREF colour = GetPixel(screen, x, y);
  ReleaseDC(nullptr, screen);
  return colour;
}

// The file dialog unavailable (its DLL disabled, as Wine's overrides can):
// each search reports the failure with its HRESULT, captioned as every
// report, and the window goes on with nothing recorded.
TEST(FileDialog, ThatCannotShowIsReportedEveryTimeAndTheWindowGoesOn) {
  // Wine's own setting, for this program alone, in both registry views.
  const std::wstring overrides = L"Software\\Wine\\AppDefaults\\Halvane2023.exe\\DllOverrides";
  struct DropOverrides {
    const std::wstring& key;
    ~DropOverrides() {
      for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
        RegDelete(HKEY_CURRENT_USER, key, view);
    }
  } drop{overrides};
  for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY})
    RegWrite(HKEY_CURRENT_USER, overrides, L"comdlg32", L"disabled", view);
  Scenario scenario;
  scenario.Start();
  HWND window = scenario.FindWindowOf(L"TForm1", L"Halvane 2023", kTimeout);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(Settle(window));

  for (int search = 0; search < 2; ++search) {
    PostMessageW(window, WM_COMMAND, MAKEWPARAM(kIdButton2, BN_CLICKED),
                 reinterpret_cast<LPARAM>(GetDlgItem(window, kIdButton2)));
    HWND box = scenario.FindWindowOf(L"#32770", L"Halvane2023", kTimeout);
    ASSERT_NE(box, nullptr) << "the failed search said nothing";
    wchar_t text[256] = {};
    GetDlgItemTextW(box, 0xFFFF, text, 256);
    const std::wstring said = text;
    const std::wstring start = L"ファイルの選択画面を開けません (0x";
    ASSERT_TRUE(said.starts_with(start)) << "search " << search;
    const std::wstring code = said.substr(start.size());
    EXPECT_EQ(code.size(), 9u);
    EXPECT_EQ(code.find_first_not_of(L"0123456789ABCDEF"), 8u) << "eight upper-case hex digits";
    EXPECT_TRUE(code.ends_with(L")"));
    EXPECT_NE(code, L"00000000)");
    if (search == 0) {
      Sleep(300);
      SaveScreenshot(L"file-dialog-unavailable");
    }
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(Settle(window));
  }
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_FALSE(scenario.WaitForExit(300).has_value()) << "the window goes on";
  EXPECT_EQ(Text(GetDlgItem(window, kIdEdit4)), L"");
  EXPECT_FALSE(RegRead(HKEY_CURRENT_USER, kLauncherKey, L"AcadPath"));
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(scenario.WaitForExit(kTimeout), 0u);
}

TEST(Splash, IsShownCentredOnTheDesktopWhileTheLauncherStarts) {
  const int left =
      GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN) / 2 - 170;
  const int top =
      GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN) / 2 - 90;
  // The desktop where the picture will be, before the launcher starts.
  const COLORREF desktop = ScreenPixel(left + 10, top + 10);
  Scenario scenario;
  scenario.Start();
  HWND splash = scenario.FindWindowOf(L"TSplash", nullptr, kTimeout);
  ASSERT_NE(splash, nullptr);
  RECT r{};
  GetWindowRect(splash, &r);
  EXPECT_EQ(r.right - r.left, 340);
  EXPECT_EQ(r.bottom - r.top, 180);
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_FALSE(GetWindowLongW(splash, GWL_STYLE) & WS_CAPTION);
  EXPECT_FALSE(GetWindowLongW(splash, GWL_EXSTYLE) & WS_EX_TOPMOST);
  wchar_t owner_title[64] = {};
  GetWindowTextW(GetWindow(splash, GW_OWNER), owner_title, 64);
  EXPECT_STREQ(owner_title, L"Halvane2023");
  // The picture is on the screen during the pause (the window can be found a
  // moment before its repaint).
  const DWORD shown = GetTickCount();
  while (ScreenPixel(left + 10, top + 10) == desktop && GetTickCount() - shown < 700)
    Sleep(20);
  EXPECT_NE(ScreenPixel(left + 10, top + 10), desktop) << "the splash picture never showed";
  SaveScreenshot(L"splash");
  HWND window = scenario.FindWindowOf(L"TForm1", L"Halvane 2023", kTimeout);
  ASSERT_NE(window, nullptr);
  ASSERT_TRUE(Settle(window));
  EXPECT_FALSE(IsWindow(splash));
  PostMessageW(window, WM_CLOSE, 0, 0);
  EXPECT_EQ(scenario.WaitForExit(kTimeout), 0u);
}

}  // namespace
}  // namespace halvane::e2e
