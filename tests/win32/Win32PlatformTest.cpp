// The Win32 operations that have no fake twin: folders, the command line,
// starting and waiting for a program, the notification icon, and what the
// fake's Microsoft-style parsing must agree with.
#include <windows.h>

#include <gtest/gtest.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <vector>

#include "HalvaneVersion.h"
#include "launcher/ParameterText.h"
#include "platform/win32/Handles.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Application.h"
#include "platform/win32/Win32Files.h"
#include "platform/win32/Win32Shell.h"
#include "platform/win32/WindowBinding.h"
#include "tests/fakes/MicrosoftArgs.h"
#include "tests/win32/TestFiles.h"
#include "ui/OpenDialog.h"

namespace halvane::win32 {
namespace {

int timer_calls = 0;
void CALLBACK CountTimer(HWND, UINT, UINT_PTR, DWORD) {
  ++timer_calls;
}

class CurrentDirectoryGuard {
 public:
  CurrentDirectoryGuard() : saved_(Win32FileSystem().CurrentDirectory()) {}
  ~CurrentDirectoryGuard() { SetCurrentDirectoryW(Wide(saved_).c_str()); }

 private:
  std::u16string saved_;
};

TEST(Win32Folders, CurrentDirectoryKeepsTheBackslashOnlyAtARoot) {
  CurrentDirectoryGuard guard;
  Win32FileSystem files;
  ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\"));
  EXPECT_EQ(files.CurrentDirectory(), u"C:\\");
  ASSERT_TRUE(SetCurrentDirectoryW(L"C:\\windows\\"));
  EXPECT_EQ(files.CurrentDirectory(), u"C:\\windows");
}

TEST(Win32Folders, LongCurrentDirectoryComesBackWhole) {
  CurrentDirectoryGuard guard;
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  std::wstring path = std::wstring(L"\\\\?\\") + temp + L"halvane-long";
  CreateDirectoryW(path.c_str(), nullptr);
  for (int i = 0; i < 12; ++i) {
    path += L"\\" + std::wstring(30, static_cast<wchar_t>(L'a' + i));
    CreateDirectoryW(path.c_str(), nullptr);
  }
  if (!SetCurrentDirectoryW(path.c_str()))
    GTEST_SKIP() << "no current folder beyond MAX_PATH here";
  const std::u16string current = Win32FileSystem().CurrentDirectory();
  EXPECT_GT(current.size(), 300u);
  EXPECT_TRUE(current.ends_with(Utf16(std::wstring(30, L'l'))));
}

TEST(Win32Folders, AppDataIsAnExistingFolderWithoutTrailingBackslash) {
  const std::u16string app_data = Win32FileSystem().SpecialFolderPath(CSIDL_APPDATA);
  ASSERT_FALSE(app_data.empty());
  EXPECT_NE(app_data.back(), u'\\');
  const DWORD attributes = GetFileAttributesW(Wide(app_data).c_str());
  ASSERT_NE(attributes, INVALID_FILE_ATTRIBUTES);
  EXPECT_TRUE(attributes & FILE_ATTRIBUTE_DIRECTORY);
  wchar_t expected[MAX_PATH];
  ASSERT_EQ(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, expected), S_OK);
  EXPECT_EQ(app_data, Utf16(expected));
}

// Wine follows the links of the host's file system; the test's set-up makes
// them (HALVANE_LINKS), since Wine cannot make links itself.
TEST(Win32Files, FileExistsFollowsHostLinks) {
  wchar_t folder[MAX_PATH];
  if (!GetEnvironmentVariableW(L"HALVANE_LINKS", folder, MAX_PATH)) {
    GTEST_SKIP() << "no host links prepared";
  }
  Win32FileSystem files;
  const std::u16string base = Utf16(folder);
  EXPECT_TRUE(files.FileExists(base + u"\\target.exe"));
  EXPECT_TRUE(files.FileExists(base + u"\\to file.exe"));
  EXPECT_FALSE(files.FileExists(base + u"\\to folder"));
  EXPECT_FALSE(files.FileExists(base + u"\\dangling.exe"));
}

TEST(Win32Folders, UnresolvableSpecialFolderIsEmpty) {
  EXPECT_EQ(Win32FileSystem().SpecialFolderPath(0x7F), u"");
}

// A child started with a raw command line, quotes, doubled spaces,
// backslashes and text outside ASCII as they are, reports that line
// exactly: not split, not rebuilt from its arguments.
TEST(Win32CommandLine, IsTheProcesssOwnRawLine) {
  const std::wstring child = test::BesideThisProgram(L"command-line-child.exe");
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring out = std::wstring(temp) + L"halvane-command-line.txt";
  DeleteFileW(out.c_str());
  SetEnvironmentVariableW(L"HALVANE_CHILD_OUT", out.c_str());
  std::wstring line =
      L"\"" + child + L"\"  \"C:\\My Drawings\\\" x\"\"y  \\\\server\\図面.dwg\t/p \"a b\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  ASSERT_TRUE(CreateProcessW(child.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                             nullptr, &si, &pi));
  UniqueHandle process(pi.hProcess);
  UniqueHandle thread(pi.hThread);
  ASSERT_EQ(WaitForSingleObject(process.Get(), 20000), WAIT_OBJECT_0);
  DWORD code = 1;
  GetExitCodeProcess(process.Get(), &code);
  SetEnvironmentVariableW(L"HALVANE_CHILD_OUT", nullptr);
  ASSERT_EQ(code, 0u);
  UniqueFile file(CreateFileW(out.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(file);
  std::wstring reported(line.size() + 16, L'\0');
  DWORD read = 0;
  ReadFile(file.Get(), reported.data(), static_cast<DWORD>(reported.size() * sizeof(wchar_t)),
           &read, nullptr);
  file.Reset();
  DeleteFileW(out.c_str());
  reported.resize(read / sizeof(wchar_t));
  EXPECT_EQ(reported, std::wstring(line.c_str()));
}

// The fake parser that the native tests use must split as Windows does.
TEST(Win32CommandLine, MicrosoftSplittingAgreesWithWindows) {
  const std::u16string parameter_texts[] = {
      BuildParameterText(u"L \"D:\\Drawings\\\" \"C:\\Program Files\\x.dwg\" plain"),
      BuildParameterText(u"L \\\\\\ a\\b\\ \"\\\\ \\\\\""),
      BuildParameterText(u"L \"図面\\平面図.dwg\""),
      u" a\\\\\\\"b \"c d\" e\\\\\"f g\"",
  };
  for (const std::u16string& text : parameter_texts) {
    int argc = 0;
    LPWSTR* argv = CommandLineToArgvW(Wide(u"prog.exe" + text).c_str(), &argc);
    ASSERT_NE(argv, nullptr);
    std::vector<std::u16string> windows;
    for (int i = 1; i < argc; ++i)
      windows.push_back(Utf16(argv[i]));
    LocalFree(argv);
    EXPECT_EQ(test::MicrosoftSplit(text), windows);
  }
}

// The error comes with the result, read where the start failed: a last
// error left from an earlier call (the sentinel) must not come back.
TEST(Win32Shell, FailedStartsGiveTheirErrorWithTheResult) {
  struct Case {
    std::u16string file;
    DWORD error;
  } const cases[] = {
      {u"", ERROR_FILE_NOT_FOUND},
      {u"C:\\no such folder\\acad.exe", ERROR_PATH_NOT_FOUND},
      {u"C:\\windows\\no such acad.exe", ERROR_FILE_NOT_FOUND},
  };
  constexpr DWORD kSentinel = 0x0BADF00D;
  Win32Shell shell;
  Win32Application app(GetModuleHandleW(nullptr));
  for (const Case& c : cases) {
    SetLastError(kSentinel);
    const StartResult result =
        shell.Execute({0, u"open", c.file, kDefaultParameters, WindowState::kShown, u""});
    // Windows says "path not found" where Wine says "file not found".
    if (c.error == ERROR_PATH_NOT_FOUND) {
      EXPECT_TRUE(result.error == ERROR_PATH_NOT_FOUND || result.error == ERROR_FILE_NOT_FOUND)
          << result.error;
    } else {
      EXPECT_EQ(result.error, c.error);
    }
    EXPECT_EQ(result.info.process, nullptr);
    EXPECT_EQ(app.WaitForProcess(result.info.process.get(), nullptr), WaitResult::kFailed);
  }
}

// The started program is waited for, and runs in the folder it was given
// (the installation folder, where AutoCAD finds the add-on's template).
TEST(Win32Shell, StartedProgramRunsInItsFolderAndIsWaitedFor) {
  SetEnvironmentVariableW(L"HALVANE_STANDIN_SECONDS", L"0.3");
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  const std::wstring record = std::wstring(temp) + L"halvane-shell-record.txt";
  SetEnvironmentVariableW(L"HALVANE_STANDIN_RECORD", record.c_str());
  Win32Shell shell;
  Win32Application app(GetModuleHandleW(nullptr));
  const std::u16string file = Utf16(test::BesideThisProgram(L"acad.exe"));
  std::wstring folder = temp;
  folder.pop_back();
  wchar_t ours[MAX_PATH + 1] = {};
  GetCurrentDirectoryW(MAX_PATH + 1, ours);
  // Without the folder given, the program would run in this one.
  ASSERT_NE(std::wstring(ours), folder);
  SetLastError(0x0BADF00D);
  const StartResult result =
      shell.Execute({0, u"open", file, u" \"a b\" c", WindowState::kShown, Utf16(folder)});
  ASSERT_EQ(result.error, 0u);
  ASSERT_NE(result.info.process, nullptr);
  EXPECT_NE(GetProcessId(ProcessHandleOf(*result.info.process)), 0u) << "a process's own handle";
  const DWORD started = GetTickCount();
  EXPECT_EQ(app.WaitForProcess(result.info.process.get(), nullptr), WaitResult::kProcessEnded);
  EXPECT_GE(GetTickCount() - started, 200u);
  DWORD code = 1;
  GetExitCodeProcess(ProcessHandleOf(*result.info.process), &code);
  EXPECT_EQ(code, 0u);
  HANDLE file_handle = CreateFileW(record.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                   OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(file_handle, INVALID_HANDLE_VALUE);
  std::wstring text(GetFileSize(file_handle, nullptr) / 2, L'\0');
  DWORD read = 0;
  ReadFile(file_handle, text.data(), static_cast<DWORD>(text.size() * 2), &read, nullptr);
  CloseHandle(file_handle);
  EXPECT_NE(text.find(L"\ncwd=" + folder + L"\n"), std::wstring::npos) << "the working folder";
  SetEnvironmentVariableW(L"HALVANE_STANDIN_SECONDS", nullptr);
  SetEnvironmentVariableW(L"HALVANE_STANDIN_RECORD", nullptr);
  DeleteFileW(record.c_str());
}

// Only the event loop ends the program: a nested loop that takes the
// request to quit posts it again.
bool QuitIsPending() {
  MSG msg;
  return PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE) && msg.message == WM_QUIT && msg.wParam == 7;
}

TEST(Win32Application, QuitRequestEndsTheWaitIsPostedAgainAndTheProgramRunsOn) {
  SetEnvironmentVariableW(L"HALVANE_STANDIN_SECONDS", L"5");
  Win32Shell shell;
  Win32Application app(GetModuleHandleW(nullptr));
  const StartResult result = shell.Execute(
      {0, u"open", Utf16(test::BesideThisProgram(L"acad.exe")), u"", WindowState::kShown, u""});
  ASSERT_NE(result.info.process, nullptr);
  PostQuitMessage(7);
  EXPECT_EQ(app.WaitForProcess(result.info.process.get(), nullptr), WaitResult::kQuit);
  EXPECT_TRUE(QuitIsPending());
  const HANDLE process = ProcessHandleOf(*result.info.process);
  EXPECT_EQ(WaitForSingleObject(process, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  TerminateProcess(process, 0);
  SetEnvironmentVariableW(L"HALVANE_STANDIN_SECONDS", nullptr);
}

TEST(Win32Application, ProcessingPendingMessagesPostsTheQuitRequestAgain) {
  Win32Application app(GetModuleHandleW(nullptr));
  PostQuitMessage(7);
  app.ProcessMessages();
  EXPECT_TRUE(QuitIsPending());
  app.ProcessMessages();
  EXPECT_FALSE(QuitIsPending()) << "the control: nothing is left once it was taken";
}

TEST(Win32Application, MessagesAreHandledWhileWaiting) {
  SetEnvironmentVariableW(L"HALVANE_STANDIN_SECONDS", L"0.5");
  Win32Shell shell;
  Win32Application app(GetModuleHandleW(nullptr));
  const StartResult result = shell.Execute(
      {0, u"open", Utf16(test::BesideThisProgram(L"acad.exe")), u"", WindowState::kShown, u""});
  timer_calls = 0;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, &CountTimer);
  EXPECT_EQ(app.WaitForProcess(result.info.process.get(), nullptr), WaitResult::kProcessEnded);
  KillTimer(nullptr, timer);
  EXPECT_GE(timer_calls, 3);
  SetEnvironmentVariableW(L"HALVANE_STANDIN_SECONDS", nullptr);
}

// A window finds its object from its creation on, and lets go when it is
// destroyed, whoever destroys it; the class is registered once and reused.
TEST(WindowBinding, BindsFromCreationUntilTheWindowIsGone) {
  auto app = std::make_unique<Win32Application>(GetModuleHandleW(nullptr));
  const HWND window = app->Window();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(GetWindowLongPtrW(window, GWLP_USERDATA), reinterpret_cast<LONG_PTR>(app.get()));
  DestroyWindow(window);
  EXPECT_EQ(app->Window(), nullptr) << "the object still points at a destroyed window";
  app.reset();
  Win32Application second(GetModuleHandleW(nullptr));
  EXPECT_NE(second.Window(), nullptr);
  EXPECT_TRUE(IsWindow(second.Window()));
}

// Closing a handle leaves the thread's last error as it was, so an error
// read after a scope that closed handles is still the one that was set.
TEST(Handles, ClosingKeepsTheLastError) {
  constexpr DWORD kSentinel = 0x0BADF00D;
  const HANDLE no_handle = reinterpret_cast<HANDLE>(static_cast<INT_PTR>(0x7FFF0));
  // The control: closing what is no handle sets an error of its own.
  SetLastError(kSentinel);
  CloseHandle(no_handle);
  ASSERT_NE(GetLastError(), kSentinel);
  {
    UniqueHandle event(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    ASSERT_TRUE(event);
    UniqueHKey key;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, L"Software", 0, KEY_READ, key.Put()), ERROR_SUCCESS);
    UniqueHandle failing_close(no_handle);
    SetLastError(kSentinel);
  }
  EXPECT_EQ(GetLastError(), kSentinel);
}

// An application that records the errors it is asked to show.
class RecordingApplication : public Application {
 public:
  void ShowApplicationWindow(WindowState) override {}
  void ProcessMessages() override {}
  WaitResult WaitForProcess(const Process*, WaitObserver*) override { return WaitResult::kFailed; }
  void Terminate() override {}
  IconHandle Icon() override { return 0; }
  void ShowMessage(std::u16string_view) override {}
  void ShowError(std::u16string_view message) override { errors.emplace_back(message); }
  std::vector<std::u16string> errors;
};

// A window whose handlers throw, as a handler of the launcher may.
class ThrowingWindow {
 public:
  explicit ThrowingWindow(Application& reports) : reports_(reports) {
    WNDCLASSEXW wc{};
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"HalvaneThrowingWindow";
    registered_ = WindowBinding<ThrowingWindow>::Register(wc);
    CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, wc.hInstance,
                    this);
  }
  HWND Get() const { return window_.Get(); }
  DWORD registered_ = ~0u;
  int handled = 0;

 private:
  friend class WindowBinding<ThrowingWindow>;
  void Bind(HWND window) { window_.Reset(window); }
  void Unbind() { window_.Release(); }
  Application& Reports() { return reports_; }
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_APP) {
      ++handled;
      throw ERegistryException(u"'AcadPath' の設定に失敗しました");
    }
    if (message == WM_APP + 1) {
      ++handled;
      throw std::runtime_error("out of luck");
    }
    if (message == WM_APP + 2) {
      ++handled;
      throw 42;  // says nothing of itself
    }
    if (message == WM_APP + 3) {
      ++handled;
      throw std::runtime_error("\x83\x65\x83\x58\x83\x67");  // Shift-JIS bytes
    }
    return DefWindowProcW(window, message, wparam, lparam);
  }

