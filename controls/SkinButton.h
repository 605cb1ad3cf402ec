// A push button painted from skin bitmaps: one per state (normal, hover,
// pressed, disabled), cut to the shape of its normal bitmap by the colour key,
// with an optional caption drawn over it.
#pragma once
#include "framework/CButton.h"

class SkinButton : public CButton {
public:
  SkinButton() = default;
  ~SkinButton() override;

  // bitmaps: normal, hover, pressed, disabled (a fifth entry is accepted and
  // not used). The button takes the size and shape of the normal bitmap.
  void setSkin(const HBITMAP bitmaps[5], HBITMAP backdrop, int captionMode, int fontIndex);

  BOOL PreTranslateMessage(MSG* msg) override;

  HBITMAP normalBitmap = nullptr;
  HBITMAP hoverBitmap = nullptr;
  HBITMAP pressedBitmap = nullptr;
  HBITMAP disabledBitmap = nullptr;
  HBITMAP backdrop = nullptr;
  HBITMAP mask = nullptr;
  HRGN region = nullptr;
  int width = 0;
  int height = 0;
  int hovering = 0;
  int pressed = 0;
  int captionMode = 0;
  int fontIndex = 0;

protected:
  DECLARE_MESSAGE_MAP()
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnCtlColor(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnFocusChange(UINT, WPARAM, LPARAM, BOOL&);

  // The state bitmap to show now.
  HBITMAP currentBitmap() const;
  // The window text over the bitmap, centred, made to fit the face.
  void drawCaption(HDC image);
};
