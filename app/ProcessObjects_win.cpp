#include "app/ProcessObjects.h"

#include "app/Seams.h"

ConfigApp theApp;
HidLink hidLink(systemHidBus());

CString programDirectory;
MainDialog* mainDialog = nullptr;
HBITMAP skinBackdrop = nullptr;
HBITMAP backgroundBitmap = nullptr;
