// Cuts a skinned control's shape out of its bitmap by the colour key.
#pragma once
#include <windows.h>

#include "framework/GdiObjects.h"

// The colour key of the skin bitmaps as a COLORREF.
constexpr COLORREF kSkinKeyColor = RGB(255, 2, 255);

struct BitmapShape {
  GdiObject<HRGN> region;   // opaque pixels, one rectangle per run; empty if none
  GdiObject<HBITMAP> mask;  // monochrome: 1 where opaque, 0 where transparent
  int width = 0;
  int height = 0;
};

// A bitmap that cannot be read gives an empty region and mask, so the
// control is invisible rather than broken.
BitmapShape buildRegionFromBitmap(HBITMAP bitmap);

// Masked composition: where `mask` is 1, `bitmap` replaces what `target`
// shows at (x, y); elsewhere the target stays.
void composeMasked(HDC target, int x, int y, int width, int height, HBITMAP bitmap, HBITMAP mask);

// Copies the picture selected into `source` (from its top-left corner) to
// (x, y) of `target`, there only inside `shape`, a region in the picture's
// coordinates (no shape: the whole picture). The DC's clipping is restored.
void copyShaped(HDC target, int x, int y, int width, int height, HDC source, HRGN shape);
