#include "vmouse/DesktopInput_win.h"

#include <algorithm>
#include <utility>

namespace {

constexpr uint32_t kExtended = 0xE000;
constexpr uint8_t kPauseUsage = 0x48;

// Scan codes of the keyboard page, usages 0x00..0x73, as the system's HID
// keyboard driver translates them (0: no key here).
const uint16_t kScanCodes[0x74] = {
    0,      0,      0,      0,                                              // 00-03: none, error codes
    0x1E,   0x30,   0x2E,   0x20,   0x12,   0x21,   0x22,   0x23,           // a-h
    0x17,   0x24,   0x25,   0x26,   0x32,   0x31,   0x18,   0x19,           // i-p
    0x10,   0x13,   0x1F,   0x14,   0x16,   0x2F,   0x11,   0x2D,           // q-x
    0x15,   0x2C,                                                           // y z
    0x02,   0x03,   0x04,   0x05,   0x06,   0x07,   0x08,   0x09,   0x0A,   0x0B,  // 1-9 0
    0x1C,   0x01,   0x0E,   0x0F,   0x39,                                   // Enter Esc Backspace Tab Space
    0x0C,   0x0D,   0x1A,   0x1B,   0x2B,   0x2B,   0x27,   0x28,   0x29,   // - = [ ] \ #~ ; ' `
    0x33,   0x34,   0x35,   0x3A,                                           // , . / CapsLock
    0x3B,   0x3C,   0x3D,   0x3E,   0x3F,   0x40,   0x41,   0x42,   0x43,   0x44, 0x57, 0x58,  // F1-F12
    0xE037, 0x46,   0,                                                      // PrintScreen ScrollLock Pause
    0xE052, 0xE047, 0xE049, 0xE053, 0xE04F, 0xE051,                         // Insert Home PgUp Delete End PgDn
    0xE04D, 0xE04B, 0xE050, 0xE048,                                         // Right Left Down Up
    0x45,   0xE035, 0x37,   0x4A,   0x4E,   0xE01C,                         // NumLock KP/ KP* KP- KP+ KPEnter
    0x4F,   0x50,   0x51,   0x4B,   0x4C,   0x4D,   0x47,   0x48,   0x49,   0x52, 0x53,  // KP1-9 KP0 KP.
    0x56,   0xE05D, 0xE05E, 0x59,                                           // \| (102nd) Application Power KP=
    0x64,   0x65,   0x66,   0x67,   0x68,   0x69,   0x6A,   0x6B,   0x6C,   0x6D, 0x6E, 0x76,  // F13-F24
};

const uint16_t kModifierScanCodes[8] = {0x1D, 0x2A, 0x38, 0xE05B, 0xE01D, 0x36, 0xE038, 0xE05C};

INPUT keyEvent(uint32_t scanCode, bool down) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wScan = static_cast<WORD>(scanCode & 0xFF);
  input.ki.dwFlags = KEYEVENTF_SCANCODE | (down ? 0 : KEYEVENTF_KEYUP);
  if ((scanCode & 0xFF00) == kExtended) input.ki.dwFlags |= KEYEVENTF_EXTENDEDKEY;
  // Windows ignores the virtual key of a scan-code event; Wine does not derive
  // it from the scan code and would deliver key 0, so it is given as well.
  input.ki.wVk = static_cast<WORD>(::MapVirtualKeyA(scanCode & 0xE0FF, MAPVK_VSC_TO_VK_EX));
  return input;
}

bool usageEvent(uint8_t usage, bool down, std::vector<INPUT>& events) {
  if (usage == kPauseUsage) {
    // Pause has no scan code of its own (it is sent as a prefixed sequence),
    // so it goes by its virtual key.
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = VK_PAUSE;
    input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    events.push_back(input);
    return true;
  }
  uint32_t scanCode = driverScanCode(usage);
  if (!scanCode) return false;
  events.push_back(keyEvent(scanCode, down));
  return true;
}

bool holds(const HeldKeys& keys, uint8_t usage) { return std::find(keys.begin(), keys.end(), usage) != keys.end(); }

