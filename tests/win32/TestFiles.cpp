#include "tests/win32/TestFiles.h"

#include <windows.h>

namespace halvane::test {

void RemoveTree(const std::wstring& path) {
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((path + L"\\*").c_str(), &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      const std::wstring name = data.cFileName;
      if (name == L"." || name == L"..")
        continue;
      const std::wstring child = path + L"\\" + name;
      const bool folder = data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
      if (folder && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        RemoveTree(child);
      } else if (folder) {
        RemoveDirectoryW(child.c_str());
      } else {
        SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileW(child.c_str());
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  RemoveDirectoryW(path.c_str());
}

std::wstring BesideThisProgram(const std::wstring& name) {
  wchar_t buffer[MAX_PATH];
  GetModuleFileNameW(nullptr, buffer, MAX_PATH);
  const std::wstring path = buffer;
  return path.substr(0, path.find_last_of(L'\\') + 1) + name;
}

}  // namespace halvane::test
