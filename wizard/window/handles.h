#pragma once
// Owning holders for the Win32 handles the window uses. Each releases its
// handle the way the system wants it released, once.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <utility>

namespace qelwipe::win {

template <class Handle, class Traits>
class Unique {
 public:
  Unique() = default;
  explicit Unique(Handle handle) : handle_(handle) {}
  Unique(const Unique&) = delete;
  Unique& operator=(const Unique&) = delete;
  Unique(Unique&& other) noexcept : handle_(std::exchange(other.handle_, Traits::Invalid())) {}
  Unique& operator=(Unique&& other) noexcept {
    std::swap(handle_, other.handle_);
    return *this;
  }
  ~Unique() { reset(); }

  Handle get() const { return handle_; }
  explicit operator bool() const { return handle_ != Traits::Invalid(); }
  void reset(Handle handle = Traits::Invalid()) {
    if (handle_ != Traits::Invalid()) Traits::Close(handle_);
    handle_ = handle;
  }
  Handle release() { return std::exchange(handle_, Traits::Invalid()); }

 private:
  Handle handle_ = Traits::Invalid();
};

// Imported functions have no constant address: each closer is wrapped once here.
inline void CloseFileHandle(HANDLE handle) { CloseHandle(handle); }
inline void CloseFind(HANDLE handle) { FindClose(handle); }
inline void DeleteGdiObject(HGDIOBJ object) { DeleteObject(object); }
inline void CloseKey(HKEY key) { RegCloseKey(key); }
// Identifier lists go back through the shell's allocator.
inline void FreePidl(PIDLIST_ABSOLUTE pidl) { CoTaskMemFree(pidl); }
inline void DestroyIconChecked(HICON icon) { DestroyIcon(icon); }
inline void DestroyMenuChecked(HMENU menu) { DestroyMenu(menu); }
inline void DestroyImageList(HIMAGELIST list) { ImageList_Destroy(list); }
inline void DeleteDcChecked(HDC dc) { DeleteDC(dc); }

template <class Handle, void (*CloseFunction)(Handle)>
struct NullTraits {
  static constexpr Handle Invalid() { return nullptr; }
  static void Close(Handle handle) { CloseFunction(handle); }
};
// File and search handles fail as INVALID_HANDLE_VALUE, not as null.
template <void (*CloseFunction)(HANDLE)>
struct InvalidValueTraits {
  static HANDLE Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(HANDLE handle) { CloseFunction(handle); }
};

using UniqueFile = Unique<HANDLE, InvalidValueTraits<CloseFileHandle>>;
using UniqueFind = Unique<HANDLE, InvalidValueTraits<CloseFind>>;
using UniqueKey = Unique<HKEY, NullTraits<HKEY, CloseKey>>;
using UniquePidl = Unique<PIDLIST_ABSOLUTE, NullTraits<PIDLIST_ABSOLUTE, FreePidl>>;
using UniqueIcon = Unique<HICON, NullTraits<HICON, DestroyIconChecked>>;
using UniqueMenu = Unique<HMENU, NullTraits<HMENU, DestroyMenuChecked>>;
using UniqueImageList = Unique<HIMAGELIST, NullTraits<HIMAGELIST, DestroyImageList>>;
// A memory device context.
using UniqueDc = Unique<HDC, NullTraits<HDC, DeleteDcChecked>>;

// The screen's device context, borrowed for as long as this lives.
class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() {
    if (dc_) ReleaseDC(nullptr, dc_);
  }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC get() const { return dc_; }

 private:
  HDC dc_;
};

// Fonts, brushes and bitmaps.
template <class Object>
class UniqueGdi {
 public:
  UniqueGdi() = default;
  explicit UniqueGdi(Object object) : object_(object) {}
  Object get() const { return static_cast<Object>(object_.get()); }
  explicit operator bool() const { return static_cast<bool>(object_); }
  void reset(Object object = nullptr) { object_.reset(object); }
  Object release() { return static_cast<Object>(object_.release()); }

 private:
  Unique<HGDIOBJ, NullTraits<HGDIOBJ, DeleteGdiObject>> object_;
};
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniqueBitmap = UniqueGdi<HBITMAP>;

}  // namespace qelwipe::win
