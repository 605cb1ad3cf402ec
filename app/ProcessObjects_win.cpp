#include "app/ProcessObjects.h"

ConfigApp theApp;
CFont controlFonts[kControlFontCount];
UiTexts uiTexts;
// keyTable (controls/KeyTable.cpp) comes next in order; it is
// constant-initialised, so it exists before any of these.

CString programDirectory;
MainDialog* mainDialog = nullptr;
HBITMAP skinBackdrop = nullptr;
HBITMAP backgroundBitmap = nullptr;
HBITMAP headingBitmaps[Language::Count][2] = {};
