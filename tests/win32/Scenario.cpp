#include "tests/win32/Scenario.h"

#include <shlobj.h>

#include <stdexcept>

namespace halvane::e2e {

std::wstring Env(const wchar_t* name) {
  wchar_t buffer[32768];
  const DWORD length = GetEnvironmentVariableW(name, buffer, 32768);
  return length > 0 && length < 32768 ? std::wstring(buffer, length) : std::wstring();
}

std::wstring ToWindowsPath(std::wstring path) {
  for (wchar_t& c : path) {
    if (c == L'/')
      c = L'\\';
  }
  return path;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void WriteText(const std::wstring& path, const std::string& contents) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    throw std::runtime_error("cannot write a fixture file");
  DWORD written = 0;
  WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
  CloseHandle(file);
}

std::optional<std::string> ReadText(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return std::nullopt;
  std::string contents(GetFileSize(file, nullptr), '\0');
  DWORD read = 0;
  ReadFile(file, contents.data(), static_cast<DWORD>(contents.size()), &read, nullptr);
  CloseHandle(file);
  contents.resize(read);
  return contents;
}

void MakeFolders(const std::wstring& path) {
  SHCreateDirectoryExW(nullptr, path.c_str(), nullptr);
}

std::optional<std::wstring> RegRead(HKEY root,
                                    const std::wstring& key,
                                    const std::wstring& name,
                                    REGSAM view) {
  wchar_t buffer[4096];
  DWORD size = sizeof(buffer);
  DWORD type = 0;
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ | view, &handle) != ERROR_SUCCESS) {
    return std::nullopt;
  }
  const LSTATUS status = RegQueryValueExW(handle, name.c_str(), nullptr, &type,
                                          reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(handle);
  if (status != ERROR_SUCCESS || type != REG_SZ)
    return std::nullopt;
  return std::wstring(buffer, size / sizeof(wchar_t)).c_str();
}

void RegWrite(HKEY root,
              const std::wstring& key,
              const std::wstring& name,
              const std::wstring& value,
              REGSAM view) {
  HKEY handle = nullptr;
  if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &handle,
                      nullptr) != ERROR_SUCCESS) {
    throw std::runtime_error("cannot prepare the registry");
  }
  RegSetValueExW(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(handle);
}

void RegDelete(HKEY root, const std::wstring& key, REGSAM view) {
  const std::size_t split = key.find_last_of(L'\\');
  HKEY parent = nullptr;
  if (RegOpenKeyExW(root, key.substr(0, split).c_str(), 0, KEY_ALL_ACCESS | view, &parent) ==
      ERROR_SUCCESS) {
    RegDeleteTreeW(parent, key.substr(split + 1).c_str());
    RegCloseKey(parent);
  }
}

namespace {

std::wstring AppData() {
  wchar_t path[MAX_PATH];
  SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, path);
  return path;
}

std::wstring TempFolder() {
  wchar_t temp[MAX_PATH + 1];
  GetTempPathW(MAX_PATH + 1, temp);
  std::wstring path = temp;
  if (!path.empty() && path.back() == L'\\')
    path.pop_back();
  return path;
}

}  // namespace

Scenario::Scenario(const std::wstring& install_name)
    : install_(TempFolder() + L"\\" + install_name),
      plot_styles_(AppData() + L"\\Autodesk\\AutoCAD\\R24.2\\jpn\\Plotters\\Plot Styles"),
      record_(TempFolder() + L"\\halvane-standin-record.txt") {
  RemoveTree(install_);
  MakeFolders(install_ + L"\\Plot Styles");
  for (const wchar_t* table : {L"Hv_color.ctb", L"Hv_mono.ctb", L"Hv_mono2.ctb"}) {
    WriteText(install_ + L"\\Plot Styles\\" + table, "add-on table");
  }
  WriteText(install_ + L"\\Halvane.dwt", "add-on template");
  RemoveTree(AppData() + L"\\Autodesk");
  MakeFolders(plot_styles_);
  WriteText(plot_styles_ + L"\\acad.ctb", "autocad's own table");
  RegDelete(HKEY_CURRENT_USER, kLauncherKey);
  RegDelete(HKEY_CURRENT_USER, L"Software\\Autodesk");
  RegDelete(HKEY_LOCAL_MACHINE, L"Software\\Autodesk", KEY_WOW64_64KEY);
  DeleteFileW(record_.c_str());
  // A stand-in from an earlier run must not be found by accident.
  RemoveStandIn(DefaultAcad());
}

