#include "device/DpiCommands.h"

#include "device/FeatureFrame.h"
#include "device/HidLink.h"
#include "device/MouseConfig.h"

bool DpiCommands::setDpiStep(int32_t level, int32_t step, uint8_t a4, uint8_t a5, uint8_t a6, uint8_t a7) {
  if (link_.presentCount() == 0) return false;
  // A level or step from a damaged settings file or a stray report must not
  // reach the firmware.
  if (!isValidDpiLevel(level) || !isValidDpiStep(step)) return false;
  link_.sendFeature(
      FeatureFrame::SetDpiStep(static_cast<uint8_t>(level), static_cast<uint8_t>(step), a4, a5, a6, a7));
  timers_.start(kCommitDpiTimer, kCommitDpiDelayMs);
  return true;
}

bool DpiCommands::selectDpiLevel(int32_t level) {
  if (link_.presentCount() == 0 || !isValidDpiLevel(level)) return false;
  link_.sendFeature(FeatureFrame::SelectDpiLevel(static_cast<uint8_t>(level)));
  return true;
}

void DpiCommands::commitDpi() { link_.sendFeature(FeatureFrame::CommitDpi()); }

void DpiCommands::onCommitTimer() {
  timers_.kill(kCommitDpiTimer);
  commitDpi();
}
