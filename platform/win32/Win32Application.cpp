#include "platform/win32/Win32Application.h"

#include "platform/win32/WideText.h"

namespace halvane::win32 {
namespace {

constexpr wchar_t kClassName[] = L"HalvaneApplication";

}  // namespace

Win32Application::Win32Application(HINSTANCE instance) : instance_(instance) {
  icon_ = LoadIconW(instance, L"MAINICON");
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &Win32Application::WindowProc;
  wc.hInstance = instance;
  wc.hIcon = icon_;
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);
  // A window of no size in the middle of the screen: never seen itself, it
  // carries the taskbar button and owns every other window of the launcher.
  const std::wstring title = Wide(kApplicationTitle);
  window_.Reset(
      CreateWindowExW(0, kClassName, title.c_str(),
                      WS_POPUP | WS_CAPTION | WS_CLIPSIBLINGS | WS_SYSMENU | WS_MINIMIZEBOX,
                      GetSystemMetrics(SM_CXSCREEN) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 0, 0,
                      nullptr, nullptr, instance, this));
  SetWindowLongPtrW(window_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Application::~Win32Application() = default;

LRESULT CALLBACK Win32Application::WindowProc(HWND window,
                                              UINT message,
                                              WPARAM wparam,
                                              LPARAM lparam) {
  auto* self = reinterpret_cast<Win32Application*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self) {
    switch (message) {
      case WM_SYSCOMMAND:
        // The taskbar button restores or minimises the whole launcher.
        if ((wparam & 0xFFF0) == SC_RESTORE) {
          self->Restore();
          return 0;
        }
        if ((wparam & 0xFFF0) == SC_MINIMIZE) {
          self->Minimize();
          return 0;
        }
        break;
      case WM_ACTIVATE:
        if (LOWORD(wparam) != WA_INACTIVE && self->main_ && IsWindowVisible(self->main_) &&
            !IsIconic(window)) {
          SetActiveWindow(self->main_);
          return 0;
        }
        break;
      case WM_CLOSE:
        if (self->main_)
          PostMessageW(self->main_, WM_CLOSE, 0, 0);
        return 0;
      default:
        break;
    }
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

void Win32Application::ShowApplicationWindow(int command) {
  switch (command) {
    case SW_SHOWMINIMIZED:
    case SW_HIDE:
      ShowOwnedPopups(window_.Get(), FALSE);
      ShowWindow(window_.Get(), command);
      break;
    case SW_SHOWNORMAL:
      ShowWindow(window_.Get(), SW_SHOWNORMAL);
      ShowOwnedPopups(window_.Get(), TRUE);
      break;
    default:
      ShowWindow(window_.Get(), command);
      break;
  }
}

bool Win32Application::HandleMessage(const MSG& msg) {
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
    if (!HandleMessage(msg)) {
      // Leave the request to quit for the event loop.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
  }
}

void Win32Application::Terminate() {
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

int Win32Application::Run() {
  ShowWindow(window_.Get(), SW_SHOWNORMAL);
  if (main_ && IsWindow(main_)) {
    ShowWindow(main_, SW_SHOWNORMAL);
    UpdateWindow(main_);
  }
  MSG msg;
  for (;;) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1)
      break;
    HandleMessage(msg);
  }
  return 0;
}

}  // namespace halvane::win32
