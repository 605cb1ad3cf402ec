// Entry point of the program.
#include <windows.h>

#include "app/ProcessObjects.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // The application object is a global, constructed before this runs.
  return AfxWinMain(theApp, instance);
}
