#include "app/ProcessObjects.h"

#include "app/Seams.h"
#include "resource.h"

ConfigApp theApp;
HidLink hidLink(systemHidBus());
CFont controlFonts[5];
CMenu trayMenu;
UiTexts uiTexts;
// keyTable (controls/KeyTable.cpp) comes next in order; it is
// constant-initialised, so it exists before any of these.

int hideAtStart = 0;
int closeSwitch = 0;
HANDLE waitEventOpen = nullptr;
HANDLE waitEventClose = nullptr;

MainDialog* mainDialog = nullptr;
HBITMAP skinBackdrop = nullptr;
HBITMAP backgroundBitmap = nullptr;
HBITMAP headingBitmaps[Language::Count][2] = {};
HCURSOR savedClassCursor = nullptr;
CFont fontTahoma16;
CFont fontTahoma12;
HBITMAP defaultButtonBitmaps[5] = {};
HBITMAP comboBitmaps[4] = {};
HBITMAP closeButtonBitmaps[5] = {};
HBITMAP minimizeButtonBitmaps[5] = {};
HICON trayIcons[3] = {};
HANDLE localWaitEvent = nullptr;
ZoomWindow* zoomWindow = nullptr;

HCURSOR handCursor() {
  static HCURSOR hand = ::LoadCursorA(AfxGetInstanceHandle(), MAKEINTRESOURCEA(IDC_HAND_CURSOR));
  return hand;
}
