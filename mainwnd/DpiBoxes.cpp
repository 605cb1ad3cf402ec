#include "mainwnd/DpiBoxes.h"

int dpiBoxHitTest(int x, int y, bool mousePresent) {
  if (!mousePresent) return -1;
  if (y < 368 || y >= 388) return -1;
  for (int k = 0; k < 4; ++k) {
    if (x > 40 + 30 * k && x < 60 + 30 * k) return k;
  }
  return -1;
}
