// A push button control.
#pragma once
#include "framework/CWnd.h"

class CButton : public CWnd {
public:
  UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
  void SetButtonStyle(UINT style, BOOL redraw = TRUE) { SendMessage(BM_SETSTYLE, style, redraw); }
};
