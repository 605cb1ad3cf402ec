// The DPI slider: a trackbar drawn with flat fills over the window's skin,
// which tells its parent whenever its position changes.
#pragma once
#include "controls/ControlPicture.h"
#include "framework/CSliderCtrl.h"

// Posted to the parent (wParam: the slider's window) on a new position.
constexpr UINT WM_APP_SLIDER_MOVED = 11882;

class SkinSlider : public CSliderCtrl {
public:
  SkinSlider() = default;
  ~SkinSlider() override = default;

  // The slider is drawn over `ground`, the window's clean skin.
  void setSkin(HBITMAP ground) { m_ground = ground; }

  BOOL PreTranslateMessage(MSG* msg) override;

  // What a paint copies to the screen: the channel and the thumb over the
  // skin, composed again only when the thumb moved, the slider was enabled or
  // disabled, or it changed size or place since the last paint.
  HDC picture();

  // The slider's size and, drawn at `at` in the parent's DC, what its own
  // paint shows now. The window paints its controls along with itself this
  // way.
  SIZE shownSize() const;
  bool drawInto(HDC target, POINT at);

  bool m_tracking = false;
  int m_lastPosition = -1;
  UINT m_notifyMessage = WM_APP_SLIDER_MOVED;
  HBITMAP m_ground = nullptr;

protected:
  DECLARE_MESSAGE_MAP()
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEnable(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnCtlColor(UINT, WPARAM, LPARAM, BOOL&);

private:
  // Everything the picture depends on.
  struct Look {
    bool enabled = false;
    RECT thumb = {0, 0, 0, 0};
    RECT inParent = {0, 0, 0, 0};  // the client area in the parent's coordinates
    HBITMAP skin = nullptr;
    bool operator==(const Look& other) const;
  };
  Look currentLook();

  ControlPicture m_picture;
  Look m_shown;
};
