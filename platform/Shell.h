// The shell and process services: starting a program, the notification-area
// icon and pausing. (Waiting for a process is a message loop: Application.)
// The launcher describes what it wants in these records; the Win32 layer
// alone builds the system's records from them.
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
  // What the system waits on for the process's end.
  virtual std::uintptr_t Waitable() const = 0;
};

// The launcher's own start-up information, as far as it keeps it: how it
// was asked to show itself.
struct StartupInfo {
  std::uint32_t flags = 0;
  std::uint16_t show_window = 0;
};

// A started program: the process the launch waits on.
struct ProcessInformation {
  std::unique_ptr<Process> process;
};

// The launcher's icon in the notification area.
inline constexpr std::size_t kTipLength = 128;  // the tip's field, its terminator included
struct NotifyIconData {
  WindowHandle window = 0;  // receives the callback message
  std::uint32_t id = 0;
  std::uint32_t flags = 0;  // what the icon carries: kNifMessage | kNifIcon | kNifTip
  std::uint32_t callback_message = 0;
  IconHandle icon = 0;
  std::u16string tip;  // at most kTipLength - 1 characters are shown
};

inline constexpr std::uint32_t kNifMessage = 1;
inline constexpr std::uint32_t kNifIcon = 2;
inline constexpr std::uint32_t kNifTip = 4;

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
  // Shows the icon in the notification area until it is removed; while it
  // is shown, a re-created taskbar (Explorer restarted) gets it again.
  virtual bool ShowIcon(const NotifyIconData& icon) = 0;
  // Removes it; a taskbar re-created later brings nothing back.
  virtual bool RemoveIcon(const NotifyIconData& icon) = 0;
  // The taskbar was re-created (the "TaskbarCreated" message).
  virtual void TaskbarCreated() = 0;
  virtual void Sleep(std::uint32_t milliseconds) = 0;
};

}  // namespace halvane
