#include "app/ProcessObjects.h"

ConfigApp theApp;

CString programDirectory;
MainDialog* mainDialog = nullptr;
HBITMAP skinBackdrop = nullptr;
HBITMAP backgroundBitmap = nullptr;
