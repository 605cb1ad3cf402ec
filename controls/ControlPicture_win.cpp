#include "controls/ControlPicture.h"

HDC ControlPicture::prepare(int width, int height) {
  if (width < 1) width = 1;
  if (height < 1) height = 1;
  if (m_image && width == m_image->width() && height == m_image->height()) return *m_image;
  m_image = std::make_unique<OffscreenImage>(nullptr, width, height);
  if (!m_image->valid()) m_image.reset();
  return dc();
}

HDC ControlPicture::prepareOver(int width, int height, HBITMAP ground, POINT from) {
  HDC image = prepare(width, height);
  if (!image) return nullptr;
  if (ground) {
    MemoryDC source(image, ground);
    ::BitBlt(image, 0, 0, m_image->width(), m_image->height(), source, from.x, from.y, SRCCOPY);
  } else {
    ::PatBlt(image, 0, 0, m_image->width(), m_image->height(), BLACKNESS);
  }
  return image;
}

void ControlPicture::copyTo(HDC target) const {
  if (m_image) m_image->copyTo(target);
}
