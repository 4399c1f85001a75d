#include "ui/Splash.h"

#include <algorithm>

namespace halvane::ui {
namespace {

constexpr wchar_t kClassName[] = L"TSplash";
constexpr UINT kReleaseMessage = WM_APP + 1;

}  // namespace

TSplash::TSplash(HINSTANCE instance, HWND owner) {
  picture_.Reset(LoadImageW(instance, L"SPLASH", IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof(wc);
  wc.lpfnWndProc = &TSplash::WindowProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  wc.lpszClassName = kClassName;
  RegisterClassExW(&wc);

  // Centred on the rectangle spanning all monitors, never left of or above it.
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  const int x = std::max(left, left + GetSystemMetrics(SM_CXVIRTUALSCREEN) / 2 - kSplashWidth / 2);
  const int y = std::max(top, top + GetSystemMetrics(SM_CYVIRTUALSCREEN) / 2 - kSplashHeight / 2);
  window_.Reset(CreateWindowExW(0, kClassName, L"Splash", WS_POPUP, x, y, kSplashWidth,
                                kSplashHeight, owner, nullptr, instance, nullptr));
  SetWindowLongPtrW(window_.Get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TSplash::~TSplash() {
  if (window_)
    SetWindowLongPtrW(window_.Get(), GWLP_USERDATA, 0);
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
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(window_.Get(), &ps);
  if (picture_) {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(memory, picture_.Get());
    BitBlt(dc, 0, 0, kSplashWidth, kSplashHeight, memory, 0, 0, SRCCOPY);
    SelectObject(memory, old);
    DeleteDC(memory);
  }
  EndPaint(window_.Get(), &ps);
}

LRESULT CALLBACK TSplash::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* self = reinterpret_cast<TSplash*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_PAINT:
      if (self) {
        self->Paint();
        return 0;
      }
      break;
    case WM_ERASEBKGND:
      return 1;  // the picture covers everything
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case kReleaseMessage:
      if (self) {
        self->window_.Reset();
      } else {
        DestroyWindow(window);
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace halvane::ui