  Application& reports_;
  UniqueWindow window_;
};

// The window procedure is where exceptions stop: a handler's error is
// reported as every error is, the message counts as handled, and the
// window goes on.
TEST(WindowBinding, HandlersErrorIsReportedAndGoesNoFurther) {
  RecordingApplication app;
  ThrowingWindow window(app);
  ASSERT_EQ(window.registered_, 0u);
  ASSERT_NE(window.Get(), nullptr);
  EXPECT_EQ(SendMessageW(window.Get(), WM_APP, 0, 0), 0);
  EXPECT_EQ(SendMessageW(window.Get(), WM_APP + 1, 0, 0), 0);
  EXPECT_EQ(SendMessageW(window.Get(), WM_APP + 2, 0, 0), 0);
  EXPECT_EQ(window.handled, 3);
  EXPECT_EQ(app.errors,
            (std::vector<std::u16string>{u"'AcadPath' の設定に失敗しました", u"out of luck",
                                         std::u16string(kUnexpectedError)}));
  EXPECT_TRUE(IsWindow(window.Get()));
}

// A runtime error's text is in the system's code page, and is reported as
// that code page reads it, not byte by byte.
TEST(WindowBinding, HandlersErrorTextIsReadInTheSystemsCodePage) {
  Win32Application reports(GetModuleHandleW(nullptr));
  const std::u16string expected = GetACP() == 932 ? u"テスト" : GetACP() == 1252 ? u"ƒeƒXƒg" : u"";
  if (expected.empty())
    GTEST_SKIP() << "a system code page without a known reading of the bytes: " << GetACP();
  EXPECT_EQ(reports.FromSystemCodePage("\x83\x65\x83\x58\x83\x67"), expected);
  EXPECT_EQ(reports.FromSystemCodePage(""), u"");
}

