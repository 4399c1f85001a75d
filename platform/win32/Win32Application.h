// The application window, the event loop and the launcher's message boxes.
#pragma once

#include <windows.h>

#include "platform/Application.h"
#include "platform/win32/Handles.h"

namespace halvane::win32 {

class Win32Application : public Application {
 public:
  explicit Win32Application(HINSTANCE instance);
  ~Win32Application() override;

  HWND Window() const { return window_.Get(); }
  // The window whose dialog keys (Tab, access keys) the loops handle.
  void SetMainWindow(HWND main) { main_ = main; }

  void ShowApplicationWindow(int command) override;
  void ProcessMessages() override;
  void Terminate() override;
  IconHandle Icon() override;
  void ShowMessage(std::u16string_view text) override;
  void ShowError(std::u16string_view message) override;

  // Takes one message from the queue and handles it; false when it was the
  // request to quit.
  bool HandleMessage(const MSG& msg);
  // The event loop: shows the main window, then runs until the quit request.
  int Run();

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void Minimize();
  void Restore();

  HINSTANCE instance_;
  UniqueWindow window_;
  HWND main_ = nullptr;
  HICON icon_ = nullptr;
};

}  // namespace halvane::win32
