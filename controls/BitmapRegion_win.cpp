#include "controls/BitmapRegion.h"

#include <vector>

#include "controls/RegionRuns.h"
#include "framework/GdiObjects.h"

BitmapShape buildRegionFromBitmap(HBITMAP bitmap) {
  BitmapShape shape;
  BITMAP info = {};
  if (!bitmap || !::GetObjectA(bitmap, sizeof(info), &info) || info.bmWidth <= 0 || info.bmHeight <= 0) {
    shape.region.reset(::CreateRectRgn(0, 0, 0, 0));
    return shape;
  }
  shape.width = info.bmWidth;
  shape.height = info.bmHeight;

  // The pixels in the bitmap's own depth, rows top-down.
  int depth = info.bmBitsPixel;
  if (depth != 8 && depth != 16 && depth != 24 && depth != 32) depth = 32;
  std::vector<uint8_t> header(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD), 0);
  auto* bmi = reinterpret_cast<BITMAPINFO*>(header.data());
  bmi->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bmi->bmiHeader.biWidth = shape.width;
  bmi->bmiHeader.biHeight = -shape.height;
  bmi->bmiHeader.biPlanes = 1;
  bmi->bmiHeader.biBitCount = static_cast<WORD>(depth);
  bmi->bmiHeader.biCompression = BI_RGB;
  const size_t stride = dibStride(shape.width, depth);
  std::vector<uint8_t> pixels(stride * static_cast<size_t>(shape.height));
  const int rows = ::GetDIBits(WindowDC(nullptr), bitmap, 0, static_cast<UINT>(shape.height), pixels.data(), bmi,
                               DIB_RGB_COLORS);
  if (rows != shape.height) {
    shape.region.reset(::CreateRectRgn(0, 0, 0, 0));
    return shape;
  }

  PixelImage image{shape.width, shape.height, depth, stride, pixels.data(),
                   depth == 8 ? reinterpret_cast<const uint8_t*>(bmi->bmiColors) : nullptr};
  std::vector<RegionRect> runs = opaqueRuns(image);

  // The region, from the runs as they were found.
  std::vector<uint8_t> data(sizeof(RGNDATAHEADER) + runs.size() * sizeof(RECT));
  auto* rgn = reinterpret_cast<RGNDATA*>(data.data());
  rgn->rdh.dwSize = sizeof(RGNDATAHEADER);
  rgn->rdh.iType = RDH_RECTANGLES;
  rgn->rdh.nCount = static_cast<DWORD>(runs.size());
  rgn->rdh.rcBound = {0, 0, shape.width, shape.height};
  RECT* rects = reinterpret_cast<RECT*>(rgn->Buffer);
  for (size_t i = 0; i < runs.size(); ++i) rects[i] = {runs[i].left, runs[i].top, runs[i].right, runs[i].bottom};
  shape.region.reset(runs.empty() ? ::CreateRectRgn(0, 0, 0, 0)
                                  : ::ExtCreateRegion(nullptr, static_cast<DWORD>(data.size()), rgn));

  // The mask: white where opaque.
  shape.mask.reset(::CreateBitmap(shape.width, shape.height, 1, 1, nullptr));
  {
    GdiObject<HDC> dc(::CreateCompatibleDC(nullptr));
    ScopedSelect select(dc, shape.mask);
    RECT all = {0, 0, shape.width, shape.height};
    ::FillRect(dc, &all, static_cast<HBRUSH>(::GetStockObject(BLACK_BRUSH)));
    for (const RegionRect& r : runs) {
      RECT run = {r.left, r.top, r.right, r.bottom};
      ::FillRect(dc, &run, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    }
  }
  return shape;
}

void composeMasked(HDC target, int x, int y, int width, int height, HBITMAP bitmap, HBITMAP mask) {
  if (!bitmap) return;
  GdiObject<HDC> source(::CreateCompatibleDC(target));
  GdiObject<HDC> maskDc(::CreateCompatibleDC(target));
  {
    ScopedSelect selectBitmap(source, bitmap);
    ScopedSelect selectMask(maskDc, mask);
    ::SetBkColor(target, RGB(255, 255, 255));
    ::SetTextColor(target, RGB(0, 0, 0));
    if (mask) {
      // image := image AND NOT mask; then image := image OR (bitmap AND mask)
      ::BitBlt(target, x, y, width, height, maskDc, 0, 0, 0x00220326 /* DSna */);
      GdiObject<HBITMAP> part(::CreateCompatibleBitmap(target, width, height));
      {
        GdiObject<HDC> partDc(::CreateCompatibleDC(target));
        ScopedSelect selectPart(partDc, part);
        ::BitBlt(partDc, 0, 0, width, height, source, 0, 0, SRCCOPY);
        ::SetBkColor(partDc, RGB(255, 255, 255));
        ::SetTextColor(partDc, RGB(0, 0, 0));
        ::BitBlt(partDc, 0, 0, width, height, maskDc, 0, 0, SRCAND);
        ::BitBlt(target, x, y, width, height, partDc, 0, 0, SRCPAINT);
      }
    } else {
      ::BitBlt(target, x, y, width, height, source, 0, 0, SRCCOPY);
    }
  }
}

void copyShaped(HDC target, int x, int y, int width, int height, HDC source, HRGN shape) {
  SavedDC saved(target);
  if (shape) {
    ::OffsetRgn(shape, x, y);
    ::ExtSelectClipRgn(target, shape, RGN_COPY);
    ::OffsetRgn(shape, -x, -y);
  }
  ::BitBlt(target, x, y, width, height, source, 0, 0, SRCCOPY);
}