Scenario::~Scenario() {
  if (process_) {
    if (WaitForSingleObject(process_, 0) == WAIT_TIMEOUT)
      TerminateProcess(process_, 1);
    CloseHandle(process_);
  }
  for (const std::wstring& path : placed_)
    RemoveStandIn(path);
  RemoveTree(install_);
  RemoveTree(AppData() + L"\\Autodesk");
  RegDelete(HKEY_CURRENT_USER, kLauncherKey);
  RegDelete(HKEY_CURRENT_USER, L"Software\\Autodesk");
  RegDelete(HKEY_LOCAL_MACHINE, L"Software\\Autodesk", KEY_WOW64_64KEY);
  DeleteFileW(record_.c_str());
}

std::wstring Scenario::PlotStyles2023(const std::wstring& language) {
  return AppData() + L"\\Autodesk\\AutoCAD 2023\\R24.2\\" + language + L"\\Plotters\\Plot Styles";
}

void Scenario::RemoveProfiles() {
  RemoveTree(AppData() + L"\\Autodesk");
}

std::wstring Scenario::DefaultAcad() const {
  return L"C:\\Program Files\\Autodesk\\AutoCAD 2023\\acad.exe";
}

void Scenario::PlaceStandIn(const std::wstring& path) {
  MakeFolders(path.substr(0, path.find_last_of(L'\\')));
  if (!CopyFileW(ToWindowsPath(Env(L"HALVANE_STANDIN")).c_str(), path.c_str(), FALSE)) {
    throw std::runtime_error("cannot place the stand-in");
  }
  placed_.push_back(path);
}

void Scenario::RemoveStandIn(const std::wstring& path) {
  DeleteFileW(path.c_str());
}

void Scenario::Start(const std::wstring& arguments,
                     double standin_seconds,
                     const std::wstring& working_folder,
                     const std::wstring& profile) {
  const std::wstring exe = ToWindowsPath(Env(L"HALVANE_EXE"));
  std::wstring command = L"\"" + exe + L"\"" + (arguments.empty() ? L"" : L" " + arguments);
  SetEnvironmentVariableW(L"HALVANE_STANDIN_RECORD", record_.c_str());
  SetEnvironmentVariableW(L"HALVANE_STANDIN_PROFILE", profile.empty() ? nullptr : profile.c_str());
  SetEnvironmentVariableW(L"HALVANE_STANDIN_SECONDS",
                          standin_seconds > 0 ? std::to_wstring(standin_seconds).c_str() : nullptr);
  STARTUPINFOW si{};
  si.cb = sizeof(si);
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(exe.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      working_folder.empty() ? install_.c_str() : working_folder.c_str(), &si,
                      &pi)) {
    throw std::runtime_error("cannot start the launcher");
  }
  CloseHandle(pi.hThread);
  process_ = pi.hProcess;
  pid_ = pi.dwProcessId;
}

std::optional<DWORD> Scenario::WaitForExit(DWORD ms) {
  if (WaitForSingleObject(process_, ms) != WAIT_OBJECT_0)
    return std::nullopt;
  DWORD code = 0;
  GetExitCodeProcess(process_, &code);
  return code;
}

std::optional<Record> Scenario::StandInRecord() const {
  const std::optional<std::string> raw = ReadText(record_);
  if (!raw || raw->size() < 2)
    return std::nullopt;
  const std::wstring text(reinterpret_cast<const wchar_t*>(raw->data() + 2), (raw->size() - 2) / 2);
  Record record;
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos)
      end = text.size();
    const std::wstring line = text.substr(start, end - start);
    if (line.rfind(L"cmdline=", 0) == 0)
      record.cmdline = line.substr(8);
    if (line.rfind(L"cwd=", 0) == 0)
      record.cwd = line.substr(4);
    if (line.rfind(L"arg=", 0) == 0)
      record.args.push_back(line.substr(4));
    if (line.rfind(L"had=", 0) == 0)
      record.had.push_back(line.substr(4));
    if (line.rfind(L"endhad=", 0) == 0)
      record.had_at_end.push_back(line.substr(7));
    if (line.rfind(L"hadsize=", 0) == 0) {
      const std::size_t space = line.find(L' ');
      record.had_size[line.substr(space + 1)] = std::stoul(line.substr(8, space - 8));
    }
    start = end + 1;
  }
  return record;
}

