// The shell and process services: starting a program, the notification-area
// icon and pausing. (Waiting for a process is a message loop: Application.) The
// records mirror the Windows ones field for field, so the Win32 layer copies
// them across unchanged.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace halvane {

using WindowHandle = std::uintptr_t;
using IconHandle = std::uintptr_t;

// A started process. Destroying it closes the handle; the process runs on.
class Process {
 public:
  virtual ~Process() = default;
};

// STARTUPINFOW, as far as the launcher keeps it.
struct StartupInfo {
  std::uint32_t cb = 0;
  std::uint32_t dwFlags = 0;
  std::uint16_t wShowWindow = 0;
};

// PROCESS_INFORMATION: the launch waits on hProcess.
struct ProcessInformation {
  std::unique_ptr<Process> hProcess;
  std::uint32_t dwProcessId = 0;
};

// NOTIFYICONDATAW, the fields the launcher sets; the rest stay zero.
inline constexpr std::uint32_t kNotifyIconDataSize = 956;
inline constexpr std::size_t kTipLength = 128;
struct NotifyIconData {
  std::uint32_t cbSize = 0;
  WindowHandle hWnd = 0;
  std::uint32_t uID = 0;
  std::uint32_t uFlags = 0;
  std::uint32_t uCallbackMessage = 0;
  IconHandle hIcon = 0;
  char16_t szTip[kTipLength] = {};
};

inline constexpr std::uint32_t kNifMessage = 1;
inline constexpr std::uint32_t kNifIcon = 2;
inline constexpr std::uint32_t kNifTip = 4;
enum class NotifyIconMessage : std::uint32_t { kAdd = 0, kDelete = 2 };

// ERROR_FILENAME_EXCED_RANGE: the command line would be too long.
inline constexpr std::uint32_t kErrorFilenameExcedRange = 206;

// How the wait for a started program ended.
enum class WaitResult {
  kProcessEnded,
  // No process to wait on, or the wait itself failed.
  kFailed,
  // The program was asked to quit (its main window was closed while the
  // started program ran).
  kQuit,
  // Windows ends the session, or Restart Manager closes the program for an
  // installation that replaces its file.
  kSessionEnding,
};

// How a window is shown.
enum class WindowState {
  kHidden,
  // Shown, restored to its normal size and place.
  kNormal,
  kMinimized,
  // Shown as it is.
  kShown,
};

struct ShellExecuteRequest {
  WindowHandle owner = 0;
  std::u16string_view verb;
  std::u16string_view file;
  std::u16string_view parameters;
  WindowState show = WindowState::kShown;
  // The started program's working folder; empty for the launcher's own.
  std::u16string_view directory;
};

// What starting a program gave: the started process (when the shell hands
// one back), and the error code, read right after the call; 0 when started.
struct StartResult {
  ProcessInformation info;
  std::uint32_t error = 0;
};

class Shell {
 public:
  virtual ~Shell() = default;
  virtual StartResult Execute(const ShellExecuteRequest& request) = 0;
  virtual void ReadStartupInfo(StartupInfo& info) = 0;
  virtual bool NotifyIcon(NotifyIconMessage message, const NotifyIconData& data) = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;
};

}  // namespace halvane
