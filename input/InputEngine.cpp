#include "input/InputEngine.h"

#include <algorithm>

#include "device/MouseModel.h"

namespace {
// Bit 7 of the button byte is never acted on, whatever its slot holds.
constexpr uint8_t kIgnoredButtonBit = 0x80;
}  // namespace

InputEngine::InputEngine(MouseModel& model, UsageLookup usageForScanCode, InputEngineOutput& output)
    : m_model(model), m_usageForScanCode(usageForScanCode), m_output(output) {}

void InputEngine::onReport(const uint8_t* report, size_t length) { onReport(std::string(), report, length); }

void InputEngine::onReport(const std::string& mouse, const uint8_t* report, size_t length) {
  using namespace VendorReport;
  if (!report || length <= kKindByte) return;
  const uint8_t kind = report[kKindByte];
  if (kind == kDpiState && length > kStepByte) {
    onDpiState(mouse, report[kLevelByte], report[kStepByte]);
  } else if (kind == kButtonState && length > kButtonByte) {
    onButtonState(mouse, report[kButtonByte]);
  }
}

MouseHolds& InputEngine::holdsFor(const std::string& mouse) { return mouse.empty() ? m_unknownMouse : m_mice[mouse]; }

MouseHolds InputEngine::holdsOf(const std::string& mouse) const {
  if (mouse.empty()) return m_unknownMouse;
  const auto found = m_mice.find(mouse);
  return found == m_mice.end() ? MouseHolds() : found->second;
}

void InputEngine::onDpiState(const std::string& mouse, uint8_t level, uint8_t step) {
  // The level indexes dpiStep and the step sets the slider; a report that
  // names neither a real level nor a real step says nothing we can show.
  if (level >= kDpiLevels || step >= kDpiSteps) return;
  const MouseConfig& config = m_model.config();
  MouseHolds& holds = holdsFor(mouse);
  // Answers to the program's own commands: each mouse's first report after
  // a scan gave it the settings' steps, and the one a DPI reset waits for.
  // A mouse still at its power-on steps tells only its level: its step is
  // not the user's, and the settings' one goes back on it shortly.
  const bool powerOn = holds.powerOnSteps || m_devicesChanged ||
                       (holds.stepsUnconfirmed && step != config.dpiStep[level]);
  bool answer = powerOn || holds.answeredRestore != m_restores;
  if (!powerOn) {
    holds.answeredRestore = m_restores;
    holds.stepsUnconfirmed = false;
  }
  if (m_awaitingDpiAnswer) {
    if (level != m_awaitedDpiLevel || step != m_awaitedDpiStep) return;
    m_awaitingDpiAnswer = false;
    answer = true;
  }
  // A level the program selects is the model's before the mouse answers, so
  // only the mouse's own button brings another one.
  const bool chosenOnMouse = !answer && level != config.dpiLevel;
  // Another mouse's state is not the one the window shows, unless a level
  // was chosen on it.
  if (m_followsMouse && m_followedMouse != mouse && !chosenOnMouse) return;
  m_followsMouse = true;
  m_followedMouse = mouse;
  m_model.change()->dpiLevel = level;
  if (powerOn) {
    m_output.showDpiState(config.dpiStep[level]);
    return;
  }
  m_output.showDpiState(step);
  m_model.change()->dpiSyncPending = false;
  if (chosenOnMouse) m_output.showDpiChoice(level, step);
}

void InputEngine::dpiStepsRestored() {
  ++m_restores;
  // A mouse that came back, or may have, is sent the steps now: until it
  // reports one of them, a report at another step predates them.
  const bool mayHaveComeBack = m_devicesChanged;
  m_devicesChanged = false;
  const auto restored = [mayHaveComeBack](MouseHolds& holds) {
    holds.stepsUnconfirmed = holds.powerOnSteps || mayHaveComeBack;
    holds.powerOnSteps = false;
  };
  restored(m_unknownMouse);
  for (auto& mouse : m_mice) restored(mouse.second);
}

