// The places of the DPI display, which painting and repainting share.
#pragma once
#include <windows.h>

#include "mainwnd/DpiBoxes.h"

class CSliderCtrl;

struct DpiNumberPlace {
  POINT textOrigin;  // (R + 8, T - 10)
  RECT area;         // (R, 350) to (R + 100, 400): repainted when the number changes
};
constexpr POINT kDpiNumberOffset = {8, -10};  // from (R, T)
constexpr int kDpiNumberAreaWidth = 100;
constexpr int kDpiNumberAreaTop = 350;
constexpr int kDpiNumberAreaBottom = 400;

// R is the right edge of the slider's client rectangle, T the vertical centre
// of its thumb, both in the window's client coordinates.
DpiNumberPlace dpiNumberPlace(HWND window, const CSliderCtrl& slider);

// The strip of the four DPI level boxes, repainted when the level changes.
constexpr RECT kDpiBoxStrip = {18, 350, 168, 400};
// The white outline of the current level's box: box 0's, and box k's
// kDpiBoxPitch pixels further right for each k.
constexpr RECT kDpiBoxOutline = {41, 366, 61, 386};

