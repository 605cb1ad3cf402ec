// Mouse tracking shared by the skinned controls.
#pragma once
#include <windows.h>

#include "app/ProcessObjects.h"

// Asks for a WM_MOUSELEAVE when the mouse leaves the control.
inline void trackMouseLeave(HWND control) {
  TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, control, 0};
  ::TrackMouseEvent(&track);
}

// The first move over a control: it shows its hover state until the mouse
// leaves.
inline void beginHover(HWND control, int& hovering) {
  if (hovering) return;
  hovering = 1;
  ::InvalidateRect(control, nullptr, FALSE);
  trackMouseLeave(control);
}

// The window class of `window` shows `cursor` from now on.
inline void setClassCursor(HWND window, HCURSOR cursor) {
  if (reinterpret_cast<HCURSOR>(::GetClassLongPtrA(window, GCLP_HCURSOR)) != cursor)
    ::SetClassLongPtrA(window, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
}

// The hover and pressed states of a skinned button or combo box, following
// the mouse messages queued to it (or to its drop-down list); each change repaints the control, and the
// hand shows while the mouse is over it.
inline void followMouse(HWND control, const MSG& msg, int& hovering, int& pressed) {
  switch (msg.message) {
    case WM_MOUSEMOVE:
      beginHover(control, hovering);
      setClassCursor(control, handCursor());
      return;
    case WM_LBUTTONDOWN:
      pressed = 1;
      break;
    case WM_LBUTTONUP:
      pressed = 0;
      break;
    case WM_MOUSELEAVE:
      hovering = 0;
      break;
    default:
      return;
  }
  // An owner-drawn control does not repaint itself on these.
  ::InvalidateRect(control, nullptr, FALSE);
}
