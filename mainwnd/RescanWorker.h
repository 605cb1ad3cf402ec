// Looking for the mice again, on a thread of its own that nobody waits for:
// the scan, the controls enabled for what it found, the report mask sent,
// and the window told what followed.
#pragma once
#include <windows.h>

#include "input/MouseSet.h"

// Posted by the worker: start the post-scan timer. Window timers belong to
// the window's thread, so the worker cannot start it itself.
constexpr UINT WM_APP_START_POSTSCAN = WM_APP + 122;
// Posted by the worker when it found another set of mice than the scan
// before (wParam 1 when a mouse of the scan before is missing).
constexpr UINT WM_APP_MICE_CHANGED = WM_APP + 0x2FB;

// The windows the worker touches. It holds handles, not the window's object:
// a worker that outlives the window then only makes calls that fail on a
// destroyed window, instead of reaching a destroyed object.
struct RescanWindows {
  HWND window = nullptr;
  HWND slider = nullptr;
  HWND levels = nullptr;     // the DPI levels' strip
  HWND boxes[5] = {};        // the four rows and the profile box
};

// Starts a worker; false when no thread could be made.
bool startRescanWorker(const RescanWindows& windows);

// Called by the worker with what the scans before and after it found:
// another set of mice makes the window's thread forget what the mice that are
// gone held.
void noteMouseSet(HWND mainWindow, const MouseSet& before, const MouseSet& after);
