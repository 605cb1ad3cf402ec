#include "device/DpiCommands.h"

#include "device/FeatureFrame.h"
#include "device/HidLink.h"
#include "device/MouseConfig.h"

bool DpiCommands::setDpiStep(int32_t level, int32_t step, uint8_t byte4, uint8_t byte5, uint8_t byte6, uint8_t byte7) {
  if (m_link.presentCount() == 0) return false;
  // A level or step from a damaged settings file or a stray report must not
  // reach the firmware.
  if (!isValidDpiLevel(level) || !isValidDpiStep(step)) return false;
  m_link.sendFeature(
      FeatureFrame::SetDpiStep(static_cast<uint8_t>(level), static_cast<uint8_t>(step), byte4, byte5, byte6, byte7));
  m_timers.start(m_commitTimer, kCommitDpiDelayMs);
  return true;
}

bool DpiCommands::selectDpiLevel(int32_t level) {
  if (m_link.presentCount() == 0 || !isValidDpiLevel(level)) return false;
  m_link.sendFeature(FeatureFrame::SelectDpiLevel(static_cast<uint8_t>(level)));
  return true;
}

void DpiCommands::commitDpi() { m_link.sendFeature(FeatureFrame::CommitDpi()); }

void DpiCommands::onCommitTimer() {
  m_timers.kill(m_commitTimer);
  commitDpi();
}

void DpiCommands::restoreSteps(const int32_t (&steps)[kDpiLevels]) {
  bool sent = false;
  for (int32_t level = 0; level < kDpiLevels; ++level) sent = setDpiStep(level, steps[level], 1, 1, 1, 1) || sent;
  if (!sent) return;
  // Committed now, which ends the run the writes started.
  commitDpi();
  m_timers.kill(m_commitTimer);
}
