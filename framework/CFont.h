// A GDI font owned by the object: the program's one owning font type (the
// other GDI objects are GdiObject's). Fonts the code only borrows (a
// control's, the system's GUI font) stay raw HFONTs.
#pragma once
#include <windows.h>

class CFont {
public:
  CFont() = default;
  ~CFont();
  CFont(const CFont&) = delete;
  CFont& operator=(const CFont&) = delete;

  // The program's fonts: no decorations, DEFAULT_CHARSET, antialiased,
  // default pitch and family; the default weight unless told. Any font held
  // before is deleted.
  BOOL CreateFont(int height, const char* face, int weight = FW_DONTCARE);
  BOOL CreateFontIndirect(const LOGFONTA& font);
  // Deletes the font; the object holds none.
  void DeleteObject();
  operator HFONT() const { return m_hFont; }
  HFONT GetSafeHandle() const { return m_hFont; }

  HFONT m_hFont = nullptr;
};
