// The window's first showing. The modal loop shows the dialog only when its
// queue first runs dry, so the window cannot act on it from its
// initialisation: it is shown normally once it is visible, hidden again
// under "/hide", and told when it first shows, to finish its start then.
#pragma once
#include <windows.h>

class CWnd;

// Posted to the window the first time it shows: the tray icon, which the
// window does not show, is added once the window is on the screen. A
// message posted from the initialisation would still come before it.
constexpr UINT WM_APP_FINISH_START = WM_APP + 123;

class FirstShow {
public:
  static constexpr UINT_PTR kShowNormalTimer = 104;
  static constexpr UINT kShowNormalPeriodMs = 2;
  static constexpr UINT_PTR kHideAtStartTimer = 202;
  static constexpr UINT kHideAtStartPeriodMs = 100;

  // `size`: the window's, which a hidden start keeps.
  FirstShow(CWnd& window, const SIZE& size) : m_window(window), m_size(size) {}

  // Shows the window normally once it is visible.
  void showNormally();
  // Under "/hide": hides it once it was shown.
  void hideOnceShown();
  // WM_SHOWWINDOW.
  void onShowWindow(bool shown);
  // True for its own timers.
  bool onTimer(UINT_PTR id);

private:
  CWnd& m_window;
  const SIZE& m_size;
  bool m_wasShown = false;
};
