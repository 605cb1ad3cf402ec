// A trackbar control.
#pragma once
#include <windows.h>
#include <commctrl.h>

#include "framework/CWnd.h"

class CSliderCtrl : public CWnd {
public:
  int GetPos() const { return static_cast<int>(SendMessage(TBM_GETPOS)); }
  void SetPos(int position) { SendMessage(TBM_SETPOS, TRUE, position); }
  void SetRange(int minimum, int maximum, BOOL redraw = FALSE) {
    SendMessage(TBM_SETRANGE, redraw, MAKELPARAM(minimum, maximum));
  }
  void GetThumbRect(RECT* rect) const { SendMessage(TBM_GETTHUMBRECT, 0, reinterpret_cast<LPARAM>(rect)); }
};
