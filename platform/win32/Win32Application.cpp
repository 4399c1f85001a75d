#include "platform/win32/Win32Application.h"

#include <vector>

#include "platform/win32/BenchMarks.h"
#include "platform/win32/ShowCommand.h"
#include "platform/win32/WideText.h"
#include "platform/win32/Win32Process.h"

namespace halvane::win32 {
namespace {

constexpr wchar_t kClassName[] = L"HalvaneApplication";

}  // namespace

Win32Application::Win32Application(HINSTANCE instance) {
  icon_ = LoadIconW(instance, L"MAINICON");
  WNDCLASSEXW wc{};
  wc.hInstance = instance;
  wc.hIcon = icon_;
  wc.lpszClassName = kClassName;
  creation_error_ = WindowBinding<Win32Application>::Register(wc);
  if (creation_error_ != 0)
    return;
  // A window of no size in the middle of the screen: never seen itself, it
  // carries the taskbar button and owns every other window of the launcher.
  const std::wstring title = Wide(kApplicationTitle);
  const HWND created =
      CreateWindowExW(0, kClassName, title.c_str(),
                      WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                      GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                      nullptr, nullptr, instance, this);
  const DWORD error = GetLastError();
  if (!created)
    creation_error_ = ErrorOr(error, ERROR_INVALID_WINDOW_HANDLE);
}

Win32Application::~Win32Application() {
  window_.Reset();
}

LRESULT Win32Application::HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_SYSCOMMAND:
      // The taskbar button restores or minimises the whole launcher.
      if ((wparam & 0xFFF0) == SC_RESTORE) {
        Restore();
        return 0;
      }
      if ((wparam & 0xFFF0) == SC_MINIMIZE) {
        Minimize();
        return 0;
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wparam) != WA_INACTIVE && main_ && IsWindowVisible(main_) && !IsIconic(window)) {
        SetActiveWindow(main_);
        return 0;
      }
      break;
    case WM_CLOSE:
      if (main_)
        PostMessageW(main_, WM_CLOSE, 0, 0);
      return 0;
    case WM_ENDSESSION:
      // The session ends, or Restart Manager closes the program
      // (ENDSESSION_CLOSEAPP) for an installation that replaces its file.
      // Windows may end the process once this returns: ask the loops to
      // stop, and the launch ends at once (WaitResult::kSessionEnding).
      if (wparam && !session_ending_) {
        session_ending_ = true;
        PostQuitMessage(0);
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void Win32Application::Minimize() {
  // Windows hides owned windows with their minimised owner; Wine does not,
  // so hide them explicitly (they remember to come back).
  ShowOwnedPopups(window_.Get(), FALSE);
  ShowWindow(window_.Get(), SW_MINIMIZE);
}

void Win32Application::Restore() {
  ShowWindow(window_.Get(), SW_RESTORE);
  ShowOwnedPopups(window_.Get(), TRUE);
  if (main_ && IsWindowVisible(main_))
    SetForegroundWindow(main_);
}

void Win32Application::ShowApplicationWindow(WindowState state) {
  switch (state) {
    case WindowState::kMinimized:
    case WindowState::kHidden:
      ShowOwnedPopups(window_.Get(), FALSE);
      ShowWindow(window_.Get(), ShowCommand(state));
      break;
    case WindowState::kNormal:
      ShowWindow(window_.Get(), ShowCommand(state));
      ShowOwnedPopups(window_.Get(), TRUE);
      break;
    case WindowState::kShown:
      ShowWindow(window_.Get(), ShowCommand(state));
      break;
  }
}

bool Win32Application::Dispatch(const MSG& msg) {
  if (msg.message == WM_QUIT)
    return false;
  if (main_ && IsDialogMessageW(main_, const_cast<MSG*>(&msg)))
    return true;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

void Win32Application::ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (!Dispatch(msg)) {
      // Leave the request to quit for the event loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
  }
}

WaitResult Win32Application::WaitForProcess(const Process* process, WaitObserver* observer) {
  const HANDLE handle = process ? ProcessHandleOf(*process) : nullptr;
  if (!handle)
    return WaitResult::kFailed;
  // A thread with windows must keep handling messages: broadcasts would
  // stall other programs, and the icon's click must work while AutoCAD runs.
  bench::Record("wait");
  bench::RecordCpu("wait cpu");
  std::vector<HANDLE> handles;
  for (;;) {
    // The process first, then what the observer waits on, as many as one
    // wait takes beside the message queue.
    handles.assign(1, handle);
    if (observer) {
      for (const std::uintptr_t waitable : observer->Waitables()) {
        if (handles.size() == MAXIMUM_WAIT_OBJECTS - 1)
          break;
        handles.push_back(reinterpret_cast<HANDLE>(waitable));
      }
    }
    const DWORD count = static_cast<DWORD>(handles.size());
    const DWORD result = MsgWaitForMultipleObjectsEx(count, handles.data(), INFINITE, QS_ALLINPUT,
                                                     MWMO_INPUTAVAILABLE);
    bench::CountWakeup();
    if (result == WAIT_OBJECT_0) {
      bench::Record("waited");
      bench::RecordCpu("waited cpu");
      return WaitResult::kProcessEnded;
    }
    if (result > WAIT_OBJECT_0 && result < WAIT_OBJECT_0 + count) {
      observer->Signalled(result - WAIT_OBJECT_0 - 1);
      continue;
    }
    if (result != WAIT_OBJECT_0 + count)
      return WaitResult::kFailed;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (!Dispatch(msg)) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return session_ending_ ? WaitResult::kSessionEnding : WaitResult::kQuit;
      }
    }
  }
}

void Win32Application::Terminate() {
  terminating_ = true;
  PostQuitMessage(0);
}

IconHandle Win32Application::Icon() {
  return reinterpret_cast<IconHandle>(icon_);
}

void Win32Application::ShowMessage(std::u16string_view text) {
  const std::wstring body = Wide(text);
  const std::wstring title = Wide(kApplicationTitle);
  MessageBoxW(nullptr, body.c_str(), title.c_str(), MB_OK | MB_TASKMODAL);
}

void Win32Application::ShowError(std::u16string_view message) {
  const std::wstring body = Wide(ErrorReportText(message));
  const std::wstring title = Wide(kApplicationTitle);
  MessageBoxW(nullptr, body.c_str(), title.c_str(), MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

std::u16string Win32Application::FromSystemCodePage(std::string_view text) {
  if (text.empty())
    return {};
  const int size = static_cast<int>(text.size());
  const int length = MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
  if (length <= 0)
    return Application::FromSystemCodePage(text);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text.data(), size, wide.data(), length);
  return Utf16(wide);
}

int Win32Application::Run() {
  // Nothing comes on screen once the session ends.
  if (!session_ending_) {
    ShowWindow(window_.Get(), SW_SHOWNORMAL);
    if (main_ && IsWindow(main_)) {
      ShowWindow(main_, SW_SHOWNORMAL);
      // Painted at once for the user, unless the request to quit is already
      // queued (the launch has ended): then nobody will look at it.
      if (!terminating_)
        UpdateWindow(main_);
    }
  }
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1)
      break;
    Dispatch(msg);
  }
  return 0;
}

}  // namespace halvane::win32
