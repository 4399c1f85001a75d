// UTF-16 text between the portable code (char16_t) and Win32 (wchar_t, also
// 16 bits on Windows).
#pragma once

#include <string>
#include <string_view>

namespace halvane::win32 {

static_assert(sizeof(wchar_t) == sizeof(char16_t));

inline std::wstring Wide(std::u16string_view text) {
  return std::wstring(reinterpret_cast<const wchar_t*>(text.data()), text.size());
}

inline std::u16string Utf16(std::wstring_view text) {
  return std::u16string(reinterpret_cast<const char16_t*>(text.data()), text.size());
}

inline std::u16string Utf16(const wchar_t* text) {
  return text ? Utf16(std::wstring_view(text)) : std::u16string();
}

}  // namespace halvane::win32
