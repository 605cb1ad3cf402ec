// Mouse tracking shared by the skinned controls.
#pragma once
#include <windows.h>

#include "framework/CWinApp.h"
#include "resource.h"

// The hand shown over the active part of a skinned control (cursor 107): a
// resource of the program, shared by every control and never freed.
inline HCURSOR handCursor() {
  static const HCURSOR hand = ::LoadCursorA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDC_HAND_CURSOR));
  return hand;
}

// Asks for a WM_MOUSELEAVE when the mouse leaves the control.
inline void trackMouseLeave(HWND control) {
  TRACKMOUSEEVENT track = {sizeof(track), TME_LEAVE, control, 0};
  ::TrackMouseEvent(&track);
}

// The first move over a control: it shows its hover state until the mouse
// leaves.
inline void beginHover(HWND control, bool& hovering) {
  if (hovering) return;
  hovering = true;
  ::InvalidateRect(control, nullptr, FALSE);
  trackMouseLeave(control);
}

// WM_SETCURSOR of a skinned control (or of the window over its DPI boxes):
// the hand while the mouse is over the client area. Answered before default
// processing, which would let the parent choose first. The window classes
// are never changed: they are the system's, shared by every button, combo
// box and dialog of the process.
inline bool showHandCursor(LPARAM hitTest) {
  if (LOWORD(hitTest) != HTCLIENT) return false;
  ::SetCursor(handCursor());
  return true;
}

// The hover and pressed states of a skinned button or combo box, following
// the mouse messages queued to it (or to its drop-down list); each change repaints the control, and the
// hand shows while the mouse is over it.
inline void followMouse(HWND control, const MSG& msg, bool& hovering, bool& pressed) {
  switch (msg.message) {
    case WM_MOUSEMOVE:
      beginHover(control, hovering);
      return;
    case WM_LBUTTONDOWN:
      pressed = true;
      break;
    case WM_LBUTTONUP:
      pressed = false;
      break;
    case WM_MOUSELEAVE:
      hovering = false;
      break;
    default:
      return;
  }
  // An owner-drawn control does not repaint itself on these.
  ::InvalidateRect(control, nullptr, FALSE);
}
