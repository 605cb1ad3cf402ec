#include "framework/CFont.h"

CFont::~CFont() { DeleteObject(); }

void CFont::DeleteObject() {
  if (m_hFont) ::DeleteObject(m_hFont);
  m_hFont = nullptr;
}

BOOL CFont::CreateFont(int height, const char* face, int weight) {
  DeleteObject();
  m_hFont = ::CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
  return m_hFont != nullptr;
}

BOOL CFont::CreateFontIndirect(const LOGFONTA& font) {
  DeleteObject();
  m_hFont = ::CreateFontIndirectA(&font);
  return m_hFont != nullptr;
}
