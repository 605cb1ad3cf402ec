#include "mainwnd/MouseInput.h"

#include "controls/KeyTable.h"
#include "device/HidLink.h"
#include "device/MouseModel.h"
#include "input/Seams.h"

namespace {
// Keys that reach the window this long after a remapped button let go of
// the keys it typed may still be the mouse's.
constexpr ULONGLONG kMouseKeysEchoMs = 1000;
}  // namespace

MouseInput::MouseInput(DpiDisplay showDpi, DpiChoiceDisplay showDpiChoice)
    : m_output(hidLink, std::move(showDpi)),
      m_engine(mouseModel, &usageForScanCode, m_output),
      m_mice([](const std::string& path) { return hidLink.deviceOf(path); }) {
  m_output.setDpiChoiceDisplay(std::move(showDpiChoice));
}

void MouseInput::releaseHeldInput() {
  noteHeldKeys();
  m_engine.releaseAll();
}

void MouseInput::onRawInput(HRAWINPUT handle) {
  noteHeldKeys();
  ::onRawInput(m_engine, systemRawInput(), m_mice, handle);
  noteHeldKeys();
}

bool MouseInput::onDeviceChange(WPARAM change, HANDLE device) {
  // What a mouse held went with it, and what it reports once back is
  // compared with a clean button byte.
  const RawInputMice::Mouse gone = m_mice.forget(device);
  if (change == GIDC_ARRIVAL) {
    const RawInputMice::Mouse mouse = m_mice.identify(systemRawInput(), device);
    if (!mouse.ofModel) return false;
    m_engine.mouseArrived(mouse.device);
    return true;
  }
  if (gone.ofModel) m_engine.dropMouse(gone.device);
  return false;
}

void MouseInput::keepOnlyPresentMice(bool someWent) {
  // A mouse that is still there keeps holding while its button is down,
  // whatever else came or went.
  noteHeldKeys();
  m_engine.keepOnlyMice(miceOf(hidLink, mouseSetOf(hidLink)), someWent);
}

void MouseInput::awaitDpiAnswer(int level, int step) {
  m_engine.awaitDpiAnswer(static_cast<uint8_t>(level), static_cast<uint8_t>(step));
}

void MouseInput::noteHeldKeys() {
  if (!m_engine.holdsKeys()) return;
  m_keysWereHeld = true;
  m_keysHeldAt = ::GetTickCount64();
}

bool MouseInput::mayBeTyping() const {
  return m_engine.holdsKeys() || (m_keysWereHeld && ::GetTickCount64() - m_keysHeldAt < kMouseKeysEchoMs);
}
