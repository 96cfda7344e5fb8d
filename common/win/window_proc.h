#pragma once
// The window and dialog procedures of classes whose objects handle their own windows'
// messages, written once. The object travels in the window's user data; nothing that a
// handler throws unwinds through the system's code.
#include <windows.h>

namespace winkit {

// For a window created with the object as its creation parameter: the object learns its
// window in `handle` and hears every message in OnMessage(message, wParam, lParam) until it
// lets the window go (sets `handle` to another), after which the system finishes alone.
template <class Window, HWND Window::*handle>
LRESULT CALLBACK WindowProcOf(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* self = static_cast<Window*>(reinterpret_cast<const CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    self->*handle = window;
  }
  auto* self = reinterpret_cast<Window*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!self || self->*handle != window) return DefWindowProcW(window, message, wParam, lParam);
  try {
    return self->OnMessage(message, wParam, lParam);
  } catch (...) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

// For a dialog given the object as its initialisation parameter: the object hears every
// message from WM_INITDIALOG on in OnDialogMessage(dialog, message, wParam, lParam); a
// handler that throws ends the dialog.
template <class Dialog>
INT_PTR CALLBACK DialogProcOf(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrW(dialog, GWLP_USERDATA, lParam);
  auto* self = reinterpret_cast<Dialog*>(GetWindowLongPtrW(dialog, GWLP_USERDATA));
  if (!self) return FALSE;
  try {
    return self->OnDialogMessage(dialog, message, wParam, lParam);
  } catch (...) {
    EndDialog(dialog, 0);
    return TRUE;
  }
}

}  // namespace winkit