void InputEngine::onButtonState(const std::string& mouse, uint8_t buttons) {
  MouseHolds& holds = holdsFor(mouse);
  const uint8_t changed = buttons ^ holds.lastButtonByte;
  holds.lastButtonByte = buttons;
  m_mouseLost = false;
  for (int i = 0; i < 8 && !m_mouseLost; ++i) {
    const uint8_t bit = static_cast<uint8_t>(1u << i);
    if (!(changed & bit) || bit == kIgnoredButtonBit) continue;
    const bool pressed = (buttons & bit) != 0;
    const bool holding = actOnButton(mouse, i, pressed);
    if (pressed && holding)
      holds.holdingBits |= bit;
    else if (!pressed)
      holds.holdingBits &= static_cast<uint8_t>(~bit);
  }
  // A mouse that no longer takes frames has gone, and let go with it.
  if (m_mouseLost) {
    m_mouseLost = false;
    dropMouse(mouse);
  }
}

bool InputEngine::actOnButton(const std::string& mouse, int index, bool pressed) {
  const ButtonAssignment& slot = m_model.config().assignmentInForce(index);
  switch (slot.function) {
    case ButtonFunction::KeyShortcut: {
      const int usage = m_usageForScanCode ? m_usageForScanCode(slot.scanCode) : 0;
      // A key the mouse cannot send makes the whole shortcut do nothing, so
      // its modifiers are not held alone either.
      if (usage <= 0 || usage > 0xFF) return false;
      const uint8_t modifiers = static_cast<uint8_t>(slot.modifiers);
      const uint8_t key = static_cast<uint8_t>(usage);
      if (pressed)
        updateKeysOf(mouse, modifiers, 0, key, 0);
      else
        updateKeysOf(mouse, 0, modifiers, 0, key);
      return true;
    }
    case ButtonFunction::LeftButton:
    case ButtonFunction::RightButton:
    case ButtonFunction::WheelButton:
    case ButtonFunction::Button5th:
    case ButtonFunction::Button4th: {
      const uint8_t mask = static_cast<uint8_t>(slot.buttonMask);
      if (pressed)
        updateButtonsOf(mouse, mask, 0);
      else
        updateButtonsOf(mouse, 0, mask);
      return true;
    }
    case ButtonFunction::CloseCurrentWindow:
      if (pressed) m_output.closeCurrentWindow();
      return false;
    case ButtonFunction::DoubleClick:
      if (pressed) m_output.doubleClick();
      return false;
    default:
      return false;
  }
}

void InputEngine::updateKeys(uint8_t set, uint8_t clear, uint8_t add, uint8_t remove) {
  updateKeysOf(std::string(), set, clear, add, remove);
}

void InputEngine::updateKeysOf(const std::string& mouse, uint8_t set, uint8_t clear, uint8_t add, uint8_t remove) {
  KeyboardState& state = holdsFor(mouse).keyboardState;
  // A modifier shared by two held shortcuts goes up with the first release.
  state.modifiers |= set;
  state.modifiers &= static_cast<uint8_t>(~clear);
  auto& keys = state.keys;
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
  const bool keysHeld = state.modifiers != 0 || state.keys != KeyboardState().keys;
  send(mouse, FeatureFrame::InjectKeys(state.modifiers, state.keys), keysHeld);
}

void InputEngine::send(const std::string& mouse, const FeatureFrame& frame, bool holds) {
  if (!mouse.empty()) {
    if (!m_output.exchangeFrameWith(mouse, frame)) m_mouseLost = true;
    return;
  }
  // A mouse that cannot be told apart holds on the first mouse; a state with
  // nothing held goes to every mouse: the mouse that took the press may no
  // longer be the first one found (another came, or it came back), and
  // whichever took it must let go.
  if (holds)
    m_output.exchangeFrame(frame);
  else
    m_output.sendToEveryMouse(frame);
}

void InputEngine::updateButtons(uint8_t set, uint8_t clear) { updateButtonsOf(std::string(), set, clear); }

void InputEngine::updateButtonsOf(const std::string& mouse, uint8_t set, uint8_t clear) {
  MouseHolds& holds = holdsFor(mouse);
  holds.injectedButtons = static_cast<uint8_t>((holds.injectedButtons | set) & ~clear);
  send(mouse, FeatureFrame::InjectButtons(holds.injectedButtons), holds.injectedButtons != 0);
}

