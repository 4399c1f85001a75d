// One way for a window to reach its C++ object: the object is bound on
// WM_NCCREATE (so messages sent while the window is being created find it)
// and let go on WM_NCDESTROY (so no late message reaches an object that the
// window no longer belongs to). The class is registered once per process.
//
// T provides, for WindowBinding<T> (a friend):
//   void Bind(HWND window);       // the window is now T's
//   void Unbind();                // the window is gone
//   LRESULT HandleMessage(HWND, UINT, WPARAM, LPARAM);
// and creates its window with `this` as the creation parameter.
#pragma once

#include <windows.h>

namespace halvane::win32 {

template <class T>
class WindowBinding {
 public:
  // Registers the class on the first call; later calls change nothing. False
  // when the class could not be registered.
  static bool Register(WNDCLASSEXW wc) {
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WindowBinding::Proc;
    static const bool registered =
        RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
    return registered;
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_NCCREATE) {
      auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
      if (self)
        self->Bind(window);
    }
    T* self = reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self)
      return DefWindowProcW(window, message, wparam, lparam);
    if (message == WM_NCDESTROY) {
      SetWindowLongPtrW(window, GWLP_USERDATA, 0);
      const LRESULT result = self->HandleMessage(window, message, wparam, lparam);
      self->Unbind();
      return result;
    }
    return self->HandleMessage(window, message, wparam, lparam);
  }
};

}  // namespace halvane::win32
