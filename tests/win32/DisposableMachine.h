// The mark of a machine that tests may wipe. The end-to-end, installer and
// setup-window tests delete AutoCAD's settings, its registration and its
// program file, and install and remove packages: they run only where the
// project's own set-up made the machine disposable (its Wine prefixes, its
// Windows Sandbox configuration), never on a workstation.
//
// The mark is a value under HKEY_LOCAL_MACHINE, in the 64-bit view for 32-
// and 64-bit programs alike, holding a sentence no other program writes.
// Detecting Wine would not do: a developer's own Wine prefix holds their data.
#pragma once

#include <string>

namespace halvane::testing {

inline constexpr wchar_t kDisposableKey[] = L"SOFTWARE\\Fenwright\\Halvane2023 Test Machine";
inline constexpr wchar_t kDisposableValue[] = L"Disposable";
inline constexpr wchar_t kDisposableText[] =
    L"Halvane2023's tests may delete AutoCAD's data on this machine";

// Whether this machine carries the mark, exactly.
bool IsDisposableMachine();
// Writes the mark; true when it was written.
bool MarkDisposable();

}  // namespace halvane::testing
