// One way for a window to reach its C++ object: the object is bound on
// WM_NCCREATE (so messages sent while the window is being created find it)
// and let go on WM_NCDESTROY (so no late message reaches an object that the
// window no longer belongs to). The class is registered once per process.
//
// T provides, for WindowBinding<T> (a friend):
//   void Bind(HWND window);       // the window is now T's
//   void Unbind();                // the window is gone
//   LRESULT HandleMessage(HWND, UINT, WPARAM, LPARAM);
//   Application& Reports();       // where an error of a handler is shown
// and creates its window with `this` as the creation parameter.
//
// The window procedure is the one place where no exception may pass: every
// message is handled inside the event dispatch, which reports an error and
// counts the message as handled (0).
#pragma once

#include <windows.h>

#include "platform/EventDispatch.h"

namespace halvane::win32 {

template <class T>
class WindowBinding {
 public:
  // Registers the class on the first call; later calls change nothing. 0,
  // or the error that kept the class from being registered.
  static DWORD Register(WNDCLASSEXW wc) {
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WindowBinding::Proc;
    static const DWORD error = [&] {
      if (RegisterClassExW(&wc) != 0)
        return DWORD{0};
      const DWORD failed = GetLastError();
      return failed == ERROR_CLASS_ALREADY_EXISTS ? DWORD{0} : failed;
    }();
    return error;
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) noexcept {
    if (message == WM_NCCREATE) {
      auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      if (self)
        self->Bind(window);
    }
    T* self = reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
      return DefWindowProcW(window, message, wparam, lparam);
    if (message == WM_NCDESTROY)
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    LRESULT result = 0;
    Dispatch(self->Reports(),
             [&] { result = self->HandleMessage(window, message, wparam, lparam); });
    if (message == WM_NCDESTROY)
      self->Unbind();
    return result;
  }
};

}  // namespace halvane::win32
