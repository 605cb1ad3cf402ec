#include "controls/ControlPicture.h"

#include "framework/GdiObjects.h"

ControlPicture::~ControlPicture() { release(); }

HDC ControlPicture::prepare(int width, int height) {
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  if (dc_ && width == width_ && height == height_) return dc_;
  release();
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  bitmap_ = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  dc_ = bitmap_ ? ::CreateCompatibleDC(nullptr) : nullptr;
  if (!dc_) {
    release();
    return nullptr;
  }
  previous_ = ::SelectObject(dc_, bitmap_);
  width_ = width;
  height_ = height;
  return dc_;
}

HDC ControlPicture::prepareOver(int width, int height, HBITMAP ground, POINT from) {
  HDC image = prepare(width, height);
  if (!image) return nullptr;
  if (ground) {
    MemoryDC source(image, ground);
    ::BitBlt(image, 0, 0, width_, height_, source, from.x, from.y, SRCCOPY);
  } else {
    ::PatBlt(image, 0, 0, width_, height_, BLACKNESS);
  }
  return image;
}

void ControlPicture::copyTo(HDC target) const {
  if (dc_) ::BitBlt(target, 0, 0, width_, height_, dc_, 0, 0, SRCCOPY);
}

void ControlPicture::release() {
  if (dc_) {
    ::SelectObject(dc_, previous_);
    ::DeleteDC(dc_);
  }
  if (bitmap_) ::DeleteObject(bitmap_);
  dc_ = nullptr;
  bitmap_ = nullptr;
  previous_ = nullptr;
  width_ = height_ = 0;
}
