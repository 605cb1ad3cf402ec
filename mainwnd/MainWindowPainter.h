// Paints the main window: the skin, then what the program draws over it.
#pragma once

class MainDialog;

class MainWindowPainter {
public:
  static void paint(MainDialog& window);
};
