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

// The control's window class shows `cursor` from now on.
inline void setClassCursor(HWND control, HCURSOR cursor) {
  ::SetClassLongPtrA(control, GCLP_HCURSOR, reinterpret_cast<LONG_PTR>(cursor));
}
