// What the installer's tests share: where the package puts things, running
// msiexec, and reading what it left (entries, shortcuts, folders, windows).
#include "tests/installer/Installation.h"

#include <gtest/gtest.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <tlhelp32.h>

#include <memory>
#include <optional>
#include <regex>
#include <string>

namespace halvane::e2e {

std::wstring Folder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path)))
    return L"";
  return path;
}

// Wine's msiexec puts the shortcuts of a per-machine package into the
// user's own Start menu and desktop; Windows puts them into the public ones
// (CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY).
std::wstring MenuFolder() {
  return Folder(CSIDL_PROGRAMS) + L"\\Halvane 2023";
}
std::wstring MenuShortcut() {
  return MenuFolder() + L"\\Halvane 2023.lnk";
}
std::wstring DesktopShortcut() {
  return Folder(CSIDL_DESKTOPDIRECTORY) + L"\\Halvane 2023.lnk";
}
std::wstring GuideShortcut() {
  return MenuFolder() + L"\\Halvane 2023 の使い方.lnk";
}

std::wstring GuideProblems(const std::wstring& folder) {
  const std::wstring guide = folder + L"\\Guide\\";
  const std::optional<std::string> page = ReadText(guide + L"index.html");
  if (!page)
    return L"no page " + guide + L"index.html";
  // The page is UTF-8, as this source file is.
  if (page->find("<title>Halvane 2023 の使い方</title>") == std::string::npos)
    return L"the page is not the users' guide";
  static const std::regex img(R"re(<img[^>]*\bsrc="([^"]+)")re");
  int pictures = 0;
  for (std::sregex_iterator it(page->begin(), page->end(), img), end; it != end; ++it) {
    const std::string src = (*it)[1];
    const std::wstring name(src.begin(), src.end());  // the pictures' names are ASCII
    ++pictures;
    if (!Exists(guide + name))
      return L"no picture " + name + L" beside the page";
  }
  return pictures == 0 ? L"the page shows no picture" : L"";
}

// Runs msiexec with `arguments` and waits for it; its exit code.
DWORD Msiexec(const std::wstring& arguments, const std::wstring& log_name) {
  return ExitCodeOf(StartMsiexec(arguments + L" /qn", log_name));
}

std::wstring Package(const wchar_t* variable) {
  return L"\"" + ToWindowsPath(Env(variable)) + L"\"";
}

// Every Add/Remove Programs entry named "Halvane 2023", in both views.
std::vector<Entry> Entries() {
  std::vector<Entry> entries;
  for (const REGSAM view : {KEY_WOW64_32KEY, KEY_WOW64_64KEY}) {
    HKEY root = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kUninstallKey, 0, KEY_READ | view, &root) !=
        ERROR_SUCCESS) {
      continue;
    }
    for (DWORD i = 0;; ++i) {
      wchar_t name[256];
      DWORD length = 256;
      if (RegEnumKeyExW(root, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS) {
        break;
      }
      const std::wstring key = std::wstring(kUninstallKey) + L"\\" + name;
      const auto value = [&](const wchar_t* value_name) {
        return RegRead(HKEY_LOCAL_MACHINE, key, value_name, view).value_or(L"");
      };
      if (value(L"DisplayName") == L"Halvane 2023")
        entries.push_back({key, name, value(L"DisplayVersion"), value(L"Publisher"),
                           value(L"DisplayIcon"), value(L"Comments"), value(L"InstallLocation")});
    }
    RegCloseKey(root);
  }
  return entries;
}

// The names in a folder, "." and ".." left out; nothing for a missing folder.
std::vector<std::wstring> Names(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return names;
  do {
    const std::wstring name = data.cFileName;
    if (name != L"." && name != L"..")
      names.push_back(name);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

namespace {

struct ReleaseCom {
  void operator()(IUnknown* unknown) const { unknown->Release(); }
};
template <class T>
using ComPtr = std::unique_ptr<T, ReleaseCom>;

}  // namespace

std::optional<Link> ReadShortcut(const std::wstring& path) {
  IShellLinkW* raw = nullptr;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&raw)))) {
    return std::nullopt;
  }
  ComPtr<IShellLinkW> link(raw);
  IPersistFile* raw_file = nullptr;
  if (FAILED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&raw_file))))
    return std::nullopt;
  ComPtr<IPersistFile> file(raw_file);
  if (FAILED(file->Load(path.c_str(), STGM_READ)))
    return std::nullopt;
  Link result;
  wchar_t text[MAX_PATH] = {};
  if (SUCCEEDED(link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH)))
    result.target = text;
  text[0] = 0;
  if (SUCCEEDED(link->GetWorkingDirectory(text, MAX_PATH)))
    result.folder = text;
  text[0] = 0;
  if (SUCCEEDED(link->GetIconLocation(text, MAX_PATH, &result.icon_index)))
    result.icon = text;
  return result;
}

