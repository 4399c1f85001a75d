// The application window, the event loop and the launcher's message boxes.
#pragma once

#include <windows.h>

#include "platform/Application.h"
#include "platform/win32/Handles.h"
#include "platform/win32/WindowBinding.h"

namespace halvane::win32 {

class Win32Application : public Application {
 public:
  explicit Win32Application(HINSTANCE instance);
  ~Win32Application() override;

  HWND Window() const { return window_.Get(); }
  // 0, or the error that kept the application window from being made.
  DWORD CreationError() const { return creation_error_; }
  // The window whose dialog keys (Tab, access keys) the loops handle.
  void SetMainWindow(HWND main) { main_ = main; }

  void ShowApplicationWindow(WindowState state) override;
  void ProcessMessages() override;
  WaitResult WaitForProcess(const Process* process, WaitObserver* observer) override;
  void Terminate() override;
  IconHandle Icon() override;
  void ShowMessage(std::u16string_view text) override;
  void ShowError(std::u16string_view message) override;
  std::u16string FromSystemCodePage(std::string_view text) override;

  // Handles one message taken from the queue; false when it was the
  // request to quit.
  bool Dispatch(const MSG& msg);
  // The event loop: shows the main window, then runs until the quit request.
  // The only loop that ends the program.
  int Run();

 private:
  friend class WindowBinding<Win32Application>;
  void Bind(HWND window) { window_.Reset(window); }
  void Unbind() { window_.Release(); }
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  Application& Reports() { return *this; }
  void Minimize();
  void Restore();

  HICON icon_ = nullptr;  // a shared resource icon: never destroyed
  DWORD creation_error_ = 0;
  HWND main_ = nullptr;
  bool terminating_ = false;
  // WM_ENDSESSION came: the program ends without showing anything again.
  bool session_ending_ = false;
  UniqueWindow window_;  // last: goes first
};

}  // namespace halvane::win32
