// The process-wide objects and state of the program. The objects are defined
// in one file so that they are constructed in this order and destroyed in the
// reverse order.
#pragma once
#include <windows.h>

#include "app/ConfigApp.h"
#include "device/HidLink.h"
#include "framework/CString.h"

class MainDialog;

extern ConfigApp theApp;
// The road to the mouse, over the seam's HID bus.
extern HidLink hidLink;

// The folder of the executable with a trailing backslash.
extern CString programDirectory;
// The running main window, set during its initialisation.
extern MainDialog* mainDialog;

// Skin resources, loaded once by the main window and kept for the process.
extern HBITMAP skinBackdrop;      // back buffer the window paints into
extern HBITMAP backgroundBitmap;  // the clean skin