// A class that cannot be registered says why, with the system's error.
class NamelessWindow {
 private:
  friend class WindowBinding<NamelessWindow>;
  void Bind(HWND) {}
  void Unbind() {}
  Application& Reports() { return app_; }
  LRESULT HandleMessage(HWND, UINT, WPARAM, LPARAM) { return 0; }
  RecordingApplication app_;
};

TEST(WindowBinding, ClassThatCannotBeRegisteredGivesTheError) {
  WNDCLASSEXW wc{};
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"HalvaneNegativeExtra";
  wc.cbClsExtra = -1;  // no room of that size: refused
  EXPECT_NE(WindowBinding<NamelessWindow>::Register(wc), 0u);
}

// COM that did not start on the thread: the dialog gives that failure back
// without trying to show.
TEST(OpenDialog, FailedComStartIsTheDialogsFailure) {
  ui::TOpenDialog dialog(RPC_E_CHANGED_MODE);
  const OpenDialogResult result = dialog.Execute(nullptr);
  EXPECT_FALSE(result.path);
  EXPECT_EQ(result.failure, static_cast<std::uint32_t>(RPC_E_CHANGED_MODE));
}

NotifyIconData LaunchersIcon(HWND window) {
  return {reinterpret_cast<WindowHandle>(window),
          1,
          kNifMessage | kNifIcon | kNifTip,
          1124,
          reinterpret_cast<IconHandle>(LoadIconW(nullptr, IDI_APPLICATION)),
          u"Halvane2023 実行中"};
}

