#include "mainwnd/InputEngine.h"

#include "device/MouseConfig.h"

namespace {
// Bit 7 of the button byte is never acted on, whatever its slot holds.
constexpr uint8_t kIgnoredButtonBit = 0x80;
}  // namespace

InputEngine::InputEngine(MouseConfig& config, UsageLookup usageForScanCode, InputEngineOutput& output)
    : config_(config), usageForScanCode_(usageForScanCode), output_(output) {}

void InputEngine::onReport(const uint8_t* report, size_t length) {
  using namespace VendorReport;
  if (!report || length <= kKindByte) return;
  const uint8_t kind = report[kKindByte];
  if (kind == kDpiState && length > kStepByte) {
    onDpiState(report[kLevelByte], report[kStepByte]);
  } else if (kind == kButtonState && length > kButtonByte) {
    onButtonState(report[kButtonByte]);
  }
}

void InputEngine::onDpiState(uint8_t level, uint8_t step) {
  // The level indexes dpiStep and the step sets the slider; a report that
  // names neither a real level nor a real step says nothing we can show.
  if (level >= kDpiLevels || step >= kDpiSteps) return;
  if (dpiReportsToSkip_ > 0) {
    --dpiReportsToSkip_;
    return;
  }
  config_.dpiLevel = level;
  output_.showDpiState(step);
  config_.dpiSyncPending = false;
}

void InputEngine::onButtonState(uint8_t buttons) {
  const uint8_t changed = buttons ^ lastButtonByte;
  lastButtonByte = buttons;
  for (int i = 0; i < 8; ++i) {
    const uint8_t bit = static_cast<uint8_t>(1u << i);
    if (!(changed & bit) || bit == kIgnoredButtonBit) continue;
    actOnButton(i, (buttons & bit) != 0);
  }
}

void InputEngine::actOnButton(int index, bool pressed) {
  const ButtonAssignment& slot = config_.assignments[index];
  switch (slot.function) {
    case ButtonFunction::KeyShortcut: {
      const int usage = usageForScanCode_ ? usageForScanCode_(slot.scanCode) : 0;
      // A key the mouse cannot send makes the whole shortcut do nothing, so
      // its modifiers are not held alone either.
      if (usage <= 0 || usage > 0xFF) return;
      const uint8_t modifiers = static_cast<uint8_t>(slot.modifiers);
      const uint8_t key = static_cast<uint8_t>(usage);
      if (pressed)
        updateKeys(modifiers, 0, key, 0);
      else
        updateKeys(0, modifiers, 0, key);
      return;
    }
    case ButtonFunction::LeftButton:
    case ButtonFunction::RightButton:
    case ButtonFunction::WheelButton:
    case ButtonFunction::Button5th:
    case ButtonFunction::Button4th: {
      const uint8_t mask = static_cast<uint8_t>(slot.buttonMask);
      if (pressed)
        updateButtons(mask, 0);
      else
        updateButtons(0, mask);
      return;
    }
    case ButtonFunction::CloseCurrentWindow:
      if (pressed) output_.closeCurrentWindow();
      return;
    case ButtonFunction::DoubleClick:
      if (pressed) output_.doubleClick();
      return;
    default:
      return;
  }
}

void InputEngine::updateKeys(uint8_t set, uint8_t clear, uint8_t add, uint8_t remove) {
  // A modifier shared by two held shortcuts goes up with the first release.
  keyboardState.modifiers |= set;
  keyboardState.modifiers &= static_cast<uint8_t>(~clear);
  auto& keys = keyboardState.keys;
  if (add != 0) {
    bool held = false;
    for (uint8_t key : keys) held = held || key == add;
    if (!held) {
      // A sixth key finds no empty slot and is dropped.
      for (uint8_t& key : keys) {
        if (key == 0) {
          key = add;
          break;
        }
      }
    }
  }
  if (remove != 0) {
    for (uint8_t& key : keys) {
      if (key == remove) {
        key = 0;
        break;
      }
    }
  }
  const bool keysHeld = keyboardState.modifiers != 0 || keyboardState.keys != KeyboardState().keys;
  send(FeatureFrame::InjectKeys(keyboardState.modifiers, keyboardState.keys), keysHeld);
}

void InputEngine::send(const FeatureFrame& frame, bool holds) {
  // A state with nothing held goes to every mouse: the mouse that took the
  // press may no longer be the first one found (another came, or it came
  // back), and whichever took it must let go.
  if (holds)
    output_.exchangeFrame(frame);
  else
    output_.sendToEveryMouse(frame);
}

void InputEngine::updateButtons(uint8_t set, uint8_t clear) {
  injectedButtons = static_cast<uint8_t>((injectedButtons | set) & ~clear);
  send(FeatureFrame::InjectButtons(injectedButtons), injectedButtons != 0);
}

bool InputEngine::holdsInput() const {
  if (keyboardState.modifiers != 0 || injectedButtons != 0) return true;
  for (uint8_t key : keyboardState.keys) {
    if (key != 0) return true;
  }
  return false;
}

void InputEngine::releaseAll() {
  if (!holdsInput()) return;
  keyboardState = KeyboardState();
  injectedButtons = 0;
  output_.sendToEveryMouse(FeatureFrame::InjectKeys(keyboardState.modifiers, keyboardState.keys));
  output_.sendToEveryMouse(FeatureFrame::InjectButtons(injectedButtons));
}

void InputEngine::reset() {
  lastButtonByte = 0;
  keyboardState = KeyboardState();
  injectedButtons = 0;
}
