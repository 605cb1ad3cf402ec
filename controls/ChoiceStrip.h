// A row of choices painted on the skin, made one tab stop for the keyboard:
// a window over the painted row that draws nothing and lets the mouse through
// to the window below it, so the row looks and clicks as before. Left and
// Right step through the choices, the digits 1.. pick one directly; what a
// choice does is the owner's.
#pragma once
#include <windows.h>

#include <functional>

class ChoiceStrip {
public:
  ChoiceStrip() = default;
  ~ChoiceStrip();
  ChoiceStrip(const ChoiceStrip&) = delete;
  ChoiceStrip& operator=(const ChoiceStrip&) = delete;

  // `current` tells the choice now made (0-based, -1: none); `choose` is
  // called with the choice a key asks for, also when it is the current one.
  bool create(HWND parent, int id, const RECT& area, int choices, std::function<int()> current,
              std::function<void(int)> choose);

  HWND m_hWnd = nullptr;

private:
  static LRESULT CALLBACK windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
  void onKey(WPARAM key);
  void onCharacter(WPARAM character);

  int m_choices = 0;
  std::function<int()> m_current;
  std::function<void(int)> m_choose;
};
