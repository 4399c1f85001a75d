// Prepares and holds the Wine session that the Windows tests and the demo
// run in. A 32-bit program, so what it writes lands where the launcher, a
// 32-bit program too, reads it.
//   prefix       map the Japanese UI font and choose Wine's virtual desktop
//   keep         hold a window open on the desktop until "stop" is run; says
//                so through an event once the window (and so the desktop) exists
//   ready MS     wait up to MS milliseconds for "keep" to say so: 0 when it
//                did, 1 when it did not
//   stop         end "keep"
//   mark-disposable   mark this machine (the prefix) as one that tests may
//                wipe: see tests/win32/DisposableMachine.h
//   reg-set ROOT KEY NAME TEXT [64]   write a string value (for scripts)
//   reg-delete ROOT KEY               remove a key and everything below it
#include <windows.h>

#include <shellapi.h>

#include <string>

#include "tests/win32/DisposableMachine.h"

namespace {

constexpr wchar_t kStopEvent[] = L"HalvaneTestDesktopStop";
constexpr wchar_t kReadyEvent[] = L"HalvaneTestDesktopReady";

void SetString(HKEY root,
               const wchar_t* key,
               const wchar_t* name,
               const std::wstring& value,
               REGSAM view) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(root, key, 0, nullptr, 0, KEY_SET_VALUE | view, nullptr, &handle, nullptr) ==
      ERROR_SUCCESS) {
    RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                   static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
  }
}

void PreparePrefix() {
  // Both views, since Wine keeps a separate HKCU\Software for 32-bit programs.
  for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    for (const wchar_t* face :
         {L"ＭＳ Ｐゴシック", L"MS PGothic", L"ＭＳ ゴシック", L"MS UI Gothic"}) {
      SetString(HKEY_CURRENT_USER, L"Software\\Wine\\Fonts\\Replacements", face, L"IPAPGothic",
                view);
    }
    SetString(HKEY_CURRENT_USER, L"Software\\Wine\\Explorer", L"Desktop", L"shell", view);
    SetString(HKEY_CURRENT_USER, L"Software\\Wine\\Explorer\\Desktops", L"shell", L"1280x800",
              view);
  }
}

LRESULT CALLBACK KeeperProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_DESTROY) {
    PostQuitMessage(0);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

int Keep(HINSTANCE instance) {
  HANDLE stop = CreateEventW(nullptr, TRUE, FALSE, kStopEvent);
  WNDCLASSW wc{};
  wc.lpfnWndProc = KeeperProc;
  wc.hInstance = instance;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"HalvaneTestDesktop";
  RegisterClassW(&wc);
  // Small and out of the way; owned by a hidden window, so no taskbar button.
  HWND owner = CreateWindowExW(0, L"HalvaneTestDesktop", L"", WS_POPUP, 0, 0, 0, 0, nullptr,
                               nullptr, instance, nullptr);
  HWND window =
      CreateWindowExW(WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, L"HalvaneTestDesktop", L"Wine session",
                      WS_POPUP | WS_VISIBLE, 1272, 0, 8, 8, owner, nullptr, instance, nullptr);
  // The desktop exists once this window does, and the stop event already
  // does: from now on a test's window finds the desktop, and "stop" finds
  // the event.
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, kReadyEvent);
  if (!stop || !window || !ready)
    return 1;
  SetEvent(ready);
  for (;;) {
    const DWORD r = MsgWaitForMultipleObjects(1, &stop, FALSE, INFINITE, QS_ALLINPUT);
    if (r != WAIT_OBJECT_0 + 1)
      break;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT)
        return 0;
      DispatchMessageW(&msg);
    }
  }
  DestroyWindow(window);
  DestroyWindow(owner);
  CloseHandle(ready);
  CloseHandle(stop);
  return 0;
}

// Both sides create the event, so whichever comes first, they meet.
int WaitUntilReady(DWORD ms) {
  HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, kReadyEvent);
  if (!ready)
    return 1;
  const DWORD r = WaitForSingleObject(ready, ms);
  CloseHandle(ready);
  return r == WAIT_OBJECT_0 ? 0 : 1;
}

HKEY Root(const std::wstring& name) {
  return name == L"HKLM" ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  const std::wstring command = argc > 1 ? argv[1] : L"";
  int result = 0;
  if (command == L"prefix") {
    PreparePrefix();
  } else if (command == L"keep") {
    result = Keep(instance);
  } else if (command == L"ready" && argc >= 3) {
    result = WaitUntilReady(static_cast<DWORD>(_wtoi(argv[2])));
  } else if (command == L"mark-disposable") {
    result = halvane::testing::MarkDisposable() ? 0 : 1;
  } else if (command == L"stop") {
    HANDLE stop = OpenEventW(EVENT_MODIFY_STATE, FALSE, kStopEvent);
    if (stop) {
      SetEvent(stop);
      CloseHandle(stop);
    }
  } else if (command == L"reg-set" && argc >= 6) {
    const REGSAM view = argc >= 7 && std::wstring(argv[6]) == L"64" ? KEY_WOW64_64KEY : 0;
    SetString(Root(argv[2]), argv[3], argv[4], argv[5], view);
  } else if (command == L"reg-delete" && argc >= 4) {
    result = RegDeleteTreeW(Root(argv[2]), argv[3]) == ERROR_SUCCESS ? 0 : 1;
  } else {
    result = 2;
  }
  LocalFree(argv);
  return result;
}
