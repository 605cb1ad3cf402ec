#include "device/MouseConfig.h"

uint8_t MouseConfig::reportMask() const {
  uint8_t mask = 0;
  for (int i = 0; i < ButtonIndex::Count; ++i) {
    if (assignmentInForce(i).function != ButtonFunction::Native) mask |= static_cast<uint8_t>(1u << i);
  }
  return mask;
}

void MouseConfig::resetStoredValues() {
  for (ButtonAssignment& a : assignments) a = ButtonAssignment();
  setDefaultDpi();
  dpiLevel = 0;  // a fresh start has the first level current
}

void MouseConfig::setDefaultDpi() {
  for (int level = 0; level < kDpiLevels; ++level) dpiStep[level] = kDefaultDpiSteps[level];
  dpiLevel = kDefaultDpiLevel;
}

bool isKnownFunction(int32_t function) {
  switch (function) {
    case ButtonFunction::Native:
    case ButtonFunction::KeyShortcut:
    case ButtonFunction::LeftButton:
    case ButtonFunction::RightButton:
    case ButtonFunction::WheelButton:
    case ButtonFunction::Button5th:
    case ButtonFunction::Button4th:
    case ButtonFunction::CloseCurrentWindow:
    case ButtonFunction::DoubleClick:
      return true;
    default:
      return false;
  }
}

int32_t buttonMaskFor(int32_t function) {
  if (function >= ButtonFunction::LeftButton && function <= ButtonFunction::Button4th)
    return 1 << (function - ButtonFunction::LeftButton);
  return 0;
}

bool isMouseDpiLevel(const MouseConfig& config, int32_t level) {
  return level == config.dpiLevel && !config.dpiSyncPending;
}

int32_t currentDpiStep(const MouseConfig& config) {
  if (!isValidDpiLevel(config.dpiLevel)) return -1;
  int32_t step = config.dpiStep[config.dpiLevel];
  return isValidDpiStep(step) ? step : -1;
}
