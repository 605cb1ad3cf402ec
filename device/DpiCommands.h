// The DPI commands and the commit timer. A run of SetDpiStep frames (the
// slider sends one per position it passes) ends with exactly one CommitDpi,
// sent when the commit timer expires 2 s after the last frame of the run.
#pragma once
#include <cstdint>

#include "device/MouseConfig.h"

class HidLink;

// Window timers, as the operations that run on the window's thread see them.
class WindowTimers {
public:
  virtual ~WindowTimers() = default;
  // Starts timer `id`; starting a running timer restarts it.
  virtual void start(unsigned id, unsigned milliseconds) = 0;
  virtual void kill(unsigned id) = 0;
};

// A run of SetDpiStep frames ends this long after its last frame.
constexpr unsigned kCommitDpiDelayMs = 2000;

// A mouse found by a scan may hold other DPI steps than the settings (its
// power-on ones, or another program's). It reported `reportedStep` for its
// current level `reportedLevel`; the steps of its other levels are unknown.
// The levels whose step it must be given back, one bit per level: every level
// but the reported one, which only when its step differs from `steps`.
uint8_t dpiLevelsToRestore(const int32_t (&steps)[kDpiLevels], int32_t reportedLevel, int32_t reportedStep);

class DpiCommands {
public:
  // `commitTimer` is the id of the window timer that ends a run.
  DpiCommands(HidLink& link, WindowTimers& timers, unsigned commitTimer)
      : m_link(link), m_timers(timers), m_commitTimer(commitTimer) {}

  // Level `level` gets DPI step `step`; byte4..byte7 go into the frame as
  // they are (every sender gives 1). Sends nothing while the last scan found
  // no mouse, and nothing for a level outside 0..3 or a step outside 0..7.
  // When sent, the commit timer is (re)started. Returns whether it was sent.
  bool setDpiStep(int32_t level, int32_t step, uint8_t byte4, uint8_t byte5, uint8_t byte6, uint8_t byte7);
  // Makes `level` the mouse's current level; the same gate and range.
  bool selectDpiLevel(int32_t level);
  // Sends CommitDpi now, mouse or not (the "Default" sequence does).
  void commitDpi();
  // The commit timer expired: stop it, so it acts once per run, and commit.
  void onCommitTimer();
  // Writes `steps` to the mouse for every level whose bit is set in
  // `levels` (dpiLevelsToRestore) and commits them at once. Nothing is sent
  // for no level.
  void restoreSteps(const int32_t (&steps)[kDpiLevels], uint8_t levels);

private:
  HidLink& m_link;
  WindowTimers& m_timers;
  const unsigned m_commitTimer;
};
