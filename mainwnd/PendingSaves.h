// The saves the window could not make: while the last save of setting.dat or
// profiles.ini failed (the file locked by another program, or read-only), the
// bottom bar says "Settings not saved" and a timer tries again, until a save
// works. The timer runs only then; at the exit a save still pending is tried
// once more.
#pragma once
#include <windows.h>

class CWnd;
class ProfileBox;

class PendingSaves {
public:
  static constexpr UINT_PTR kRetryTimer = 127;
  static constexpr UINT kRetryPeriodMs = 3000;

  // `window` runs the timer and paints the bottom bar; `profiles` saves
  // profiles.ini.
  PendingSaves(CWnd& window, ProfileBox& profiles) : m_window(window), m_profiles(profiles) {}

  // Saves setting.dat from the model now.
  void saveSettings();
  // The last save of profiles.ini succeeded or failed.
  void profilesSaved(bool saved);
  // Whether the bottom bar says "Settings not saved".
  bool any() const { return m_settingsFailed || m_profilesFailed; }

  void onRetryTimer();
  // Saving is off once the exit began (the rows are about to be handed
  // back); what the user set before it is still in the model.
  void saveAtExit();

private:
  void updateRetry();

  CWnd& m_window;
  ProfileBox& m_profiles;
  bool m_settingsFailed = false;
  bool m_profilesFailed = false;
  bool m_retrying = false;  // the timer runs
};