TEST(Win32Shell, NotificationIconIsAddedAndRemovedOnce) {
  HWND window = CreateWindowW(L"STATIC", L"icon owner", 0, 0, 0, 0, 0, nullptr, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
  ASSERT_NE(window, nullptr);
  const NotifyIconData icon = LaunchersIcon(window);
  Win32Shell shell;
  EXPECT_TRUE(shell.ShowIcon(icon));
  EXPECT_TRUE(shell.RemoveIcon(icon));
  EXPECT_FALSE(shell.RemoveIcon(icon));
  DestroyWindow(window);
}

// What the shell gives the system, recorded in place of Shell_NotifyIconW.
struct IconCall {
  DWORD message;
  NOTIFYICONDATAW data;
};
std::vector<IconCall> icon_calls;
BOOL WINAPI RecordIconCall(DWORD message, PNOTIFYICONDATAW data) {
  icon_calls.push_back({message, *data});
  return TRUE;
}

TEST(Win32Shell, SystemRecordIsTheFullOneWithTheLaunchersValues) {
  icon_calls.clear();
  Win32Shell shell(&RecordIconCall);
  HWND window = reinterpret_cast<HWND>(0x1010);
  ASSERT_TRUE(shell.ShowIcon(LaunchersIcon(window)));
  ASSERT_EQ(icon_calls.size(), 1u);
  const NOTIFYICONDATAW& added = icon_calls[0].data;
  EXPECT_EQ(icon_calls[0].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_EQ(added.cbSize, sizeof(NOTIFYICONDATAW));
#if !defined(_WIN64)
  EXPECT_EQ(added.cbSize, 956u);
#endif
  EXPECT_EQ(added.hWnd, window);
  EXPECT_EQ(added.uID, 1u);
  EXPECT_EQ(added.uFlags, static_cast<UINT>(NIF_MESSAGE | NIF_ICON | NIF_TIP));
  EXPECT_EQ(added.uCallbackMessage, 1124u);
  EXPECT_EQ(added.hIcon, LoadIconW(nullptr, IDI_APPLICATION));
  EXPECT_STREQ(added.szTip, L"Halvane2023 実行中");
  // The rest of the tip's field, and the fields the launcher does not set, are zero.
  for (std::size_t i = std::wcslen(L"Halvane2023 実行中"); i < std::size(added.szTip); ++i)
    EXPECT_EQ(added.szTip[i], L'\0') << i;
  EXPECT_EQ(added.dwState, 0u);
  EXPECT_EQ(added.szInfo[0], L'\0');
  EXPECT_EQ(added.hBalloonIcon, nullptr);

  // A tip longer than its field is cut, and ends within it.
  NotifyIconData long_tip = LaunchersIcon(window);
  long_tip.tip = std::u16string(200, u'x');
  Win32Shell other(&RecordIconCall);
  ASSERT_TRUE(other.ShowIcon(long_tip));
  EXPECT_EQ(std::wcslen(icon_calls.back().data.szTip), std::size(added.szTip) - 1);
}

// A re-created taskbar gets the icon again while it is shown, and never
// once it was removed: at the end of the launch, or clicked away.
TEST(Win32Shell, ReCreatedTaskbarGetsTheIconOnlyWhileItIsShown) {
  const auto adds = [] {
    return std::count_if(icon_calls.begin(), icon_calls.end(),
                         [](const IconCall& c) { return c.message == NIM_ADD; });
  };
  HWND window = reinterpret_cast<HWND>(0x1010);
  icon_calls.clear();
  Win32Shell shell(&RecordIconCall);
  shell.TaskbarCreated();
  EXPECT_TRUE(icon_calls.empty()) << "no icon before one is shown";
  ASSERT_TRUE(shell.ShowIcon(LaunchersIcon(window)));
  shell.TaskbarCreated();
  ASSERT_EQ(adds(), 2);
  EXPECT_STREQ(icon_calls.back().data.szTip, L"Halvane2023 実行中");
  EXPECT_EQ(icon_calls.back().data.hWnd, window);
  ASSERT_TRUE(shell.RemoveIcon(LaunchersIcon(window)));
  shell.TaskbarCreated();
  EXPECT_EQ(adds(), 2) << "an icon removed stays away";
}

// Started before the taskbar exists (at logon, while Explorer restarts),
// the first add fails: the icon is still wanted, and comes with the taskbar.
BOOL WINAPI RecordIconCallWithoutTaskbar(DWORD message, PNOTIFYICONDATAW data) {
  icon_calls.push_back({message, *data});
  return FALSE;
}

TEST(Win32Shell, IconWhoseFirstAddFailedComesWithTheTaskbar) {
  HWND window = reinterpret_cast<HWND>(0x1010);
  icon_calls.clear();
  Win32Shell shell(&RecordIconCallWithoutTaskbar);
  EXPECT_FALSE(shell.ShowIcon(LaunchersIcon(window))) << "no taskbar yet";
  shell.TaskbarCreated();
  ASSERT_EQ(icon_calls.size(), 2u);
  EXPECT_EQ(icon_calls[1].message, static_cast<DWORD>(NIM_ADD));
  EXPECT_STREQ(icon_calls[1].data.szTip, L"Halvane2023 実行中");
  EXPECT_EQ(icon_calls[1].data.hWnd, window);
  shell.RemoveIcon(LaunchersIcon(window));
  const std::size_t calls = icon_calls.size();
  shell.TaskbarCreated();
  EXPECT_EQ(icon_calls.size(), calls) << "an icon removed stays away";
}

}  // namespace
}  // namespace halvane::win32

