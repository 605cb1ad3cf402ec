// A row of choices painted on the skin, made one tab stop for the keyboard:
// a window over the painted row that draws nothing and lets the mouse through
// to the window below it, so the row looks and clicks as before. Left and
// Right step through the choices, the digits 1.. pick one directly; what a
// choice does is the owner's.
#pragma once
#include <windows.h>

#include <functional>

#include "framework/CWnd.h"

class ChoiceStrip : public CWnd {
public:
  ChoiceStrip() = default;

  // `current` tells the choice now made (0-based, -1: none); `choose` is
  // called with the choice a key asks for, also when it is the current one.
  bool create(HWND parent, int id, const RECT& area, int choices, std::function<int()> current,
              std::function<void(int)> choose);

protected:
  DECLARE_MESSAGE_MAP()
  LRESULT OnNcHitTest(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnEraseBackground(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnPaint(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnGetDlgCode(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnKeyDown(UINT, WPARAM, LPARAM, BOOL&);
  LRESULT OnChar(UINT, WPARAM, LPARAM, BOOL&);

private:
  void onKey(WPARAM key);
  void onCharacter(WPARAM character);

  int m_choices = 0;
  std::function<int()> m_current;
  std::function<void(int)> m_choose;
};
