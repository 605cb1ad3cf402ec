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
  // A mouse that a scan found may hold other steps than the settings (its
  // power-on ones, or another program's), and it tells only its current
  // level's: every level gets its step from `steps`, committed at once. The
  // mouse's current level stays its own. Nothing is sent without a mouse.
  void restoreSteps(const int32_t (&steps)[kDpiLevels]);

private:
  HidLink& m_link;
  WindowTimers& m_timers;
  const unsigned m_commitTimer;
};
