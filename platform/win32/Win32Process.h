// A process that the shell started, as the launcher holds it.
#pragma once

#include <windows.h>

#include "platform/Shell.h"
#include "platform/win32/Handles.h"

namespace halvane::win32 {

class Win32Process : public Process {
 public:
  explicit Win32Process(HANDLE handle) : handle_(handle) {}
  HANDLE Get() const { return handle_.Get(); }

 private:
  UniqueHandle handle_;
};

// The handle of a started process.
inline HANDLE ProcessHandleOf(const Process& process) {
  return static_cast<const Win32Process&>(process).Get();
}

}  // namespace halvane::win32
