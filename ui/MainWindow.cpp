#include "ui/MainWindow.h"

#include <algorithm>

#include "launcher/Form1.h"
#include "platform/EventDispatch.h"
#include "platform/win32/WideText.h"
#include "ui/Focus.h"

namespace halvane::ui {
namespace {

constexpr wchar_t kFontFace[] = L"ＭＳ Ｐゴシック";
constexpr wchar_t kNotice[] = L"Copyright (C) 2023 Fenwright";

// The font, or nothing. A control without its font shows the system's:
// the window works all the same, so a failure is passed over.
HFONT MakeFont(int pixels, int weight) {
  return CreateFontW(-pixels, 0, 0, 0, weight, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                     DEFAULT_PITCH | FF_DONTCARE, kFontFace);
}

int ControlOf(ViewControl control) {
  switch (control) {
    case ViewControl::kButton1:
      return kIdButton1;
    case ViewControl::kButton2:
      return kIdButton2;
    case ViewControl::kButton3:
      return kIdButton3;
    case ViewControl::kEdit4:
      return kIdEdit4;
  }
  return 0;
}

}  // namespace

MainWindow::MainWindow(HINSTANCE instance, win32::Win32Application& app, Shell& shell, HRESULT com)
    : instance_(instance), app_(app), shell_(shell), open_dialog_(com) {
  font_.Reset(MakeFont(12, FW_NORMAL));
  button1_font_.Reset(MakeFont(19, FW_BOLD));
  panel_font_.Reset(MakeFont(13, FW_NORMAL));
  taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");

  WNDCLASSEXW wc{};
  wc.hInstance = instance;
  wc.hIcon = LoadIconW(instance, L"MAINICON");
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_SCROLLBAR + 1);
  wc.lpszClassName = kMainWindowClass;
  creation_error_ = win32::WindowBinding<MainWindow>::Register(wc);
  if (creation_error_ != 0)
    return;

  const DWORD style = WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  const DWORD ex_style = WS_EX_CONTROLPARENT;
  RECT frame{0, 0, kClientWidth, kClientHeight};
  AdjustWindowRectEx(&frame, style, FALSE, ex_style);
  const HWND created = CreateWindowExW(
      ex_style, kMainWindowClass, kMainWindowCaption, style, CW_USEDEFAULT, CW_USEDEFAULT,
      frame.right - frame.left, frame.bottom - frame.top, app.Window(), nullptr, instance, this);
  const DWORD error = GetLastError();
  if (!created) {
    creation_error_ = win32::ErrorOr(error, ERROR_INVALID_WINDOW_HANDLE);
    return;
  }
  CreateControls();
  app_.SetMainWindow(window_.Get());
}

MainWindow::~MainWindow() {
  // The splash and the window go while everything they use is still here.
  splash_.reset();
  window_.Reset();
}

void MainWindow::Unbind() {
  window_.Release();
  last_focus_ = nullptr;
  app_.SetMainWindow(nullptr);
}

void MainWindow::CreateControls() {
  HWND parent = window_.Get();
  auto make = [&](const wchar_t* cls, const wchar_t* text, DWORD style, DWORD ex_style, int id,
                  int x, int y, int w, int h, HGDIOBJ font) {
    HWND child =
        CreateWindowExW(ex_style, cls, text, WS_CHILD | WS_VISIBLE | style, x, y, w, h, parent,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance_, nullptr);
    SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
  };
  // Creation order is the tab order: Button1, Edit4, Button2.
  make(L"STATIC", L"", SS_OWNERDRAW, 0, kIdImage1, 15, 12, 33, 33, font_.Get());
  make(L"BUTTON", L"Halvane 2023 を起動 (&R)", BS_PUSHBUTTON | WS_TABSTOP, 0, kIdButton1, 106, 10,
       326, 37, button1_font_.Get());
  make(L"STATIC", L"メッセージ ：", SS_RIGHT | SS_NOPREFIX, 0, kIdLabel1, 38, 118, 62, 12,
       font_.Get());
  make(L"STATIC", L"", SS_OWNERDRAW, 0, kIdPanel1, 106, 114, 323, 21, panel_font_.Get());
  HWND edit = make(L"EDIT", L"", ES_LEFT | ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE, kIdEdit4,
                   107, 229, 322, 21, panel_font_.Get());
  SendMessageW(edit, EM_SETLIMITTEXT, 0, 0);
  make(L"BUTTON", L"AutoCAD検索", BS_PUSHBUTTON | WS_TABSTOP, 0, kIdButton2, 8, 227, 88, 25,
       font_.Get());
  make(L"STATIC", kNotice, SS_RIGHT | SS_NOPREFIX, 0, kIdLabel5, 8, 270, 266, 12, font_.Get());
  make(L"BUTTON", L"終了 (&X)", BS_PUSHBUTTON, 0, kIdButton3, 296, 265, 136, 25, font_.Get());
  // The labels fit their text and keep their right edges.
  PlaceRightAligned(kIdLabel1, 100, 118);
  PlaceRightAligned(kIdLabel5, 274, 270);
}

