// Move-only owners of Windows handles: each closes its handle exactly once,
// on every path.
#pragma once

#include <windows.h>

#include <objbase.h>
#include <shlobj.h>

#include <utility>

namespace halvane::win32 {

template <class T, class Traits>
class UniqueOwner {
 public:
  UniqueOwner() = default;
  explicit UniqueOwner(T value) : value_(value) {}
  ~UniqueOwner() { Reset(); }
  UniqueOwner(UniqueOwner&& other) noexcept : value_(other.Release()) {}
  UniqueOwner& operator=(UniqueOwner&& other) noexcept {
    if (this != &other)
      Reset(other.Release());
    return *this;
  }
  UniqueOwner(const UniqueOwner&) = delete;
  UniqueOwner& operator=(const UniqueOwner&) = delete;

  T Get() const { return value_; }
  explicit operator bool() const { return value_ != Traits::Invalid(); }
  T Release() { return std::exchange(value_, Traits::Invalid()); }
  // Closing keeps the thread's last error: it may still be read.
  void Reset(T value = Traits::Invalid()) {
    if (value_ != Traits::Invalid()) {
      const DWORD error = GetLastError();
      Traits::Close(value_);
      SetLastError(error);
    }
    value_ = value;
  }
  // For out-parameters: frees what is held and gives the slot.
  T* Put() {
    Reset();
    return &value_;
  }

 private:
  T value_ = Traits::Invalid();
};

struct HKeyTraits {
  static HKEY Invalid() { return nullptr; }
  static void Close(HKEY key) { RegCloseKey(key); }
};
struct HandleTraits {
  static HANDLE Invalid() { return nullptr; }
  static void Close(HANDLE handle) { CloseHandle(handle); }
};
struct FileHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { CloseHandle(handle); }
};
struct FindHandleTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE find) { FindClose(find); }
};
struct ChangeNotificationTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE notification) { FindCloseChangeNotification(notification); }
};
struct WindowTraits {
  static HWND Invalid() { return nullptr; }
  static void Close(HWND window) {
    if (IsWindow(window))
      DestroyWindow(window);
  }
};
struct GdiTraits {
  static HGDIOBJ Invalid() { return nullptr; }
  static void Close(HGDIOBJ object) { DeleteObject(object); }
};
struct CoTaskStringTraits {
  static PWSTR Invalid() { return nullptr; }
  static void Close(PWSTR text) { CoTaskMemFree(text); }
};

struct MemoryDcTraits {
  static HDC Invalid() { return nullptr; }
  static void Close(HDC dc) { DeleteDC(dc); }
};

using UniqueHKey = UniqueOwner<HKEY, HKeyTraits>;
using UniqueHandle = UniqueOwner<HANDLE, HandleTraits>;
using UniqueFile = UniqueOwner<HANDLE, FileHandleTraits>;
// A folder listing (FindFirstFileExW to FindClose).
using UniqueFind = UniqueOwner<HANDLE, FindHandleTraits>;
using UniqueChangeNotification = UniqueOwner<HANDLE, ChangeNotificationTraits>;
using UniqueWindow = UniqueOwner<HWND, WindowTraits>;
using UniqueGdiObject = UniqueOwner<HGDIOBJ, GdiTraits>;
using UniqueCoTaskString = UniqueOwner<PWSTR, CoTaskStringTraits>;
// A memory device context (CreateCompatibleDC).
using UniqueMemoryDc = UniqueOwner<HDC, MemoryDcTraits>;

// A window's device context, from GetDC to ReleaseDC.
class WindowDc {
 public:
  explicit WindowDc(HWND window) : window_(window), dc_(GetDC(window)) {}
  ~WindowDc() {
    if (dc_)
      ReleaseDC(window_, dc_);
  }
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// The device context of WM_PAINT, from BeginPaint to EndPaint.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window), dc_(BeginPaint(window, &paint_)) {}
  ~PaintDc() { EndPaint(window_, &paint_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  PAINTSTRUCT paint_{};
  HDC dc_;
};

// An object selected into a device context; the one it replaced goes back.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object) : dc_(dc), old_(SelectObject(dc, object)) {}
  ~SelectedObject() {
    if (old_)
      SelectObject(dc_, old_);
  }
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A COM interface pointer that releases its reference.
template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  ~ComPtr() { Reset(); }
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) {
      Reset();
      p_ = std::exchange(other.p_, nullptr);
    }
    return *this;
  }
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;

  T* operator->() const { return p_; }
  T* Get() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T** Put() {
    Reset();
    return &p_;
  }
  void Reset() {
    if (p_) {
      const DWORD error = GetLastError();
      std::exchange(p_, nullptr)->Release();
      SetLastError(error);
    }
  }

 private:
  T* p_ = nullptr;
};

// A failed call's error: the one it set, or `fallback` when it set none
// (CreateWindowEx, for one, can fail without setting it).
inline DWORD ErrorOr(DWORD error, DWORD fallback) {
  return error != 0 ? error : fallback;
}

// COM on this thread for the object's lifetime. A failure is kept for what
// needs COM later (the file dialog reports it).
class ComApartment {
 public:
  explicit ComApartment(DWORD flags) : result_(CoInitializeEx(nullptr, flags)) {}
  ~ComApartment() {
    if (SUCCEEDED(result_))
      CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

  HRESULT Result() const { return result_; }

 private:
  HRESULT result_;
};

}  // namespace halvane::win32
