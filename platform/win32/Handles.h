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
  void Reset(T value = Traits::Invalid()) {
    if (value_ != Traits::Invalid())
      Traits::Close(value_);
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
struct PidlTraits {
  static LPITEMIDLIST Invalid() { return nullptr; }
  static void Close(LPITEMIDLIST pidl) { CoTaskMemFree(pidl); }
};
struct CoTaskStringTraits {
  static PWSTR Invalid() { return nullptr; }
  static void Close(PWSTR text) { CoTaskMemFree(text); }
};

using UniqueHKey = UniqueOwner<HKEY, HKeyTraits>;
using UniqueHandle = UniqueOwner<HANDLE, HandleTraits>;
using UniqueFile = UniqueOwner<HANDLE, FileHandleTraits>;
using UniqueWindow = UniqueOwner<HWND, WindowTraits>;
using UniqueGdiObject = UniqueOwner<HGDIOBJ, GdiTraits>;
using UniquePidl = UniqueOwner<LPITEMIDLIST, PidlTraits>;
using UniqueCoTaskString = UniqueOwner<PWSTR, CoTaskStringTraits>;

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
    if (p_)
      std::exchange(p_, nullptr)->Release();
  }

 private:
  T* p_ = nullptr;
};

// COM on this thread for the object's lifetime.
class ComApartment {
 public:
  explicit ComApartment(DWORD flags) : ok_(SUCCEEDED(CoInitializeEx(nullptr, flags))) {}
  ~ComApartment() {
    if (ok_)
      CoUninitialize();
  }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;

 private:
  bool ok_;
};

}  // namespace halvane::win32
