#include "app/ProcessObjects.h"

#include "input/Seams.h"

ConfigApp theApp;
HidLink hidLink(systemHidBus());
CMenu trayMenu;
UiTexts uiTexts;

bool hideAtStart = false;
bool closeSwitch = false;
HANDLE waitEventOpen = nullptr;
HANDLE waitEventClose = nullptr;
HANDLE machineCloseEvent = nullptr;

MainDialog* mainDialog = nullptr;
