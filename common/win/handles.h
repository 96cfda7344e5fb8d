#pragma once
// Owning holders for Win32 handles. Each releases its handle the way the system
// wants it released, once.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <utility>

namespace winkit {

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
  // For an out parameter: releases what is held and gives the slot.
  Handle* put() {
    reset();
    return &handle_;
  }

 private:
  Handle handle_ = Traits::Invalid();
};

// Imported functions have no constant address: each closer is wrapped once here.
inline void CloseKernelHandle(HANDLE handle) { CloseHandle(handle); }
inline void CloseFind(HANDLE handle) { FindClose(handle); }
inline void CloseKey(HKEY key) { RegCloseKey(key); }
template <class Object>
void DeleteGdiObject(Object object) {
  DeleteObject(object);
}
// Shell identifier lists and other blocks the system hands out go back through COM's allocator.
template <class Pointer>
void FreeCoTaskMem(Pointer block) {
  CoTaskMemFree(block);
}
// Blocks the system hands out from LocalAlloc: security descriptors, SID strings.
template <class Pointer>
void FreeLocal(Pointer block) {
  LocalFree(block);
}
// Page-aligned blocks from VirtualAlloc, as unbuffered file reads and writes need them.
inline void ReleaseVirtual(void* block) { VirtualFree(block, 0, MEM_RELEASE); }
inline void DestroyIconHandle(HICON icon) { DestroyIcon(icon); }
inline void DestroyMenuHandle(HMENU menu) { DestroyMenu(menu); }
inline void DestroyImageList(HIMAGELIST list) { ImageList_Destroy(list); }
inline void DeleteMemoryDc(HDC dc) { DeleteDC(dc); }

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

using UniqueFile = Unique<HANDLE, InvalidValueTraits<CloseKernelHandle>>;
using UniqueFind = Unique<HANDLE, InvalidValueTraits<CloseFind>>;
// Process, thread and token handles fail as null.
using UniqueKernelObject = Unique<HANDLE, NullTraits<HANDLE, CloseKernelHandle>>;
using UniqueKey = Unique<HKEY, NullTraits<HKEY, CloseKey>>;
template <class Object>
using UniqueGdi = Unique<Object, NullTraits<Object, DeleteGdiObject<Object>>>;
using UniqueFont = UniqueGdi<HFONT>;
using UniqueBrush = UniqueGdi<HBRUSH>;
using UniqueBitmap = UniqueGdi<HBITMAP>;
template <class Pointer>
using UniqueCoTaskMem = Unique<Pointer, NullTraits<Pointer, FreeCoTaskMem<Pointer>>>;
using UniquePidl = UniqueCoTaskMem<PIDLIST_ABSOLUTE>;
template <class Pointer>
using UniqueLocal = Unique<Pointer, NullTraits<Pointer, FreeLocal<Pointer>>>;
using UniqueVirtualBlock = Unique<void*, NullTraits<void*, ReleaseVirtual>>;
using UniqueIcon = Unique<HICON, NullTraits<HICON, DestroyIconHandle>>;
using UniqueMenu = Unique<HMENU, NullTraits<HMENU, DestroyMenuHandle>>;
using UniqueImageList = Unique<HIMAGELIST, NullTraits<HIMAGELIST, DestroyImageList>>;
// A device context made with CreateCompatibleDC; the screen's is borrowed instead.
using UniqueMemoryDc = Unique<HDC, NullTraits<HDC, DeleteMemoryDc>>;

// A block the shell allocated (an identifier list above all), freed through the allocator it
// came from, which stays alive for as long as the block is held.
template <class Pointer>
class ShellMemory {
 public:
  explicit ShellMemory(IMalloc* allocator) : allocator_(allocator) {
    if (allocator_) allocator_->AddRef();
  }
  ~ShellMemory() {
    reset();
    if (allocator_) allocator_->Release();
  }
  ShellMemory(const ShellMemory&) = delete;
  ShellMemory& operator=(const ShellMemory&) = delete;

  Pointer get() const { return block_; }
  explicit operator bool() const { return block_ != nullptr; }
  void reset() {
    if (block_ && allocator_) allocator_->Free(const_cast<void*>(static_cast<const void*>(block_)));
    block_ = nullptr;
  }
  // For an out parameter: frees what is held and gives the slot.
  Pointer* put() {
    reset();
    return &block_;
  }

 private:
  IMalloc* allocator_;
  Pointer block_ = nullptr;
};
using ShellPidl = ShellMemory<PIDLIST_ABSOLUTE>;
using ShellChildPidl = ShellMemory<PITEMID_CHILD>;

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

}  // namespace winkit
