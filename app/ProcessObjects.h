// The process-wide objects and state of the program. The objects are defined
// in one file so that they are constructed in this order and destroyed in the
// reverse order.
#pragma once
#include <windows.h>

#include "app/ConfigApp.h"
#include "controls/KeyTable.h"
#include "framework/CFont.h"
#include "framework/CString.h"
#include "mainwnd/UiTexts.h"

class MainDialog;

extern ConfigApp theApp;

// Fonts of the skinned controls: entries 0, 1 and 2 hold "Tahoma" -14 (made by
// the main window's initialisation), 3 and 4 stay empty. Combo boxes use
// entry 2; a button's caption names its entry.
constexpr int kControlFontCount = 5;
extern CFont controlFonts[kControlFontCount];
// The replaceable texts (mainwnd/UiTexts.h): `uiTexts`. The key table
// (controls/KeyTable.h): `keyTable`.

// The folder of the executable with a trailing backslash.
extern CString programDirectory;
// The running main window, set during its initialisation.
extern MainDialog* mainDialog;

// Skin resources, loaded once by the main window and kept for the process.
extern HBITMAP skinBackdrop;      // back buffer the window paints into
extern HBITMAP backgroundBitmap;  // the clean skin
// Section headings of each language: [languageIndex][0] the buttons heading,
// [languageIndex][1] the DPI heading.
extern HBITMAP headingBitmaps[Language::Count][2];
