// A child for the command-line test: writes the command line that the
// launcher's Windows layer gives back, as UTF-16, to the file named by
// HALVANE_CHILD_OUT.
#include <windows.h>

#include <string>

#include "platform/win32/WideText.h"
#include "platform/win32/Win32Files.h"

int wmain() {
  wchar_t out[MAX_PATH + 1] = {};
  if (!GetEnvironmentVariableW(L"HALVANE_CHILD_OUT", out, MAX_PATH + 1))
    return 2;
  const std::wstring line = halvane::win32::Wide(halvane::win32::Win32FileSystem().CommandLine());
  HANDLE file = CreateFileW(out, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return 1;
  DWORD written = 0;
  const BOOL wrote = WriteFile(file, line.data(), static_cast<DWORD>(line.size() * sizeof(wchar_t)),
                               &written, nullptr);
  CloseHandle(file);
  return wrote ? 0 : 1;
}