const struct {
  DWORD down, up, data;
} kButtonFlags[5] = {
    {MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP, 0},
    {MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP, 0},
    {MOUSEEVENTF_MIDDLEDOWN, MOUSEEVENTF_MIDDLEUP, 0},
    {MOUSEEVENTF_XDOWN, MOUSEEVENTF_XUP, XBUTTON1},
    {MOUSEEVENTF_XDOWN, MOUSEEVENTF_XUP, XBUTTON2},
};

}  // namespace

uint32_t driverScanCode(uint8_t usage) {
  if (usage < sizeof(kScanCodes) / sizeof(kScanCodes[0])) return kScanCodes[usage];
  switch (usage) {
    case 0x87: return 0x73;  // International1
    case 0x88: return 0x70;  // International2
    case 0x89: return 0x7D;  // International3
    case 0x8A: return 0x79;  // International4
    case 0x8B: return 0x7B;  // International5
  }
  if (usage >= 0xE0 && usage <= 0xE7) return kModifierScanCodes[usage - 0xE0];
  return 0;
}

uint32_t driverModifierScanCode(int bit) { return bit >= 0 && bit < 8 ? kModifierScanCodes[bit] : 0; }

std::vector<INPUT> keyTransitionEvents(uint8_t oldModifiers, const HeldKeys& oldKeys, uint8_t newModifiers,
                                  const HeldKeys& newKeys) {
  std::vector<INPUT> events;
  for (uint8_t usage : oldKeys) {
    if (usage && !holds(newKeys, usage)) usageEvent(usage, false, events);
  }
  for (int bit = 0; bit < 8; ++bit) {
    uint8_t mask = static_cast<uint8_t>(1u << bit);
    if ((oldModifiers & mask) && !(newModifiers & mask)) events.push_back(keyEvent(kModifierScanCodes[bit], false));
  }
  for (int bit = 0; bit < 8; ++bit) {
    uint8_t mask = static_cast<uint8_t>(1u << bit);
    if (!(oldModifiers & mask) && (newModifiers & mask)) events.push_back(keyEvent(kModifierScanCodes[bit], true));
  }
  HeldKeys pressed{};
  size_t count = 0;
  for (uint8_t usage : newKeys) {
    // A key in two slots goes down once.
    if (usage && !holds(oldKeys, usage) && !holds(pressed, usage)) {
      pressed[count++] = usage;
      usageEvent(usage, true, events);
    }
  }
  return events;
}

std::vector<INPUT> buttonTransitionEvents(uint8_t oldButtons, uint8_t newButtons) {
  std::vector<INPUT> events;
  for (int bit = 0; bit < 5; ++bit) {
    uint8_t mask = static_cast<uint8_t>(1u << bit);
    if ((oldButtons ^ newButtons) & mask) {
      INPUT input = {};
      input.type = INPUT_MOUSE;
      bool down = (newButtons & mask) != 0;
      input.mi.dwFlags = down ? kButtonFlags[bit].down : kButtonFlags[bit].up;
      input.mi.mouseData = kButtonFlags[bit].data;
      events.push_back(input);
    }
  }
  return events;
}

VirtualDesktopInput::VirtualDesktopInput() : m_sender(systemSender()) {}

VirtualDesktopInput::Sender VirtualDesktopInput::systemSender() {
  return [](const std::vector<INPUT>& events) {
    ::SendInput(static_cast<UINT>(events.size()), const_cast<INPUT*>(events.data()), sizeof(INPUT));
  };
}

void VirtualDesktopInput::setSender(Sender sender) {
  std::lock_guard<std::mutex> guard(m_lock);
  m_sender = std::move(sender);
}

void VirtualDesktopInput::send(const std::vector<INPUT>& events) {
  if (!events.empty() && m_sender) m_sender(events);
}

void VirtualDesktopInput::keyboardChanged(uint32_t device, uint8_t modifiers, const HeldKeys& keys) {
  std::lock_guard<std::mutex> guard(m_lock);
  Held& held = m_held[device];
  send(keyTransitionEvents(held.modifiers, held.keys, modifiers, keys));
  held.modifiers = modifiers;
  held.keys = keys;
}

void VirtualDesktopInput::buttonsChanged(uint32_t device, uint8_t buttons) {
  std::lock_guard<std::mutex> guard(m_lock);
  Held& held = m_held[device];
  send(buttonTransitionEvents(held.buttons, buttons));
  held.buttons = buttons;
}
