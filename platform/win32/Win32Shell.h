// Starting programs, the notification icon and waiting, over shell32 and kernel32.
#pragma once

#include "platform/Shell.h"
#include "platform/win32/Win32Application.h"

namespace halvane::win32 {

class Win32Shell : public Shell {
 public:
  // While waiting, messages are handled as `app`'s event loop handles them.
  explicit Win32Shell(Win32Application* app = nullptr) : app_(app) {}

  bool Execute(const ShellExecuteRequest& request, ProcessInformation& info) override;
  std::uint32_t LastError() override;
  void ReadStartupInfo(StartupInfo& info) override;
  bool NotifyIcon(NotifyIconMessage message, const NotifyIconData& data) override;
  std::uint32_t WaitForProcess(const Process* process) override;
  void Sleep(std::uint32_t milliseconds) override;

 private:
  Win32Application* app_;
};

// The handle of a process that Execute started.
HANDLE ProcessHandleOf(const Process& process);

}  // namespace halvane::win32
