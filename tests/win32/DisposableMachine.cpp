#include "tests/win32/DisposableMachine.h"

#include <windows.h>

#include <iterator>

namespace halvane::testing {

bool IsDisposableMachine() {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kDisposableKey, 0, KEY_QUERY_VALUE | KEY_WOW64_64KEY,
                    &key) != ERROR_SUCCESS) {
    return false;
  }
  // One character more than the mark, and a zero after it: a longer text
  // does not compare equal by being cut.
  wchar_t text[std::size(kDisposableText) + 2] = {};
  DWORD size = sizeof(text) - sizeof(wchar_t);
  DWORD type = REG_NONE;
  const LSTATUS status =
      RegQueryValueExW(key, kDisposableValue, nullptr, &type, reinterpret_cast<BYTE*>(text), &size);
  RegCloseKey(key);
  return status == ERROR_SUCCESS && type == REG_SZ && std::wstring(text) == kDisposableText;
}

bool MarkDisposable() {
  HKEY key = nullptr;
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kDisposableKey, 0, nullptr, 0,
                      KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &key, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  const std::wstring text = kDisposableText;
  const LSTATUS status =
      RegSetValueExW(key, kDisposableValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                     static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  return status == ERROR_SUCCESS;
}

}  // namespace halvane::testing
