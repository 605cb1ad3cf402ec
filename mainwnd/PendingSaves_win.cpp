#include "mainwnd/PendingSaves.h"

#include "device/MouseModel.h"
#include "device/SettingsFile.h"
#include "framework/CWnd.h"
#include "mainwnd/MainWindowPainter.h"
#include "mainwnd/ProfileBox.h"

void PendingSaves::saveSettings() {
  const bool saved = ::saveSettings();
  // A save that an exit turned off loses nothing the user still sees.
  const bool failed = !saved && !mouseModel.exitRequested();
  if (failed != m_settingsFailed) {
    m_settingsFailed = failed;
    MainWindowPainter::invalidateStateLine(m_window.m_hWnd);
  }
  updateRetry();
}

void PendingSaves::profilesSaved(bool saved) {
  // The line's notice follows what the file holds now, so the bottom bar is
  // painted again either way.
  m_profilesFailed = !saved;
  MainWindowPainter::invalidateStateLine(m_window.m_hWnd);
  updateRetry();
}

void PendingSaves::onRetryTimer() {
  if (m_settingsFailed) saveSettings();
  // Its outcome comes back through profilesSaved.
  if (m_profilesFailed) m_profiles.save();
  updateRetry();
}

void PendingSaves::saveAtExit() {
  if (m_settingsFailed) m_settingsFailed = !saveSettingsAtExit();
  if (m_profilesFailed) m_profilesFailed = !m_profiles.saveAtExit();
  updateRetry();
}

void PendingSaves::updateRetry() {
  const bool pending = any() && !mouseModel.exitRequested();
  if (pending == m_retrying) return;
  m_retrying = pending;
  if (pending)
    m_window.SetTimer(kRetryTimer, kRetryPeriodMs);
  else
    m_window.KillTimer(kRetryTimer);
}
