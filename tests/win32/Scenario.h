// End-to-end scenarios: a real Halvane2023.exe under Wine, with a stand-in
// AutoCAD, a scratch installation folder, and the prefix's own registry and
// profile, all put back afterwards.
#pragma once

#include <windows.h>

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/win32/TestFiles.h"

namespace halvane::e2e {

using test::RemoveTree;

std::wstring Env(const wchar_t* name);
std::wstring ToWindowsPath(std::wstring path);  // "Z:/a/b" -> "Z:\a\b"
bool Exists(const std::wstring& path);
void WriteText(const std::wstring& path, const std::string& contents);
std::optional<std::string> ReadText(const std::wstring& path);
void MakeFolders(const std::wstring& path);

std::optional<std::wstring> RegRead(HKEY root,
                                    const std::wstring& key,
                                    const std::wstring& name,
                                    REGSAM view = 0);
void RegWrite(HKEY root,
              const std::wstring& key,
              const std::wstring& name,
              const std::wstring& value,
              REGSAM view = 0);
void RegDelete(HKEY root, const std::wstring& key, REGSAM view = 0);

struct Record {
  std::wstring cmdline, cwd;
  std::vector<std::wstring> args;
  std::vector<std::wstring> had;           // files in the plot-style folder it was asked to look at
  std::map<std::wstring, DWORD> had_size;  // and their sizes
  std::vector<std::wstring> had_at_end;    // the files there when it ended
};

class Scenario {
 public:
  // The installation folder is `install_name` in the temporary folder.
  explicit Scenario(const std::wstring& install_name = L"Halvane 2023 e2e");
  ~Scenario();

  const std::wstring& Install() const { return install_; }
  const std::wstring& PlotStyles() const { return plot_styles_; }
  // AutoCAD 2023's own plot-style folder of the profile for `language`.
  static std::wstring PlotStyles2023(const std::wstring& language);
  // A user who has never started AutoCAD: no profile folders at all.
  void RemoveProfiles();
  std::wstring DefaultAcad() const;
  // Puts the stand-in AutoCAD at `path`.
  void PlaceStandIn(const std::wstring& path);
  void RemoveStandIn(const std::wstring& path);

  // Starts the launcher in the installation folder (or `working_folder`) with `arguments` after its
  // own quoted name.
  // `profile`: the plot-style folder the stand-in looks at and makes.
  void Start(const std::wstring& arguments = L"",
             double standin_seconds = 0,
             const std::wstring& working_folder = L"",
             const std::wstring& profile = L"");
  // Waits for the launcher's end; its exit code, or nothing after `ms`.
  std::optional<DWORD> WaitForExit(DWORD ms);
  std::optional<Record> StandInRecord() const;
  // The launcher's visible top-level windows.
  std::vector<HWND> VisibleWindows() const;
  HWND FindWindowOf(const wchar_t* cls, const wchar_t* title, DWORD ms) const;

 private:
  std::wstring install_, plot_styles_, record_;
  std::vector<std::wstring> placed_;
  HANDLE process_ = nullptr;
  DWORD pid_ = 0;
};

inline const wchar_t kLauncherKey[] = L"Software\\Fenwright\\Halvane2023";

// Saves the desktop as a BMP for scripts/test to convert.
void SaveScreenshot(const std::wstring& name);

// Every value below a key, and every file below a folder with its bytes and
// time stamps, as one comparable text.
std::wstring RegistrySnapshot(HKEY root, const std::wstring& key);
std::wstring FolderSnapshot(const std::wstring& folder);

}  // namespace halvane::e2e
