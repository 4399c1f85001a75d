// What the installer's tests share: where the package puts things, running
// msiexec silently or with its setup window, and reading what it left.
#pragma once

#include <windows.h>

#include <optional>
#include <string>
#include <vector>

#include "tests/win32/Scenario.h"

namespace halvane::e2e {

inline constexpr DWORD kTimeout = 60000;
inline const wchar_t kInstallFolder[] = L"C:\\Program Files (x86)\\Fenwright\\Halvane2023";
inline const wchar_t kMakerFolder[] = L"C:\\Program Files (x86)\\Fenwright";
inline const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall";
inline const wchar_t kInstallerKey[] = L"Software\\Fenwright\\Halvane2023\\Installer";
inline const wchar_t* const kTables[] = {L"Hv_color.ctb", L"Hv_mono.ctb", L"Hv_mono2.ctb"};
inline const wchar_t kSetupTitle[] = L"Halvane 2023 セットアップ";

std::wstring Folder(int csidl);
std::wstring MenuFolder();
std::wstring MenuShortcut();
std::wstring DesktopShortcut();
// The users' guide's shortcut 「Halvane 2023 の使い方」, beside the launcher's.
std::wstring GuideShortcut();
// The users' guide installed in `folder`\Guide: nothing when the page is there,
// titled as the guide, with every picture it shows beside it; else what is wrong.
std::wstring GuideProblems(const std::wstring& folder);

// Runs msiexec silently (/qn) with `arguments` and waits for it; its exit code.
DWORD Msiexec(const std::wstring& arguments, const std::wstring& log_name);
// The package that the environment variable names, quoted for a command line.
std::wstring Package(const wchar_t* variable);

struct Entry {
  std::wstring key, name, version, publisher, icon, comments, location;
};
// Every Add/Remove Programs entry named "Halvane 2023", in both views.
std::vector<Entry> Entries();

// The names in a folder, "." and ".." left out; nothing for a missing folder.
std::vector<std::wstring> Names(const std::wstring& folder);

struct Link {
  std::wstring target, folder, icon;
  int icon_index = -1;
};
std::optional<Link> ReadShortcut(const std::wstring& path);

// A running process of that program file name, opened for waiting.
HANDLE FindProcess(const wchar_t* name);
// A visible message box of that process, or nothing.
HWND MessageBoxOf(DWORD pid);

// msiexec with `arguments` at the full UI level, as a user opens the
// package; its process handle (nothing if it did not start).
HANDLE StartMsiexec(const std::wstring& arguments, const std::wstring& log_name);
// Waits for a process's end and closes its handle: its exit code, or ~0u.
DWORD ExitCodeOf(HANDLE process);
// The visible setup window that shows a control with exactly `text`, or
// nothing after `ms`.
HWND WaitForPage(const std::wstring& text, DWORD ms = kTimeout);
// The texts of a window's controls, in their order.
std::vector<std::wstring> ControlTexts(HWND window);
// Brings `window` to the front and types `key` as a person does, holding
// Alt for an access key; false if the window would not come to the front.
bool Press(HWND window, WORD key, bool alt = false);

}  // namespace halvane::e2e
