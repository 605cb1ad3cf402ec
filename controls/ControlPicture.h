// A skinned control's composed picture, kept from one paint to the next: a
// paint copies it to the screen in one go, and the control composes it again
// only when something it shows has changed (state, text, font, place).
#pragma once
#include <windows.h>

#include <memory>

#include "framework/GdiObjects.h"

class ControlPicture {
public:
  // A 32-bit picture of this size to compose into, kept selected in its own
  // memory DC. The size of the last one is reused; its pixels are then the
  // last composition's. Null when the picture cannot be made.
  HDC prepare(int width, int height);
  // The same, with the picture starting as what `ground` shows at `from`
  // (black without a ground): what lies behind the control.
  HDC prepareOver(int width, int height, HBITMAP ground, POINT from);

  // Copies the whole picture to (0, 0) of `target`.
  void copyTo(HDC target) const;

  // Lets the picture go (with its DC); the next paint composes afresh.
  void release() { m_image.reset(); }

  HDC dc() const { return m_image ? static_cast<HDC>(*m_image) : nullptr; }
  int width() const { return m_image ? m_image->width() : 0; }
  int height() const { return m_image ? m_image->height() : 0; }

private:
  std::unique_ptr<OffscreenImage> m_image;
};
