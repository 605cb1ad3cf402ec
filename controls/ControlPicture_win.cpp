#include "controls/ControlPicture.h"

#include "framework/GdiObjects.h"

ControlPicture::~ControlPicture() { release(); }

HDC ControlPicture::prepare(int width, int height) {
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  if (m_dc && width == m_width && height == m_height) return m_dc;
  release();
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  m_bitmap = ::CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  m_dc = m_bitmap ? ::CreateCompatibleDC(nullptr) : nullptr;
  if (!m_dc) {
    release();
    return nullptr;
  }
  m_previous = ::SelectObject(m_dc, m_bitmap);
  m_width = width;
  m_height = height;
  return m_dc;
}

HDC ControlPicture::prepareOver(int width, int height, HBITMAP ground, POINT from) {
  HDC image = prepare(width, height);
  if (!image) return nullptr;
  if (ground) {
    MemoryDC source(image, ground);
    ::BitBlt(image, 0, 0, m_width, m_height, source, from.x, from.y, SRCCOPY);
  } else {
    ::PatBlt(image, 0, 0, m_width, m_height, BLACKNESS);
  }
  return image;
}

void ControlPicture::copyTo(HDC target) const {
  if (m_dc) ::BitBlt(target, 0, 0, m_width, m_height, m_dc, 0, 0, SRCCOPY);
}

void ControlPicture::release() {
  if (m_dc) {
    ::SelectObject(m_dc, m_previous);
    ::DeleteDC(m_dc);
  }
  if (m_bitmap) ::DeleteObject(m_bitmap);
  m_dc = nullptr;
  m_bitmap = nullptr;
  m_previous = nullptr;
  m_width = m_height = 0;
}