namespace {

struct WindowSearch {
  DWORD pid;
  std::vector<HWND> found;
};

BOOL CALLBACK CollectVisible(HWND window, LPARAM param) {
  auto& search = *reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  RECT r{};
  if (pid == search.pid && IsWindowVisible(window) && GetWindowRect(window, &r) &&
      r.right > r.left && r.bottom > r.top) {
    search.found.push_back(window);
  }
  return TRUE;
}

}  // namespace

std::vector<HWND> Scenario::VisibleWindows() const {
  WindowSearch search{pid_, {}};
  EnumWindows(&CollectVisible, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

HWND Scenario::FindWindowOf(const wchar_t* cls, const wchar_t* title, DWORD ms) const {
  const DWORD start = GetTickCount();
  do {
    HWND window = nullptr;
    while ((window = FindWindowExW(nullptr, window, cls, title)) != nullptr) {
      DWORD pid = 0;
      GetWindowThreadProcessId(window, &pid);
      if (pid == pid_ && IsWindowVisible(window))
        return window;
    }
    Sleep(50);
  } while (GetTickCount() - start < ms);
  return nullptr;
}

void SaveScreenshot(const std::wstring& name) {
  const std::wstring folder = ToWindowsPath(Env(L"HALVANE_SCREENSHOTS"));
  if (folder.empty())
    return;
  MakeFolders(folder);
  HDC screen = GetDC(nullptr);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  GdiFlush();
  const DWORD row = ((width * 3 + 3) & ~3);
  BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(54 + row * height), 0, 0, 54};
  std::string data(reinterpret_cast<const char*>(&file), sizeof(file));
  data.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
  data.append(static_cast<const char*>(bits), row * height);
  WriteText(folder + L"\\" + name + L".bmp", data);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

}  // namespace halvane::e2e

namespace halvane::e2e {

std::wstring RegistrySnapshot(HKEY root, const std::wstring& key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
    return L"";
  std::wstring out;
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD name_length = 16384, type = 0, size = 0;
    if (RegEnumValueW(handle, i, name, &name_length, nullptr, &type, nullptr, &size) !=
        ERROR_SUCCESS) {
      break;
    }
    std::vector<BYTE> data(size);
    name_length = 16384;
    RegEnumValueW(handle, i, name, &name_length, nullptr, &type, data.data(), &size);
    out += key + L" : " + name + L" = " + std::to_wstring(type) + L":";
    for (BYTE b : data)
      out += std::to_wstring(b) + L",";
    out += L"\n";
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[256];
    DWORD length = 256;
    if (RegEnumKeyExW(handle, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS) {
      break;
    }
    out += RegistrySnapshot(root, key + L"\\" + name);
  }
  RegCloseKey(handle);
  return out;
}

std::wstring FolderSnapshot(const std::wstring& folder) {
  std::wstring out;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return out;
  do {
    const std::wstring name = data.cFileName;
    if (name == L"." || name == L"..")
      continue;
    const std::wstring path = folder + L"\\" + name;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      out += path + L"\\\n" + FolderSnapshot(path);
    } else {
      const auto stamp = [](const FILETIME& t) {
        return std::to_wstring((static_cast<unsigned long long>(t.dwHighDateTime) << 32) |
                               t.dwLowDateTime);
      };
      const std::optional<std::string> bytes = ReadText(path);
      out += path + L" " + stamp(data.ftLastWriteTime) + L" " + stamp(data.ftCreationTime) + L" " +
             std::wstring(bytes->begin(), bytes->end()) + L"\n";
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return out;
}

}  // namespace halvane::e2e
