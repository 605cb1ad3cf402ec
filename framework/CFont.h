// A GDI font owned by the object.
#pragma once
#include <windows.h>

class CFont {
public:
  CFont() = default;
  ~CFont();
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;

  // The program's fonts: default weight, no decorations, DEFAULT_CHARSET,
  // antialiased, default pitch and family.
  BOOL CreateFont(int height, const char* face);
  operator HFONT() const { return m_hFont; }
  HFONT GetSafeHandle() const { return m_hFont; }

  HFONT m_hFont = nullptr;
};