namespace halvane::win32 {
namespace {

TEST(ProgramFile, VersionRecordIsJapaneseWithTheBuildsVersion) {
  const std::wstring exe = test::BesideThisProgram(L"Halvane2023.exe");
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(exe.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<std::uint8_t> data(size);
  ASSERT_TRUE(GetFileVersionInfoW(exe.c_str(), 0, size, data.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
  constexpr DWORD kMs = (HALVANE_VERSION_MAJOR << 16) | HALVANE_VERSION_MINOR;
  constexpr DWORD kLs = (HALVANE_VERSION_PATCH << 16) | HALVANE_VERSION_TWEAK;
  EXPECT_EQ(fixed->dwFileVersionMS, kMs);
  EXPECT_EQ(fixed->dwFileVersionLS, kLs);
  EXPECT_EQ(fixed->dwProductVersionMS, kMs);
  EXPECT_EQ(fixed->dwProductVersionLS, kLs);
  WORD* translation = nullptr;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\VarFileInfo\\Translation",
                             reinterpret_cast<void**>(&translation), &length));
  EXPECT_EQ(translation[0], 0x0411);
  EXPECT_EQ(translation[1], 932);
  wchar_t* product = nullptr;
  ASSERT_TRUE(VerQueryValueW(data.data(), L"\\StringFileInfo\\041103A4\\ProductName",
                             reinterpret_cast<void**>(&product), &length));
  EXPECT_STREQ(product, L"Halvane2023");
  for (const wchar_t* name : {L"FileVersion", L"ProductVersion"}) {
    wchar_t* text = nullptr;
    ASSERT_TRUE(VerQueryValueW(data.data(),
                               (std::wstring(L"\\StringFileInfo\\041103A4\\") + name).c_str(),
                               reinterpret_cast<void**>(&text), &length));
    EXPECT_STREQ(text, L"" HALVANE_VERSION_TEXT) << name;
  }
}

TEST(ProgramFile, CarriesIconSplashAndManifest) {
  HMODULE exe = LoadLibraryExW(test::BesideThisProgram(L"Halvane2023.exe").c_str(), nullptr,
                               LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(exe, nullptr);
  EXPECT_NE(FindResourceW(exe, L"MAINICON", RT_GROUP_ICON), nullptr);
  HRSRC splash = FindResourceW(exe, L"SPLASH", RT_BITMAP);
  ASSERT_NE(splash, nullptr);
  const auto* header =
      static_cast<const BITMAPINFOHEADER*>(LockResource(LoadResource(exe, splash)));
  EXPECT_EQ(header->biWidth, 340);
  EXPECT_EQ(header->biHeight, 180);
  EXPECT_EQ(header->biBitCount, 8);
  HRSRC manifest = FindResourceW(exe, MAKEINTRESOURCEW(1), RT_MANIFEST);
  ASSERT_NE(manifest, nullptr);
  const std::string text(static_cast<const char*>(LockResource(LoadResource(exe, manifest))),
                         SizeofResource(exe, manifest));
  EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(text.find("level=\"asInvoker\""), std::string::npos);
  EXPECT_EQ(text.find("dpiAware"), std::string::npos);
  // Windows 10 and 11; long paths; the system's GDI scaling.
  EXPECT_NE(text.find("<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>"),
            std::string::npos);
  EXPECT_NE(text.find(">true</longPathAware>"), std::string::npos);
  EXPECT_NE(text.find(">true</gdiScaling>"), std::string::npos);
  EXPECT_NE(text.find("name=\"Fenwright.Halvane2023\" version=\"" HALVANE_VERSION_TEXT "\""),
            std::string::npos);
  FreeLibrary(exe);
}

}  // namespace
}  // namespace halvane::win32
