// A process that the shell started, as the launcher holds it.
#pragma once

#include <windows.h>

#include <utility>

#include "platform/Shell.h"
#include "platform/win32/Handles.h"

namespace halvane::win32 {

class Win32Process : public Process {
 public:
  explicit Win32Process(UniqueHandle handle) : handle_(std::move(handle)) {}
  std::uintptr_t Waitable() const override {
    return reinterpret_cast<std::uintptr_t>(handle_.Get());
  }

 private:
  UniqueHandle handle_;
};

// The handle of a started process.
inline HANDLE ProcessHandleOf(const Process& process) {
  return reinterpret_cast<HANDLE>(process.Waitable());
}

}  // namespace halvane::win32
