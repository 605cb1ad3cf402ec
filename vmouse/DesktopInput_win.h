// What the virtual mouse holds becomes input on the desktop, as a real mouse's
// own keyboard and mouse collections would make it: held keys by their scan
// codes, modifiers by bit, and mouse buttons. Each change is turned into the
// key and button events between the old and the new state and sent in one
// SendInput call. The state is kept per device, since each mouse is a
// keyboard and a mouse of its own.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

#include "vmouse/VirtualMouseFirmware.h"

// The scan code the system's keyboard driver gives a HID keyboard usage:
// 0xE000 added for an extended key; 0 when the usage has no key.
uint32_t driverScanCode(uint8_t usage);
// Scan code of modifier bit `bit` (0 left Ctrl ... 7 right GUI).
uint32_t driverModifierScanCode(int bit);

// Key events from one held state to another: released keys, released
// modifiers, pressed modifiers, pressed keys, in this order.
std::vector<INPUT> keyTransitionEvents(uint8_t oldModifiers, const HeldKeys& oldKeys, uint8_t newModifiers,
                                  const HeldKeys& newKeys);
// Mouse button events from one button byte to another, lowest bit first.
std::vector<INPUT> buttonTransitionEvents(uint8_t oldButtons, uint8_t newButtons);

class VirtualDesktopInput {
public:
  using Sender = std::function<void(const std::vector<INPUT>&)>;

  VirtualDesktopInput();
  void keyboardChanged(uint32_t device, uint8_t modifiers, const HeldKeys& keys);
  void buttonsChanged(uint32_t device, uint8_t buttons);
  // Where the events go; SendInput unless a test says otherwise.
  void setSender(Sender sender);
  static Sender systemSender();

private:
  struct Held {
    uint8_t modifiers = 0;
    HeldKeys keys{};
    uint8_t buttons = 0;
  };
  void send(const std::vector<INPUT>& events);

  std::mutex m_lock;
  std::map<uint32_t, Held> m_held;
  Sender m_sender;
};
