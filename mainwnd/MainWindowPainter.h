// Paints the main window: the skin, then what the program draws over it.
// The picture is composed once into skinBackdrop and composed again only when
// something drawn on it changes (the DPI number and level, the headings and
// the row labels); a paint copies the part of it the system asks for.
#pragma once

#include <windows.h>

class MainDialog;

class MainWindowPainter {
public:
  static void paint(MainDialog& window);

  // The part of the bottom bar beside the version text that says whether the
  // mouse is connected. Any thread may invalidate it.
  static void invalidateStateLine(HWND window);

  // Something the picture shows changed in a way the painter does not see
  // (the skin itself was redrawn): compose afresh at the next paint.
  static void recompose();
};
