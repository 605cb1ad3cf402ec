// The process-wide objects and state of the program. The objects are defined
// in one file so that they are constructed in this order and destroyed in the
// reverse order.
#pragma once
#include <windows.h>

#include "app/ConfigApp.h"
#include "app/ProgramDirectory.h"
#include "controls/KeyTable.h"
#include "device/HidLink.h"
#include "framework/CFont.h"
#include "framework/CMenu.h"
#include "framework/CString.h"
#include "mainwnd/UiTexts.h"

class MainDialog;
class ZoomWindow;

extern ConfigApp theApp;
// The road to the mouse, over the seam's HID bus.
extern HidLink hidLink;

// Also process-wide: the replaceable texts `uiTexts` (mainwnd/UiTexts.h) and
// the key table `keyTable` (controls/KeyTable.h).

// The running main window, set during its initialisation.
extern MainDialog* mainDialog;

// Start-up switches: "/hide" and "/close".
extern int hideAtStart;
extern int closeSwitch;
// The single-instance events: a later copy pulses them.
extern HANDLE waitEventOpen;
extern HANDLE waitEventClose;

// The notification-area menu (resource 129).
extern CMenu trayMenu;

// Fonts of the skinned controls: entries 0, 1 and 2 hold "Tahoma" -14 (three
// separate handles), 3 and 4 stay empty. Button captions pick an entry by
// index; combo boxes use entry 2.
extern CFont controlFonts[5];

// "Tahoma" -16 (row labels, DPI number) and -12 (version text).
extern CFont fontTahoma16;
extern CFont fontTahoma12;

// Skin resources, loaded once by the main window and kept for the process.
extern HBITMAP skinBackdrop;      // back buffer the window paints into
extern HBITMAP backgroundBitmap;  // the clean skin, also the slider's ground
// Section headings of each language: [languageIndex][0] the buttons heading,
// [languageIndex][1] the DPI heading.
extern HBITMAP headingBitmaps[Language::Count][2];
extern HCURSOR savedClassCursor;  // the window class cursor as it was at start
// Bitmap sets of the skinned controls, in the order the controls take them.
extern HBITMAP defaultButtonBitmaps[5];
extern HBITMAP comboBitmaps[4];
extern HBITMAP closeButtonBitmaps[5];
extern HBITMAP minimizeButtonBitmaps[5];
// Notification-area icons 134, 133, 132 at 24 x 24.
extern HICON trayIcons[3];
// "Local\OxarWaitEvent": exists while the window runs; nothing waits on it.
extern HANDLE localWaitEvent;
// The magnifier, created hidden by the main window; no command shows it.
extern ZoomWindow* zoomWindow;

// The hand shown over the active part of a skinned control (cursor 107).
HCURSOR handCursor();
