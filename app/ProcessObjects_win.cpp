#include "app/ProcessObjects.h"

ConfigApp theApp;

MainDialog* mainDialog = nullptr;
HBITMAP skinBackdrop = nullptr;
HBITMAP backgroundBitmap = nullptr;
