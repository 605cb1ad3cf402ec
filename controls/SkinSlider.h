// The DPI slider: a trackbar drawn with flat fills over the window's skin,
// which tells its parent whenever its position changes.
#pragma once
#include "framework/CSliderCtrl.h"

// Posted to the parent (wParam: the slider's window) on a new position.
constexpr UINT WM_APP_SLIDER_MOVED = 11882;

class SkinSlider : public CSliderCtrl {
public:
  SkinSlider() = default;
  ~SkinSlider() override = default;

  BOOL PreTranslateMessage(MSG* msg) override;

  int tracking = 0;
  int lastPosition = -1;
  UINT notifyMessage = WM_APP_SLIDER_MOVED;

protected:
  DECLARE_MESSAGE_MAP()
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnSetCursor(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEnable(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnCtlColor(UINT, WPARAM, LPARAM, BOOL&);
};
