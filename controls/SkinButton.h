// A push button painted from skin bitmaps: one per state (normal, hover,
// pressed, disabled), cut to the shape of its normal bitmap by the colour key,
// with an optional caption drawn over it.
#pragma once
#include "controls/ControlPicture.h"
#include "framework/CButton.h"
#include "framework/CFont.h"
#include "framework/GdiObjects.h"

class SkinButton : public CButton {
public:
  SkinButton() = default;
  ~SkinButton() override;

  // bitmaps: normal, hover, pressed, disabled (a fifth entry is accepted and
  // not used). The button takes the size and shape of the normal bitmap.
  // captionMode 1 draws the window text over it in `captionFont` (the
  // system's GUI font when null); 0 draws none.
  void setSkin(const HBITMAP bitmaps[5], HBITMAP backdrop, int captionMode, HFONT captionFont);

  BOOL PreTranslateMessage(MSG* msg) override;

  // What a paint copies to the screen: the button as it looks now, composed
  // again only when its state bitmap, caption, caption colour, font or place
  // changed since the last paint. Null before setSkin.
  HDC picture();
  // The part of the button that shows (the face's bounds) and, drawn at
  // `at` in the parent's DC, what the button's own paint shows now: only
  // the pixels of its shape; false before setSkin. The window paints its controls along with
  // itself this way.
  SIZE shownSize() const { return {m_width, m_height}; }
  bool drawInto(HDC target, POINT at);

  HBITMAP m_normalBitmap = nullptr;
  HBITMAP m_hoverBitmap = nullptr;
  HBITMAP m_pressedBitmap = nullptr;
  HBITMAP m_disabledBitmap = nullptr;
  HBITMAP m_backdrop = nullptr;
  GdiObject<HBITMAP> m_mask;
  int m_width = 0;
  int m_height = 0;
  bool m_hovering = false;
  bool m_pressed = false;
  int m_captionMode = 0;
  HFONT m_captionFont = nullptr;

protected:
  DECLARE_MESSAGE_MAP()
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnCtlColor(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnFocusChange(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnSetText(UINT, WPARAM, LPARAM, BOOL&);

  // The state bitmap to show now.
  HBITMAP currentBitmap() const;

private:
  // Everything the picture depends on besides the skin set by setSkin.
  struct Look {
    HBITMAP face = nullptr;
    bool lightCaption = false;
    CString caption;
    HFONT font = nullptr;
    POINT origin = {0, 0};  // in the parent, where the backdrop is taken from
    bool operator==(const Look& other) const;
  };
  Look currentLook() const;
  HFONT captionFont() const;
  // The look's caption over the bitmap, centred, made to fit the face.
  void drawCaption(HDC image, const Look& look);

  // The size a caption is drawn in, worked out once per caption, font and
  // face width: the font itself, or a smaller one of the same face.
  struct CaptionFit {
    bool valid = false;
    CString text;
    HFONT base = nullptr;
    int room = 0;
    CFont smaller;
    SIZE extent = {0, 0};
  };
  const CaptionFit& fitCaption(HDC image, const CString& text, HFONT font);

  ControlPicture m_picture;
  GdiObject<HRGN> m_shape;  // the window region's shape, kept by the control
  Look m_shown;
  CaptionFit m_fit;
  // The window text, taken when the button is skinned and at each WM_SETTEXT:
  // asking for it on every paint cost more than the rest of the paint.
  CString m_caption;
};