void MainWindow::PlaceRightAligned(int id, int right_edge, int top) {
  HWND label = Child(id);
  wchar_t text[256];
  const int length = GetWindowTextW(label, text, 256);
  SIZE size{};
  {
    win32::WindowDc dc(label);
    win32::SelectedObject font(dc.Get(), font_.Get());
    GetTextExtentPoint32W(dc.Get(), text, length, &size);
  }
  SetWindowPos(label, nullptr, right_edge - size.cx, top, size.cx, 12,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::CenterOnWorkArea() {
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  RECT frame{};
  GetWindowRect(window_.Get(), &frame);
  const int width = frame.right - frame.left;
  const int height = frame.bottom - frame.top;
  const int x = std::max<int>(GetSystemMetrics(SM_XVIRTUALSCREEN),
                              work.left + (work.right - work.left - width) / 2);
  const int y = std::max<int>(GetSystemMetrics(SM_YVIRTUALSCREEN),
                              work.top + (work.bottom - work.top - height) / 2);
  SetWindowPos(window_.Get(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void MainWindow::FocusFirstEnabled() {
  for (const int id : {kIdButton1, kIdEdit4, kIdButton2}) {
    if (IsWindowEnabled(Child(id))) {
      GiveFocus(window_.Get(), Child(id));
      return;
    }
  }
}

void MainWindow::DrawImage1(const DRAWITEMSTRUCT& item) {
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_SCROLLBAR));
  DrawIconEx(item.hDC, 0, 0, reinterpret_cast<HICON>(app_.Icon()), 32, 32, 0, nullptr, DI_NORMAL);
}

void MainWindow::DrawPanel1(const DRAWITEMSTRUCT& item) {
  RECT rect = item.rcItem;
  FillRect(item.hDC, &rect, GetSysColorBrush(COLOR_SCROLLBAR));
  DrawEdge(item.hDC, &rect, BDR_RAISEDINNER, BF_RECT);
  InflateRect(&rect, -1, -1);
  const std::wstring text = win32::Wide(panel_text_);
  const int saved = SaveDC(item.hDC);
  IntersectClipRect(item.hDC, rect.left, rect.top, rect.right, rect.bottom);
  SelectObject(item.hDC, panel_font_.Get());
  SetTextColor(item.hDC, RGB(255, 0, 0));
  SetBkMode(item.hDC, TRANSPARENT);
  DrawTextW(item.hDC, text.c_str(), static_cast<int>(text.size()), &rect,
            DT_SINGLELINE | DT_CENTER | DT_VCENTER | DT_NOPREFIX);
  RestoreDC(item.hDC, saved);
}

LRESULT MainWindow::HandleMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == kIconCallbackMessage) {
    if (form_) {
      const TMessage msg{message, static_cast<std::uint32_t>(wparam),
                         static_cast<std::int32_t>(lparam), 0};
      form_->ICONMessage(msg);
    }
    return 0;
  }
  if (taskbar_created_ != 0 && message == taskbar_created_) {
    shell_.TaskbarCreated();
    return 0;
  }
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED && form_) {
        switch (LOWORD(wparam)) {
          case kIdButton1:
            form_->Button1Click();
            return 0;
          case kIdButton2:
            form_->Button2Click();
            return 0;
          case kIdButton3:
            form_->Button3Click();
            return 0;
          default:
            break;
        }
      }
      break;
    case WM_SHOWWINDOW:
      if (wparam && !placed_) {
        placed_ = true;
        CenterOnWorkArea();
      }
      break;
    case WM_ACTIVATE:
      if (LOWORD(wparam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window, focus))
          last_focus_ = focus;
      } else {
        if (last_focus_ && IsWindowEnabled(last_focus_)) {
          GiveFocus(window, last_focus_);
        } else {
          FocusFirstEnabled();
        }
        return 0;
      }
      break;
    case WM_SYSCOMMAND:
      // Minimising the main window minimises the application to its button.
      if ((wparam & 0xFFF0) == SC_MINIMIZE) {
        SendMessageW(app_.Window(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
        return 0;
      }
      break;
    case WM_DRAWITEM: {
      const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item.CtlID == kIdImage1)
        DrawImage1(item);
      if (item.CtlID == kIdPanel1)
        DrawPanel1(item);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      if (reinterpret_cast<HWND>(lparam) != Child(kIdEdit4)) {
        SetBkMode(reinterpret_cast<HDC>(wparam), TRANSPARENT);
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_SCROLLBAR));
      }
      break;
    case WM_CLOSE:
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void MainWindow::SetEdit4Text(std::u16string_view text) {
  if (!window_)
    return;  // closed while the launch waited: nothing left to change
  SetWindowTextW(Child(kIdEdit4), win32::Wide(text).c_str());
}