void InputEngine::awaitDpiAnswer(uint8_t level, uint8_t step) {
  m_awaitingDpiAnswer = true;
  m_awaitedDpiLevel = level;
  m_awaitedDpiStep = step;
}

bool MouseHolds::holdsKeys() const {
  if (keyboardState.modifiers != 0) return true;
  for (uint8_t key : keyboardState.keys) {
    if (key != 0) return true;
  }
  return false;
}

bool MouseHolds::holdsInput() const {
  if (keyboardState.modifiers != 0 || injectedButtons != 0) return true;
  for (uint8_t key : keyboardState.keys) {
    if (key != 0) return true;
  }
  return false;
}

bool InputEngine::holdsInput() const {
  if (m_unknownMouse.holdsInput()) return true;
  for (const auto& mouse : m_mice) {
    if (mouse.second.holdsInput()) return true;
  }
  return false;
}

bool InputEngine::holdsKeys() const {
  if (m_unknownMouse.holdsKeys()) return true;
  for (const auto& mouse : m_mice) {
    if (mouse.second.holdsKeys()) return true;
  }
  return false;
}

void InputEngine::letGo(const std::string& mouse, MouseHolds& holds) {
  // The buttons that held something count as up from here on: their next
  // press must act, although the mouse may never report their release (a row
  // set back to the mouse's own function no longer reports).
  holds.lastButtonByte &= static_cast<uint8_t>(~holds.holdingBits);
  holds.holdingBits = 0;
  if (!holds.holdsInput()) return;
  holds.keyboardState = KeyboardState();
  holds.injectedButtons = 0;
  const FeatureFrame keys = FeatureFrame::InjectKeys(0, holds.keyboardState.keys);
  const FeatureFrame buttons = FeatureFrame::InjectButtons(0);
  if (mouse.empty()) {
    m_output.sendToEveryMouse(keys);
    m_output.sendToEveryMouse(buttons);
  } else if (m_output.exchangeFrameWith(mouse, keys)) {
    // A mouse that did not take the first has gone and holds nothing.
    m_output.exchangeFrameWith(mouse, buttons);
  }
}

void InputEngine::releaseAll() {
  letGo(std::string(), m_unknownMouse);
  for (auto& mouse : m_mice) letGo(mouse.first, mouse.second);
}

void InputEngine::dropMouse(const std::string& mouse) {
  if (m_followsMouse && m_followedMouse == mouse) m_followsMouse = false;
  if (mouse.empty()) {
    letGo(mouse, m_unknownMouse);
    m_unknownMouse = MouseHolds();
  } else {
    m_mice.erase(mouse);
  }
}

void InputEngine::mouseArrived(const std::string& mouse) {
  dropMouse(mouse);
  holdsFor(mouse).powerOnSteps = true;
  if (mouse.empty()) return;  // dropMouse told every mouse
  if (m_output.exchangeFrameWith(mouse, FeatureFrame::InjectKeys(0, KeyboardState().keys)))
    m_output.exchangeFrameWith(mouse, FeatureFrame::InjectButtons(0));
}

void InputEngine::keepOnlyMice(const std::vector<std::string>& present, bool someWent) {
  for (auto mouse = m_mice.begin(); mouse != m_mice.end();) {
    if (std::find(present.begin(), present.end(), mouse->first) != present.end()) {
      ++mouse;
      continue;
    }
    // Told to let go all the same: a mouse whose device could not be told
    // this time may still be there.
    letGo(mouse->first, mouse->second);
    if (m_followsMouse && m_followedMouse == mouse->first) m_followsMouse = false;
    mouse = m_mice.erase(mouse);
  }
  if (someWent) dropMouse(std::string());
}

void InputEngine::releaseEveryMouse() {
  reset();
  m_output.sendToEveryMouse(FeatureFrame::InjectKeys(0, KeyboardState().keys));
  m_output.sendToEveryMouse(FeatureFrame::InjectButtons(0));
}

void InputEngine::reset() {
  m_unknownMouse = MouseHolds();
  m_mice.clear();
  m_followsMouse = false;
}
