// The splash window: the splash picture, borderless, centred on the whole
// desktop, owned by the application window.
#pragma once

#include <windows.h>

#include "platform/win32/Handles.h"
#include "platform/win32/WindowBinding.h"

namespace halvane::ui {

inline constexpr int kSplashWidth = 340;
inline constexpr int kSplashHeight = 180;

class TSplash {
 public:
  // `reports`: where an error of its window's handlers is shown.
  TSplash(HINSTANCE instance, HWND owner, Application& reports);
  TSplash(const TSplash&) = delete;
  TSplash& operator=(const TSplash&) = delete;
  ~TSplash();

  // A picture or a window that cannot be made is passed over: the start-up
  // goes on without the splash, or without its picture.
  void Show();
  void Repaint();
  // Posts the request to destroy the window and returns at once.
  void Release();

 private:
  friend class win32::WindowBinding<TSplash>;
  void Bind(HWND window) { window_.Reset(window); }
  void Unbind() { window_.Release(); }
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  Application& Reports() { return reports_; }
  void Paint();

  Application& reports_;
  win32::UniqueGdiObject picture_;
  win32::UniqueWindow window_;  // last: goes before the picture it shows
};

}  // namespace halvane::ui
