// The process-wide objects and state of the program, in the order they are
// constructed. The objects are defined in one file, so that they are
// constructed in this order and destroyed in the reverse order.
// Everything else belongs to its owner: the skin, the magnifier and the
// window's own state to the main window (mainwnd/MainDialog.h).
#pragma once
#include <windows.h>

#include "app/ConfigApp.h"
#include "controls/KeyTable.h"
#include "device/HidLink.h"
#include "device/MouseConfig.h"
#include "device/ProgramDirectory.h"
#include "mainwnd/MainDialog.h"
#include "mainwnd/TrayIcon.h"
#include "texts/UiTexts.h"

// Constructed before the program starts, none of them touching the mouse, a
// file or the registry:
extern ConfigApp theApp;
// Then the road to the mouse `hidLink` (device/HidLink.h).
// Then the notification-area menu `trayMenu` (mainwnd/TrayIcon.h).
// Then the replaceable texts `uiTexts` (texts/UiTexts.h). The key names
// `keyTable` (controls/KeyTable.h) are constant-initialised, so they exist
// before any of these. The configuration model `mouseModel`
// (device/MouseModel.h) is made before `main` too; nothing above touches it.

// Set by the start-up from the command line: "/close" here, "/hide" as
// `hideAtStart` (mainwnd/MainDialog.h).
extern bool closeSwitch;
// The single-instance events of the session: a later copy signals them.
extern HANDLE waitEventOpen;
extern HANDLE waitEventClose;
// The close request of every session's copy at once (a setup's).
extern HANDLE machineCloseEvent;
// The folder of the executable (device/ProgramDirectory.h), set by the main
// window's initialisation before any file is read.

// The running main window `mainDialog` (mainwnd/MainDialog.h).