void MainWindow::SetEnabled(ViewControl control, bool enabled) {
  if (!window_)
    return;  // closed while the launch waited: nothing left to change
  HWND child = Child(ControlOf(control));
  if (!enabled && GetFocus() == child) {
    // Leave the focus where the keyboard can still reach it: the next
    // control of the tab order (WM_NEXTDLGCTL works in dialogs only).
    const HWND next = GetNextDlgTabItem(window_.Get(), child, FALSE);
    if (next && next != child)
      GiveFocus(window_.Get(), next);
  }
  EnableWindow(child, enabled);
}

void MainWindow::SetPanel1Text(std::u16string_view text) {
  panel_text_ = text;
  if (!window_)
    return;
  // Drawn by the window from panel_text_; the control's own text is the
  // same, for screen readers and for whoever reads the window.
  SetWindowTextW(Child(kIdPanel1), win32::Wide(panel_text_).c_str());
  InvalidateRect(Child(kIdPanel1), nullptr, TRUE);
}

void MainWindow::PressButton1() {
  if (!window_)
    return;  // closed while the launch waited: nothing left to change
  SendMessageW(window_.Get(), WM_COMMAND, MAKEWPARAM(kIdButton1, BN_CLICKED),
               reinterpret_cast<LPARAM>(Child(kIdButton1)));
}

OpenDialogResult MainWindow::ExecuteOpenDialog1() {
  if (!window_)
    return {};
  return open_dialog_.Execute(window_.Get());
}

WindowHandle MainWindow::Handle() {
  return reinterpret_cast<WindowHandle>(window_.Get());
}

void MainWindow::Close() {
  if (!window_)
    return;  // closed while the launch waited: nothing left to change
  PostMessageW(window_.Get(), WM_CLOSE, 0, 0);
}

void MainWindow::CreateSplash() {
  splash_ = std::make_unique<TSplash>(instance_, app_.Window(), app_);
}

void MainWindow::ShowSplash() {
  if (splash_)
    splash_->Show();
}

void MainWindow::RepaintSplash() {
  if (splash_)
    splash_->Repaint();
}

void MainWindow::ReleaseSplash() {
  if (splash_)
    splash_->Release();
}

}  // namespace halvane::ui
