// Paints the main window: the skin, then what the program draws over it.
#pragma once

#include <windows.h>

class MainDialog;

class MainWindowPainter {
public:
  static void paint(MainDialog& window);

  // The part of the bottom bar beside the version text that says whether the
  // mouse is connected. Any thread may invalidate it.
  static void invalidateStateLine(HWND window);
};
