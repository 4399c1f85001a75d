// The baseline of the launcher's end: a flat program that starts the
// stand-in AutoCAD (the path in HALVANE_FLAT_STANDIN), shows a notification
// icon, waits for the stand-in's end, pauses 1000 ms, removes the icon, shows
// a window once and ends, with nothing else around it.
#include <windows.h>

#include <shellapi.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  wchar_t standin[MAX_PATH];
  if (!GetEnvironmentVariableW(L"HALVANE_FLAT_STANDIN", standin, MAX_PATH))
    return 1;
  HWND window = CreateWindowExW(0, L"STATIC", L"flat", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                instance, nullptr);
  SHELLEXECUTEINFOW sei{};
  sei.cbSize = sizeof(sei);
  sei.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  sei.lpVerb = L"open";
  sei.lpFile = standin;
  sei.lpParameters = L" /t Halvane.dwt";
  sei.nShow = SW_SHOW;
  if (!ShellExecuteExW(&sei) || !sei.hProcess)
    return 1;
  NOTIFYICONDATAW icon{};
  icon.cbSize = sizeof(icon);
  icon.hWnd = window;
  icon.uID = 1;
  icon.uFlags = NIF_ICON | NIF_TIP;
  icon.hIcon = LoadIconW(nullptr, IDI_APPLICATION);
  lstrcpyW(icon.szTip, L"flat");
  Shell_NotifyIconW(NIM_ADD, &icon);
  WaitForSingleObject(sei.hProcess, INFINITE);
  Sleep(1000);
  Shell_NotifyIconW(NIM_DELETE, &icon);
  ShowWindow(window, SW_SHOWNORMAL);
  PostQuitMessage(0);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0)
    DispatchMessageW(&msg);
  return 0;
}
