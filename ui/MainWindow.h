// The main window TForm1 as a Win32 window: its controls, their fonts and
// layout, keyboard handling, and the view operations the launcher's logic
// uses. Every event runs through the one event dispatch.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <string>

#include "launcher/LauncherView.h"
#include "platform/win32/Handles.h"
#include "platform/win32/Win32Application.h"
#include "platform/win32/WindowBinding.h"
#include "ui/OpenDialog.h"
#include "ui/Splash.h"

namespace halvane {
class TForm1;
}

namespace halvane::ui {

inline constexpr int kClientWidth = 440;
inline constexpr int kClientHeight = 301;
inline constexpr wchar_t kMainWindowClass[] = L"TForm1";
inline constexpr wchar_t kMainWindowCaption[] = L"Halvane 2023";

// Control identifiers; IDOK and IDCANCEL are not used, so Enter and Esc
// outside a button do nothing.
enum ControlId : int {
  kIdButton1 = 101,
  kIdButton2 = 102,
  kIdButton3 = 103,
  kIdPanel1 = 104,
  kIdEdit4 = 105,
  kIdLabel1 = 106,
  kIdLabel5 = 107,
  kIdImage1 = 108,
};

class MainWindow : public LauncherView {
 public:
  // `com`: how COM's start on this thread went (the file dialog needs it).
  // `shell`: the notification icon's service, told when the taskbar is
  // re-created.
  MainWindow(HINSTANCE instance, win32::Win32Application& app, Shell& shell, HRESULT com);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  void Attach(TForm1& form) { form_ = &form; }
  // 0, or the error that kept the window or its class from being made.
  DWORD CreationError() const { return creation_error_; }

  void SetEdit4Text(std::u16string_view text) override;
  void SetEnabled(ViewControl control, bool enabled) override;
  void SetPanel1Text(std::u16string_view text) override;
  void PressButton1() override;
  OpenDialogResult ExecuteOpenDialog1() override;
  WindowHandle Handle() override;
  void Close() override;
  void CreateSplash() override;
  void ShowSplash() override;
  void RepaintSplash() override;
  void ReleaseSplash() override;

 private:
  friend class win32::WindowBinding<MainWindow>;
  void Bind(HWND window) { window_.Reset(window); }
  void Unbind();
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  Application& Reports() { return app_; }
  void CreateControls();
  HWND Child(int id) const { return GetDlgItem(window_.Get(), id); }
  void PlaceRightAligned(int id, int right_edge, int top);
  void FocusFirstEnabled();
  void DrawImage1(const DRAWITEMSTRUCT& item);
  void DrawPanel1(const DRAWITEMSTRUCT& item);
  void CenterOnWorkArea();

  HINSTANCE instance_;
  win32::Win32Application& app_;
  Shell& shell_;
  TForm1* form_ = nullptr;
  // The fonts outlive the window and its controls, which use them: members
  // go in the reverse order of these lines, and the window is last here.
  win32::UniqueGdiObject font_;
  win32::UniqueGdiObject button1_font_;
  win32::UniqueGdiObject panel_font_;
  TOpenDialog open_dialog_;
  std::u16string panel_text_;
  HWND last_focus_ = nullptr;  // a control of this window; forgotten with it
  bool placed_ = false;
  DWORD creation_error_ = 0;
  UINT taskbar_created_ = 0;
  std::unique_ptr<TSplash> splash_;
  win32::UniqueWindow window_;
};

}  // namespace halvane::ui
