#include "mainwnd/FirstShow.h"

#include "framework/CWnd.h"

void FirstShow::showNormally() { m_window.SetTimer(kShowNormalTimer, kShowNormalPeriodMs); }

void FirstShow::hideOnceShown() { m_window.SetTimer(kHideAtStartTimer, kHideAtStartPeriodMs); }

void FirstShow::onShowWindow(bool shown) {
  if (shown && !m_wasShown) {
    m_wasShown = true;
    m_window.PostMessage(WM_APP_FINISH_START);
  }
}

bool FirstShow::onTimer(UINT_PTR id) {
  switch (id) {
    case kShowNormalTimer:
      if (m_window.IsWindowVisible()) {
        m_window.ShowWindow(SW_SHOWNORMAL);
        m_window.KillTimer(kShowNormalTimer);
      }
      return true;
    case kHideAtStartTimer:
      // Hides the window each time it finds it visible; ends once it does
      // not, but not before the window was first shown: on a busy machine
      // that can come after the first tick.
      if (m_window.IsWindowVisible()) {
        m_window.SetWindowPos(nullptr, 0, 0, m_size.cx, m_size.cy, SWP_NOMOVE | SWP_NOZORDER);
        m_window.ShowWindow(SW_HIDE);
      } else if (m_wasShown) {
        m_window.KillTimer(kHideAtStartTimer);
      }
      return true;
    default:
      return false;
  }
}
