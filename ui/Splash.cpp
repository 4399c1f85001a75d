#include "ui/Splash.h"

#include <algorithm>

namespace halvane::ui {
namespace {

constexpr wchar_t kClassName[] = L"TSplash";
constexpr UINT kReleaseMessage = WM_APP + 1;

}  // namespace

TSplash::TSplash(HINSTANCE instance, HWND owner, Application& reports) : reports_(reports) {
  // Without its picture the splash shows its background; without its
  // window there is no splash. Neither stops the start-up, so neither is
  // reported.
  picture_.Reset(LoadImageW(instance, L"SPLASH", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  WNDCLASSEXW wc{};
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = kClassName;
  if (win32::WindowBinding<TSplash>::Register(wc) != 0)
    return;

  // Centred on the rectangle spanning all monitors, never left of or above it.
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int x = std::max(left, left + GetSystemMetrics(SM_CXVIRTUALSCREEN) / 2 - kSplashWidth / 2);
  const int y = std::max(top, top + GetSystemMetrics(SM_CYVIRTUALSCREEN) / 2 - kSplashHeight / 2);
  CreateWindowExW(0, kClassName, L"Splash", WS_POPUP, x, y, kSplashWidth, kSplashHeight, owner,
                  nullptr, instance, this);
}

TSplash::~TSplash() {
  window_.Reset();
}

void TSplash::Show() {
  ShowWindow(window_.Get(), SW_SHOW);
  SetForegroundWindow(window_.Get());
}

void TSplash::Repaint() {
  InvalidateRect(window_.Get(), nullptr, FALSE);
  UpdateWindow(window_.Get());
  GdiFlush();
}

void TSplash::Release() {
  if (window_)
    PostMessageW(window_.Get(), kReleaseMessage, 0, 0);
}

void TSplash::Paint() {
  win32::PaintDc dc(window_.Get());
  if (!picture_)
    return;
  win32::UniqueMemoryDc memory(CreateCompatibleDC(dc.Get()));
  win32::SelectedObject picture(memory.Get(), picture_.Get());
  BitBlt(dc.Get(), 0, 0, kSplashWidth, kSplashHeight, memory.Get(), 0, 0, SRCCOPY);
}

LRESULT TSplash::HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;  // the picture covers everything
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case kReleaseMessage:
      window_.Reset();
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace halvane::ui
