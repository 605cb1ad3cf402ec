// A push button control.
#pragma once
#include "framework/CWnd.h"

class CButton : public CWnd {
public:
  UINT GetState() const { return static_cast<UINT>(SendMessage(BM_GETSTATE)); }
};
