// Paints the main window: the skin, then what the program draws over it.
// The picture is composed once into the skin's backdrop and composed again
// only when something drawn on it changes (the DPI number and level, the
// headings and the row labels); a paint copies the part of it the system
// asks for.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

class PaintedWindow;

class MainWindowPainter {
public:
  void paint(PaintedWindow& window);

  // The part of the bottom bar beside the version text that says whether the
  // mouse is connected, or else whether the last save failed. Any thread may
  // invalidate it.
  static void invalidateStateLine(HWND window);
  // Where that line is drawn, behind the version text; `dc` has the bar's
  // font selected.
  static RECT stateLineArea(HDC dc);

private:
  // Everything the composed picture depends on besides the fixed skin, fonts
  // and version text. While it stays the same, a paint only copies the
  // composed picture to the screen.
  struct Composition {
    bool valid = false;
    int width = 0;
    int height = 0;
    HBITMAP buttonsHeading = nullptr;
    HBITMAP dpiHeading = nullptr;
    POINT numberOrigin = {0, 0};
    int sliderPos = 0;
    int32_t dpiLevel = 0;
    std::string labels[4];
    bool mouseMissing = false;
    bool settingsUnsaved = false;
    RECT focusRing = {0, 0, 0, 0};
    std::string profileNotice;

    bool operator==(const Composition& other) const;
  };
  static Composition currentComposition(const PaintedWindow& window);
  // Draws the skin and everything over it into the backdrop, which the
  // skinned controls also take the pixels behind them from.
  static void compose(HDC reference, const PaintedWindow& window, const Composition& what);

  Composition m_composed;  // what the backdrop holds now
};
