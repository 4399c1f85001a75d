// A stand-in for acad.exe. It writes how it was started (its command line,
// the arguments as Microsoft's runtime splits them, its working folder) to
// the file named by HALVANE_STANDIN_RECORD, or to standin-record.txt in its
// working folder, shows them in a window, and ends when the window is closed,
// or after HALVANE_STANDIN_SECONDS seconds when that is set. With
// HALVANE_STANDIN_PROFILE naming a plot-style folder, it also records the
// files it finds there at its start ("had=" lines) and then makes the folder
// with AutoCAD's own acad.ctb, as AutoCAD does on a user's first start; at
// its end it adds the files the folder holds then ("endhad=" lines).
#include <windows.h>

#include <shellapi.h>
#include <shlobj.h>

#include <string>

namespace {

std::wstring Env(const wchar_t* name) {
  wchar_t buffer[32768];
  const DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
  return length > 0 && length < 32768 ? std::wstring(buffer, length) : std::wstring();
}

std::wstring text;

LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      RECT rect;
      GetClientRect(window, &rect);
      InflateRect(&rect, -8, -8);
      SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
      DrawTextW(dc, text.c_str(), -1, &rect, DT_LEFT | DT_WORDBREAK | DT_NOPREFIX);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_TIMER:
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wparam, lparam);
  }
}

}  // namespace

LONGLONG Counter() {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  return now.QuadPart;
}

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
  const LONGLONG started = Counter();
  wchar_t cwd[32768];
  GetCurrentDirectoryW(32768, cwd);
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::wstring record = L"cmdline=" + std::wstring(GetCommandLineW()) + L"\n";
  record += L"cwd=" + std::wstring(cwd) + L"\n";
  record += L"argc=" + std::to_wstring(argc - 1) + L"\n";
  record += L"started=" + std::to_wstring(started) + L"\n";
  for (int i = 1; i < argc; ++i)
    record += L"arg=" + std::wstring(argv[i]) + L"\n";
  LocalFree(argv);
  const std::wstring profile = Env(L"HALVANE_STANDIN_PROFILE");
  if (!profile.empty()) {
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((profile + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
          record += L"had=" + std::wstring(found.cFileName) + L"\n";
          record += L"hadsize=" + std::to_wstring(found.nFileSizeLow) + L" " +
                    std::wstring(found.cFileName) + L"\n";
        }
      } while (FindNextFileW(find, &found));
      FindClose(find);
    }
    SHCreateDirectoryExW(nullptr, profile.c_str(), nullptr);
    HANDLE table = CreateFileW((profile + L"\\acad.ctb").c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (table != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(table, "autocad's own table", 19, &written, nullptr);
      CloseHandle(table);
    }
  }

  std::wstring path = Env(L"HALVANE_STANDIN_RECORD");
  if (path.empty())
    path = std::wstring(cwd) + L"\\standin-record.txt";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    const unsigned char bom[] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteFile(file, bom, 2, &written, nullptr);
    WriteFile(file, record.data(), static_cast<DWORD>(record.size() * 2), &written, nullptr);
    CloseHandle(file);
  }

  text = L"AutoCAD 2023 (stand-in)\n\n" + record;
  WNDCLASSW wc{};
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = L"HalvaneStandInAcad";
  RegisterClassW(&wc);
  HWND window =
      CreateWindowW(L"HalvaneStandInAcad", L"AutoCAD 2023 (stand-in)", WS_OVERLAPPEDWINDOW, 80, 80,
                    640, 300, nullptr, nullptr, instance, nullptr);
  ShowWindow(window, show);
  const std::wstring seconds = Env(L"HALVANE_STANDIN_SECONDS");
  if (!seconds.empty())
    SetTimer(window, 1, static_cast<UINT>(_wtof(seconds.c_str()) * 1000), nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (!profile.empty()) {
    std::wstring at_end;
    WIN32_FIND_DATAW found;
    HANDLE find = FindFirstFileW((profile + L"\\*").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
      do {
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
          at_end += L"endhad=" + std::wstring(found.cFileName) + L"\n";
      } while (FindNextFileW(find, &found));
      FindClose(find);
    }
    HANDLE more = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (more != INVALID_HANDLE_VALUE) {
      DWORD written = 0;
      WriteFile(more, at_end.data(), static_cast<DWORD>(at_end.size() * 2), &written, nullptr);
      CloseHandle(more);
    }
  }
  // The moment AutoCAD ends, for the benchmark.
  const std::wstring ended = Env(L"HALVANE_STANDIN_ENDED");
  if (!ended.empty()) {
    HANDLE out = CreateFileW(ended.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out != INVALID_HANDLE_VALUE) {
      char line[32];
      const int length = wsprintfA(line, "%I64d\n", Counter());
      DWORD written = 0;
      WriteFile(out, line, static_cast<DWORD>(length), &written, nullptr);
      CloseHandle(out);
    }
  }
  return 0;
}
