#include "mainwnd/DpiBoxes.h"

int dpiBoxHitTest(int x, int y, bool mousePresent) {
  if (!mousePresent) return -1;
  if (y < kDpiBoxHitTop || y >= kDpiBoxHitBottom) return -1;
  for (int k = 0; k < 4; ++k) {
    if (x > kDpiBoxHitLeft + kDpiBoxPitch * k && x < kDpiBoxHitRight + kDpiBoxPitch * k) return k;
  }
  return -1;
}
