#include "mainwnd/InputEngine.h"

#include "device/MouseConfig.h"

namespace {
// Bit 7 of the button byte is never acted on, whatever its slot holds.
constexpr uint8_t kIgnoredButtonBit = 0x80;
}  // namespace

InputEngine::InputEngine(MouseConfig& config, UsageLookup usageForScanCode, InputEngineOutput& output)
    : m_config(config), m_usageForScanCode(usageForScanCode), m_output(output) {}

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
  if (m_awaitingDpiAnswer) {
    if (level != m_awaitedDpiLevel || step != m_awaitedDpiStep) return;
    m_awaitingDpiAnswer = false;
  }
  m_config.dpiLevel = level;
  m_output.showDpiState(step);
  m_config.dpiSyncPending = false;
}

void InputEngine::onButtonState(uint8_t buttons) {
  const uint8_t changed = buttons ^ m_lastButtonByte;
  m_lastButtonByte = buttons;
  for (int i = 0; i < 8; ++i) {
    const uint8_t bit = static_cast<uint8_t>(1u << i);
    if (!(changed & bit) || bit == kIgnoredButtonBit) continue;
    actOnButton(i, (buttons & bit) != 0);
  }
}

void InputEngine::actOnButton(int index, bool pressed) {
  const ButtonAssignment& slot = m_config.assignments[index];
  switch (slot.function) {
    case ButtonFunction::KeyShortcut: {
      const int usage = m_usageForScanCode ? m_usageForScanCode(slot.scanCode) : 0;
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
      if (pressed) m_output.closeCurrentWindow();
      return;
    case ButtonFunction::DoubleClick:
      if (pressed) m_output.doubleClick();
      return;
    default:
      return;
  }
}

void InputEngine::updateKeys(uint8_t set, uint8_t clear, uint8_t add, uint8_t remove) {
  // A modifier shared by two held shortcuts goes up with the first release.
  m_keyboardState.modifiers |= set;
  m_keyboardState.modifiers &= static_cast<uint8_t>(~clear);
  auto& keys = m_keyboardState.keys;
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
  const bool keysHeld = m_keyboardState.modifiers != 0 || m_keyboardState.keys != KeyboardState().keys;
  send(FeatureFrame::InjectKeys(m_keyboardState.modifiers, m_keyboardState.keys), keysHeld);
}

void InputEngine::send(const FeatureFrame& frame, bool holds) {
  // A state with nothing held goes to every mouse: the mouse that took the
  // press may no longer be the first one found (another came, or it came
  // back), and whichever took it must let go.
  if (holds)
    m_output.exchangeFrame(frame);
  else
    m_output.sendToEveryMouse(frame);
}

void InputEngine::updateButtons(uint8_t set, uint8_t clear) {
  m_injectedButtons = static_cast<uint8_t>((m_injectedButtons | set) & ~clear);
  send(FeatureFrame::InjectButtons(m_injectedButtons), m_injectedButtons != 0);
}

void InputEngine::awaitDpiAnswer(uint8_t level, uint8_t step) {
  m_awaitingDpiAnswer = true;
  m_awaitedDpiLevel = level;
  m_awaitedDpiStep = step;
}

bool InputEngine::holdsInput() const {
  if (m_keyboardState.modifiers != 0 || m_injectedButtons != 0) return true;
  for (uint8_t key : m_keyboardState.keys) {
    if (key != 0) return true;
  }
  return false;
}

bool InputEngine::holdsKeys() const {
  if (m_keyboardState.modifiers != 0) return true;
  for (uint8_t key : m_keyboardState.keys) {
    if (key != 0) return true;
  }
  return false;
}

void InputEngine::releaseAll() {
  if (!holdsInput()) return;
  m_keyboardState = KeyboardState();
  m_injectedButtons = 0;
  m_output.sendToEveryMouse(FeatureFrame::InjectKeys(m_keyboardState.modifiers, m_keyboardState.keys));
  m_output.sendToEveryMouse(FeatureFrame::InjectButtons(m_injectedButtons));
}

void InputEngine::reset() {
  m_lastButtonByte = 0;
  m_keyboardState = KeyboardState();
  m_injectedButtons = 0;
}
