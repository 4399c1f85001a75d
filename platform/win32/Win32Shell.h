// Starting programs, the notification icon and pausing, over shell32 and kernel32.
#pragma once

#include <windows.h>

#include <shellapi.h>

#include <optional>

#include "platform/Shell.h"
#include "platform/win32/Win32Process.h"

namespace halvane::win32 {

// Shell_NotifyIconW, or a stand-in that records what it is given.
using NotifyIconFunction = BOOL(WINAPI*)(DWORD message, PNOTIFYICONDATAW data);

class Win32Shell : public Shell {
 public:
  explicit Win32Shell(NotifyIconFunction notify_icon = &Shell_NotifyIconW)
      : notify_icon_(notify_icon) {}

  StartResult Execute(const ShellExecuteRequest& request) override;
  void ReadStartupInfo(StartupInfo& info) override;
  bool ShowIcon(const NotifyIconData& icon) override;
  bool RemoveIcon(const NotifyIconData& icon) override;
  void TaskbarCreated() override;
  void Sleep(std::uint32_t milliseconds) override;

 private:
  NotifyIconFunction notify_icon_;
  // The icon wanted in the notification area, as the system is given it:
  // from ShowIcon, whether or not the taskbar took it then, to RemoveIcon.
  std::optional<NOTIFYICONDATAW> shown_;
};

}  // namespace halvane::win32