// A running process of that program file name, opened for waiting.
HANDLE FindProcess(const wchar_t* name) {
  const DWORD start = GetTickCount();
  do {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof(entry);
    HANDLE found = nullptr;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found;
         more = Process32NextW(snapshot, &entry)) {
      if (_wcsicmp(entry.szExeFile, name) == 0)
        found = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION, FALSE,
                            entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    if (found)
      return found;
    Sleep(50);
  } while (GetTickCount() - start < kTimeout);
  return nullptr;
}

namespace {

struct BoxSearch {
  DWORD pid;
  HWND box;
};

BOOL CALLBACK MatchBox(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<BoxSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t cls[16] = {};
  GetClassNameW(window, cls, 16);
  if (pid == search.pid && IsWindowVisible(window) && wcscmp(cls, L"#32770") == 0) {
    search.box = window;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

// A visible message box of that process, or nothing.
HWND MessageBoxOf(DWORD pid) {
  BoxSearch search{pid, nullptr};
  EnumWindows(&MatchBox, reinterpret_cast<LPARAM>(&search));
  return search.box;
}

}  // namespace halvane::e2e

namespace halvane::e2e {

HANDLE StartMsiexec(const std::wstring& arguments, const std::wstring& log_name) {
  const std::wstring log = Folder(CSIDL_APPDATA) + L"\\..\\" + log_name + L".log";
  std::wstring command =
      L"C:\\windows\\system32\\msiexec.exe " + arguments + L" /l*v \"" + log + L"\"";
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                      &pi)) {
    ADD_FAILURE() << "msiexec did not start: " << GetLastError();
    return nullptr;
  }
  CloseHandle(pi.hThread);
  return pi.hProcess;
}

DWORD ExitCodeOf(HANDLE process) {
  if (!process)
    return ~0u;
  DWORD code = ~0u;
  if (WaitForSingleObject(process, kTimeout) == WAIT_OBJECT_0)
    GetExitCodeProcess(process, &code);
  else
    TerminateProcess(process, ~0u);
  CloseHandle(process);
  return code;
}

namespace {

BOOL CALLBACK CollectText(HWND control, LPARAM param) {
  wchar_t text[512] = {};
  GetWindowTextW(control, text, 512);
  reinterpret_cast<std::vector<std::wstring>*>(param)->push_back(text);
  return TRUE;
}

struct PageSearch {
  const std::wstring& text;
  HWND page;
};

BOOL CALLBACK MatchPage(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<PageSearch*>(param);
  wchar_t title[128] = {};
  GetWindowTextW(window, title, 128);
  if (!IsWindowVisible(window) || wcscmp(title, kSetupTitle) != 0)
    return TRUE;
  for (const std::wstring& text : ControlTexts(window)) {
    if (text == search.text) {
      search.page = window;
      return FALSE;
    }
  }
  return TRUE;
}

}  // namespace

std::vector<std::wstring> ControlTexts(HWND window) {
  std::vector<std::wstring> texts;
  EnumChildWindows(window, &CollectText, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

HWND WaitForPage(const std::wstring& text, DWORD ms) {
  const DWORD start = GetTickCount();
  do {
    PageSearch search{text, nullptr};
    EnumWindows(&MatchPage, reinterpret_cast<LPARAM>(&search));
    if (search.page)
      return search.page;
    Sleep(20);
  } while (GetTickCount() - start < ms);
  return nullptr;
}

bool Press(HWND window, WORD key, bool alt) {
  for (int i = 0; i < 40 && GetForegroundWindow() != window; ++i) {
    SetForegroundWindow(window);
    Sleep(50);
  }
  if (GetForegroundWindow() != window)
    return false;
  std::vector<INPUT> input;
  const auto add = [&](WORD vk, DWORD flags) {
    INPUT one{};
    one.type = INPUT_KEYBOARD;
    one.ki.wVk = vk;
    one.ki.dwFlags = flags;
    input.push_back(one);
  };
  if (alt)
    add(VK_MENU, 0);
  add(key, 0);
  add(key, KEYEVENTF_KEYUP);
  if (alt)
    add(VK_MENU, KEYEVENTF_KEYUP);
  SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
  Sleep(100);
  return true;
}

}  // namespace halvane::e2e
