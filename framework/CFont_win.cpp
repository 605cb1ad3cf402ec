#include "framework/CFont.h"

CFont::~CFont() {
  if (m_hFont) ::DeleteObject(m_hFont);
}

BOOL CFont::CreateFont(int height, const char* face) {
  if (m_hFont) ::DeleteObject(m_hFont);
  m_hFont = ::CreateFontA(height, 0, 0, 0, FW_DONTCARE, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, face);
  return m_hFont != nullptr;
}
