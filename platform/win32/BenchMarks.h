// Timestamps for the benchmark build of the program (HALVANE_BENCH): each
// mark is the performance counter at a point of the start-up, written to the
// file named by HALVANE_BENCH_MARKS when the program ends. In the product
// build every call compiles to nothing.
#pragma once

#include <windows.h>

namespace halvane::win32::bench {

#if defined(HALVANE_BENCH)
struct Mark {
  const char* name;
  LONGLONG counter;
};
inline Mark g_marks[32];
inline int g_mark_count = 0;
inline int g_wakeups = 0;

inline void CountWakeup() {
  ++g_wakeups;
}

inline void Record(const char* name) {
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  if (g_mark_count < 32)
    g_marks[g_mark_count++] = {name, now.QuadPart};
}

// The launcher's two pauses, told apart by their length: the splash's
// (800 ms) and the one after AutoCAD's end.
inline void RecordPause(DWORD milliseconds, bool over) {
  if (milliseconds == 800)
    Record(over ? "splash paused" : "splash pause");
  else
    Record(over ? "end paused" : "end pause");
}

// The process's own CPU time so far (user and kernel, 100-ns units), as a
// mark: read from inside while it runs, which Wine reports truly.
inline void RecordCpu(const char* name) {
  FILETIME creation, exit, kernel, user;
  if (!GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user))
    return;
  const auto value = [](FILETIME t) {
    return static_cast<LONGLONG>((static_cast<ULONGLONG>(t.dwHighDateTime) << 32) |
                                 t.dwLowDateTime);
  };
  if (g_mark_count < 32)
    g_marks[g_mark_count++] = {name, value(kernel) + value(user)};
}

inline void Write() {
  wchar_t path[MAX_PATH];
  if (!GetEnvironmentVariableW(L"HALVANE_BENCH_MARKS", path, MAX_PATH))
    return;
  HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return;
  for (int i = 0; i < g_mark_count; ++i) {
    char line[96];
    const int length = wsprintfA(line, "%s %I64d\n", g_marks[i].name, g_marks[i].counter);
    DWORD written = 0;
    WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  }
  char line[32];
  const int length = wsprintfA(line, "wakeups %d\n", g_wakeups);
  DWORD written = 0;
  WriteFile(file, line, static_cast<DWORD>(length), &written, nullptr);
  CloseHandle(file);
}
#else
inline void CountWakeup() {}
inline void Record(const char*) {}
inline void RecordCpu(const char*) {}
inline void RecordPause(DWORD, bool) {}
inline void Write() {}
#endif

}  // namespace halvane::win32::bench
