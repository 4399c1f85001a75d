// The floor of a process start: records the performance counter when its
// wWinMain begins and ends, in the file named by HALVANE_BENCH_MARKS.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  LARGE_INTEGER begin, end;
  QueryPerformanceCounter(&begin);
  wchar_t path[MAX_PATH];
  if (GetEnvironmentVariableW(L"HALVANE_BENCH_MARKS", path, MAX_PATH)) {
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    QueryPerformanceCounter(&end);
    char line[96];
    const int length = wsprintfA(line, "entry %I64d\nexit %I64d\n", begin.QuadPart, end.QuadPart);
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
    CloseHandle(file);
  }
  return 0;
}
