// Starting programs, the notification icon and pausing, over shell32 and kernel32.
#pragma once

#include "platform/Shell.h"
#include "platform/win32/Win32Process.h"

namespace halvane::win32 {

class Win32Shell : public Shell {
 public:
  StartResult Execute(const ShellExecuteRequest& request) override;
  void ReadStartupInfo(StartupInfo& info) override;
  bool NotifyIcon(NotifyIconMessage message, const NotifyIconData& data) override;
  void Sleep(std::uint32_t milliseconds) override;
};

}  // namespace halvane::win32
